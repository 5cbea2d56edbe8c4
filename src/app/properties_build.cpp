// Building the settings dialog's window: the tree, the pages and the buttons.
#include "app/properties_dlg.h"
#include "app/properties_fields.h"
#include "platform/qt_strings.h"
#include "project/kor_project.h"
#include "publish/protocol_row.h"
#include "services/mysql_controller.h"
#include "storage/paths.h"
#include "storage/prompt.h"
#include "widgets/color_button.h"
#include "widgets/env_vars_frame.h"
#include "widgets/style_frame.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTextCursor>
#include <QTreeWidget>

namespace korvane {

namespace {

QPushButton* AddButton(QBoxLayout& layout, const char* caption) {
    auto* button = new QPushButton(QString::fromUtf8(caption));
    layout.addWidget(button);
    return button;
}

QPlainTextEdit* AddMemo(QBoxLayout& layout, const char* label, const char* name) {
    if (*label) layout.addWidget(new QLabel(QString::fromUtf8(label)));
    auto* memo = new QPlainTextEdit;
    memo->setObjectName(QString::fromLatin1(name));
    layout.addWidget(memo);
    return memo;
}

QLabel* AddInfo(QFormLayout& form, const char* label, const char* name) {
    auto* text = new QLabel;
    text->setObjectName(QString::fromLatin1(name));
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text->setWordWrap(true);
    form.addRow(QString::fromUtf8(label), text);
    return text;
}

} // namespace

TPropertiesDlg::TPropertiesDlg(TKorProject& project, TPropertiesServices services, QWidget* parent)
    : QDialog(parent), Project(project), Services(std::move(services)) {
    // The working schemes keep the project's kinds and the PHP scheme's parent.
    setWindowTitle(QStringLiteral("Project Properties"));
    setMinimumSize(713, 324);
    BuildWindow();
    resize(980, 600);
}

TPropertiesDlg::~TPropertiesDlg() = default;

void TPropertiesDlg::BuildWindow() {
    auto* outer = new QVBoxLayout(this);
    auto* splitter = new QSplitter(this);
    outer->addWidget(splitter, 1);

    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    Cats = new QTreeWidget;
    Cats->setObjectName(QStringLiteral("cats"));
    Cats->setHeaderHidden(true);
    Cats->setMouseTracking(true);
    BuildCategoryTree(*Cats);
    // Node texts are short; the tree scrolls sideways rather than cutting them.
    Cats->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Cats->header()->setStretchLastSection(false);
    leftLayout->addWidget(Cats, 1);
    leftLayout->addWidget(new QLabel(QStringLiteral("Recent Pages")));
    auto* recentRow = new QHBoxLayout;
    RecentPages = new QComboBox;
    RecentPages->setObjectName(QStringLiteral("RecentPages"));
    recentRow->addWidget(RecentPages, 1);
    QPushButton* clearRecent = AddButton(*recentRow, "Clear");
    leftLayout->addLayout(recentRow);
    // Wide enough for the deepest node texts ("Syntax Highlighting" three levels down).
    left->setMinimumWidth(250);
    splitter->addWidget(left);

    Pages = new QStackedWidget;
    // A category node's page: a summary of the pages below it.
    GroupSummary = new QLabel;
    GroupSummary->setObjectName(QStringLiteral("GroupSummary"));
    GroupSummary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    GroupSummary->setWordWrap(true);
    GroupSummary->setMargin(12);
    Pages->addWidget(GroupSummary);
    splitter->addWidget(Pages);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({280, 480});

    BuildIdentificationPages();
    BuildEditorPages();
    BuildLanguagePages();
    BuildFilePages();
    BuildServerPages();
    BuildLoggingPages();
    BuildStatisticsPages();
    BuildTreeMenu();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    OKBtn = AddButton(*buttons, "OK");
    OKBtn->setDefault(true);
    ApplyBtn = AddButton(*buttons, "&Apply");
    CancelBtn = AddButton(*buttons, "Close");
    outer->addLayout(buttons);

    connect(Cats, &QTreeWidget::currentItemChanged, this, [this] { CatsChange(); });
    connect(RecentPages, &QComboBox::activated, this,
            [this](int index) { SelectPath(ToStdString(RecentPages->itemText(index))); });
    connect(clearRecent, &QPushButton::clicked, RecentPages, &QComboBox::clear);
    connect(OKBtn, &QPushButton::clicked, this, [this] {
        if (ApplyBtnClick()) accept();
    });
    connect(ApplyBtn, &QPushButton::clicked, this, [this] { ApplyBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

QWidget* TPropertiesDlg::AddPage(TPropertyPage page, QVBoxLayout*& layout) {
    auto* widget = new QWidget;
    layout = new QVBoxLayout(widget);
    Pages->addWidget(widget);
    PageWidgets[page] = widget;
    return widget;
}

QCheckBox* TPropertiesDlg::AddCheck(QVBoxLayout& layout, const char* name, const char* caption) {
    // "&&" in a caption stands for one ampersand.
    auto* box = new QCheckBox(QString::fromUtf8(caption));
    box->setObjectName(QString::fromLatin1(name));
    layout.addWidget(box);
    connect(box, &QCheckBox::toggled, this,
            [this, key = std::string(name)](bool ticked) { CheckClick(key, ticked); });
    return box;
}

QLineEdit* TPropertiesDlg::AddEdit(QFormLayout& form, const char* label, const char* name,
                                   const std::function<void(QLineEdit&)>& browse) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    connect(edit, &QLineEdit::textEdited, this, [this] { GenChange(); });
    if (!browse) {
        form.addRow(QString::fromUtf8(label), edit);
        return edit;
    }
    auto* row = new QHBoxLayout;
    row->addWidget(edit, 1);
    QPushButton* dots = AddButton(*row, "...");
    dots->setObjectName(QString::fromLatin1(name) + QStringLiteral("Browse"));
    dots->setMaximumWidth(32);
    connect(dots, &QPushButton::clicked, this, [edit, browse] { browse(*edit); });
    form.addRow(QString::fromUtf8(label), row);
    return edit;
}

QSpinBox* TPropertiesDlg::AddSpin(QFormLayout& form, const char* label, const char* name, int low,
                                  int high, int step) {
    auto* spin = new QSpinBox;
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(low, high);
    spin->setSingleStep(step);
    connect(spin, &QSpinBox::valueChanged, this, [this] {
        if (!Showing && !Updating) GenChange();
    });
    form.addRow(QString::fromUtf8(label), spin);
    return spin;
}

void TPropertiesDlg::BrowseFolder(QLineEdit& field) {
    // The chooser may make a new folder; the field takes the chosen one.
    const QString folder =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Select Folder"), field.text());
    if (folder.isEmpty()) return;
    field.setText(folder);
    GenChange();
}

void TPropertiesDlg::BrowseInterpreter(QLineEdit& field) {
    FileChoice choice;
    choice.Caption = "Select Perl Compiler...";
    choice.Folder = FolderPart(ToStdString(field.text()));
    choice.FileName = ToStdString(field.text());
    choice.Filter = "All files (*)";
    const std::string chosen = CurrentPrompt().ChooseFile(choice);
    if (chosen.empty()) return;
    field.setText(ToQString(chosen));
    GenChange();
}

void TPropertiesDlg::BuildIdentificationPages() {
    QVBoxLayout* layout = nullptr;
    AddPage(TPropertyPage::Notes, layout);
    connect(AddMemo(*layout, "Notes", "Notes"), &QPlainTextEdit::textChanged, this,
            [this] { GenChange(); });

    AddPage(TPropertyPage::About, layout);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    AddEdit(*form, "Title", "Title");
    AddEdit(*form, "Version", "Version");
    QPlainTextEdit* copyright = AddMemo(*layout, "Copyright", "Copyright");
    connect(copyright, &QPlainTextEdit::textChanged, this, [this] { GenChange(); });
    auto* signs = new QHBoxLayout;
    for (const char* sign : {"\u00A9", "\u00AE", "\u2122"}) {
        QPushButton* button = AddButton(*signs, sign);
        button->setMaximumWidth(40);
        connect(button, &QPushButton::clicked, this, [copyright, sign] {
            copyright->textCursor().insertText(QString::fromUtf8(sign));
            copyright->setFocus();
        });
    }
    signs->addStretch();
    layout->addLayout(signs);

    AddPage(TPropertyPage::Author, layout);
    form = new QFormLayout;
    layout->addLayout(form);
    AddEdit(*form, "Author", "Author");
    AddEdit(*form, "Author ID", "AuthorID");
    layout->addStretch();

    AddPage(TPropertyPage::Contact, layout);
    form = new QFormLayout;
    layout->addLayout(form);
    AddEdit(*form, "Email", "Email");
    AddEdit(*form, "URL", "URL");
    AddEdit(*form, "Telephone", "Telephone");
    connect(AddMemo(*layout, "Postal Address", "PostalAddress"), &QPlainTextEdit::textChanged, this,
            [this] { GenChange(); });

    AddPage(TPropertyPage::Keywords, layout);
    connect(AddMemo(*layout, "Keywords", "Keywords"), &QPlainTextEdit::textChanged, this,
            [this] { GenChange(); });
}

void TPropertiesDlg::BuildEditorPages() {
    const auto addChecks = [this](TPropertyPage page, std::initializer_list<const char*> names) {
        QVBoxLayout* layout = nullptr;
        AddPage(page, layout);
        for (const char* name : names)
            AddCheck(*layout, name, ProjectFlag(name).Caption);
        return layout;
    };
    addChecks(TPropertyPage::Visibility, {"ShowLineNumbers", "ShowLHGutter", "HideScrollBars",
                                          "ShowSpecialChars", "ShowStatusBar", "ShowBlocks"})
        ->addStretch();
    QVBoxLayout* tabs =
        addChecks(TPropertyPage::Tabs, {"AutoIndent", "SmartTabs", "TabsToSpaces",
                                        "TrimTrailingSpaces", "SmartTabDelete", "TabIndents"});
    auto* form = new QFormLayout;
    tabs->addLayout(form);
    QSpinBox* tabSize = AddSpin(*form, "Tab Size", "TabSize", 1, 9);
    connect(tabSize, &QSpinBox::editingFinished, this, [this, tabSize] {
        // The field may show a text the arrows do not hold; leaving it makes them agree.
        if (tabSize->text() != QString::number(tabSize->value())) {
            tabSize->setValue(tabSize->value());
            GenChange();
        }
    });
    tabs->addStretch();
    addChecks(TPropertyPage::Cursor,
              {"CursorPastRight", "CursorPastBottom", "HalfPageScroll", "KeepCursorColumnPos",
               "BlockOverwrite", "HighlightCursorLine"})
        ->addStretch();
    addChecks(TPropertyPage::EditorOther,
              {"AltColMode", "DragAndDrop", "GroupUndo", "XPMenus", "SaveFindReplace",
               "SaveWindowSize", "MultiLineEditorTabs", "SaveProjOrgWindowSize",
               "SaveProjOrgVisibility", "SavePropertyPageHistory", "ExternalChangeCheck",
               "ExecutableScripts", "BackgroundSyntaxCheck"})
        ->addStretch();
}

void TPropertiesDlg::BuildLanguagePages() {
    QVBoxLayout* layout = nullptr;
    AddPage(TPropertyPage::FontColors, layout);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    Scheme = new QComboBox;
    Scheme->setObjectName(QStringLiteral("Scheme"));
    Scheme->setEditable(true);
    Scheme->setInsertPolicy(QComboBox::NoInsert);
    form->addRow(QStringLiteral("Scheme"), Scheme);
    EditorBgColor = new TColorButton(QStringLiteral("Background"));
    EditorBgColor->setObjectName(QStringLiteral("EditorBgColor"));
    form->addRow(QStringLiteral("Editor Background"), EditorBgColor);
    FontBox = new QFontComboBox;
    FontBox->setObjectName(QStringLiteral("font"));
    // Code is edited in fixed-pitch fonts; the box lists the system's own.
    FontBox->setFontFilters(QFontComboBox::MonospacedFonts);
    form->addRow(QStringLiteral("Font"), FontBox);
    FontSize = AddSpin(*form, "Font Size", "fontSize", 2, 99);
    layout->addStretch();
    connect(Scheme, &QComboBox::activated, this, [this] { SchemeChange(); });
    connect(Scheme->lineEdit(), &QLineEdit::editingFinished, this, [this] { SchemeExit(); });
    EditorBgColor->SetOnChange([this](TColor color) { EditorBgColorChange(color); });
    connect(FontBox, &QFontComboBox::currentFontChanged, this, [this] { FontSelectionChange(); });
    connect(FontSize, &QSpinBox::valueChanged, this, [this] { FontSizeChange(); });

    AddPage(TPropertyPage::Highlighting, layout);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    for (int i = 0; i < AttributeCount; ++i) {
        StyleFrames[i] = new TStyleFrame(QString::fromLatin1(AttributeNames[i]));
        StyleFrames[i]->SetOnChange([this] { GenChange(); });
        grid->addWidget(StyleFrames[i], i / 2, i % 2);
    }
    layout->addStretch();

    const auto interpreterPage = [this](TPropertyPage page, const char* name,
                                        QPushButton*& version) {
        QVBoxLayout* pageLayout = nullptr;
        AddPage(page, pageLayout);
        auto* pageForm = new QFormLayout;
        pageLayout->addLayout(pageForm);
        AddEdit(*pageForm, "Interpreter", name,
                [this](QLineEdit& edit) { BrowseInterpreter(edit); });
        auto* row = new QHBoxLayout;
        version = AddButton(*row, "&Version Details...");
        row->addStretch();
        pageLayout->addLayout(row);
        return pageLayout;
    };
    layout = interpreterPage(TPropertyPage::PerlTools, "PerlCompilerPath", PerlVersionBtn);
    AddCheck(*layout, "TaintMode", ProjectFlag("TaintMode").Caption);
    auto* warnings = new QGroupBox(QStringLiteral("Perl Warnings"));
    auto* warningRow = new QHBoxLayout(warnings);
    PerlWarnings = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(QString::fromLatin1(i == 0   ? "None"
                                                           : i == 1 ? "Selective"
                                                                    : "All"));
        radio->setObjectName(QStringLiteral("PerlWarnings%1").arg(i));
        PerlWarnings->addButton(radio, i);
        warningRow->addWidget(radio);
    }
    connect(PerlWarnings, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on) GenChange();
    });
    layout->addWidget(warnings);
    // Kept for every run of the program, whatever the project: past it the oldest output goes.
    auto* runForm = new QFormLayout;
    layout->addLayout(runForm);
    AddSpin(*runForm, "Output kept of a run", "RunOutputLimit", 1, 65536)
        ->setSuffix(QStringLiteral(" MB"));
    AddCheck(*layout, "RunInTerminal",
             "Run programs in a terminal (output shows as it is written; long output is slower)");
    layout->addStretch();
    connect(PerlVersionBtn, &QPushButton::clicked, this, [this] { PerlVersionClick(); });

    layout = interpreterPage(TPropertyPage::PhpTools, "PhpCompilerPath", PhpVersionBtn);
    AddCheck(*layout, "AutoSetupPhp", ProjectFlag("AutoSetupPhp").Caption);
    layout->addStretch();
    connect(PhpVersionBtn, &QPushButton::clicked, this, [this] { PhpVersionClick(); });

    AddPage(TPropertyPage::MySqlTools, layout);
    form = new QFormLayout;
    layout->addLayout(form);
    AddEdit(*form, "MySQL BIN folder", "MySqlPath",
            [this](QLineEdit& edit) { BrowseFolder(edit); });
    for (const char* name : {"ServerUpOnStartup", "ServerDownOnShutdown", "CheckForDownServer",
                             "UseNamedPipe", "UseService", "AutoInstallService", "AutoSetupMySql"})
        AddCheck(*layout, name, MySqlFlag(name).Caption);
    // Installing a server as a service is the system's package's work here: the value is
    // kept for the project file, the box is not shown.
    Box("AutoInstallService")->setVisible(false);
    auto* serverRow = new QHBoxLayout;
    CheckServerUpBtn = AddButton(*serverRow, "Check if Server Up");
    BringServerDownBtn = AddButton(*serverRow, "Bring Server Down");
    serverRow->addStretch();
    layout->addLayout(serverRow);
    layout->addStretch();
    connect(CheckServerUpBtn, &QPushButton::clicked, this,
            [this] { Project.MySql().CheckServerUpCommand(); });
    connect(BringServerDownBtn, &QPushButton::clicked, this,
            [this] { Project.MySql().BringServerDownCommand(); });

    AddPage(TPropertyPage::MySqlLogin, layout);
    form = new QFormLayout;
    layout->addLayout(form);
    AddEdit(*form, "User Login", "MySqlLogin");
    AddEdit(*form, "User Password", "MySqlPassword")->setEchoMode(QLineEdit::Password);
    AddEdit(*form, "Root Password", "MySqlRootPassword")->setEchoMode(QLineEdit::Password);
    layout->addStretch();
}

void TPropertiesDlg::BuildFilePages() {
    QVBoxLayout* layout = nullptr;
    AddPage(TPropertyPage::Portability, layout);
    AddCheck(*layout, "FilesInProject", ProjectFlag("FilesInProject").Caption);
    layout->addStretch();

    AddPage(TPropertyPage::FilePaths, layout);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    AddEdit(*form, "Temporary Folder", "TempPath", [this](QLineEdit& edit) { BrowseFolder(edit); });
    AddEdit(*form, "Root URL", "RootURL");
    layout->addStretch();

    AddPage(TPropertyPage::Backups, layout);
    form = new QFormLayout;
    layout->addLayout(form);
    AddSpin(*form, "Backups", "Backups", 0, 10);
    AddEdit(*form, "Versions Folder", "VersionsPath",
            [this](QLineEdit& edit) { BrowseFolder(edit); });
    AddSpin(*form, "No backups within", "BackupPause", 0, 32767, 10)
        ->setSuffix(QStringLiteral(" seconds of last saved backup"));
    layout->addStretch();

    AddPage(TPropertyPage::FileTypes, layout);
    FileTypes = new QTreeWidget;
    FileTypes->setObjectName(QStringLiteral("FileTypes"));
    FileTypes->setRootIsDecorated(false);
    FileTypes->setHeaderLabels({QStringLiteral("Description"), QStringLiteral("Extensions"),
                                QStringLiteral("Editable"), QStringLiteral("ASCII")});
    FileTypes->header()->setSectionsClickable(true);
    layout->addWidget(FileTypes, 1);
    auto* row = new QHBoxLayout;
    AddTypeBtn = AddButton(*row, "+");
    DeleteTypeBtn = AddButton(*row, "-");
    row->addStretch();
    QPushButton* reset = AddButton(*row, "&Reset to Defaults");
    QPushButton* clear = AddButton(*row, "&Clear");
    layout->addLayout(row);
    form = new QFormLayout;
    layout->addLayout(form);
    FileTypeDesc = new QLineEdit;
    FileTypeDesc->setObjectName(QStringLiteral("FileTypeDesc"));
    form->addRow(QStringLiteral("Description"), FileTypeDesc);
    FileTypeExt = new QLineEdit;
    FileTypeExt->setObjectName(QStringLiteral("FileTypeExt"));
    form->addRow(QStringLiteral("Extensions"), FileTypeExt);
    FileTypeEditable = new QCheckBox(QStringLiteral("Editable from Korvane"));
    FileTypeAscii = new QCheckBox(QStringLiteral("Treat as ASCII in FTP Transfer"));
    layout->addWidget(FileTypeEditable);
    layout->addWidget(FileTypeAscii);
    connect(FileTypes, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        SelectFileType(
            item ? reinterpret_cast<TFileType*>(item->data(0, Qt::UserRole).value<quintptr>())
                 : nullptr);
    });
    connect(FileTypes->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { FileTypes->sortItems(column, Qt::AscendingOrder); });
    connect(AddTypeBtn, &QPushButton::clicked, this, [this] { AddFileTypeClick(); });
    connect(DeleteTypeBtn, &QPushButton::clicked, this, [this] { DeleteFileTypeClick(); });
    connect(reset, &QPushButton::clicked, this, [this] { ResetFileTypesClick(); });
    connect(clear, &QPushButton::clicked, this, [this] { ClearFileTypesClick(); });
    for (QLineEdit* edit : {FileTypeDesc, FileTypeExt})
        connect(edit, &QLineEdit::textEdited, this, [this] { FileTypeDetailChange(); });
    for (QCheckBox* box : {FileTypeEditable, FileTypeAscii})
        connect(box, &QCheckBox::toggled, this, [this] { FileTypeDetailChange(); });

    AddPage(TPropertyPage::EnvVariables, layout);
    Env = new TEnvVarsFrame;
    Env->setObjectName(QStringLiteral("ev"));
    Env->Bind(WorkEnvVars);
    Env->SetOnChange([this] { GenChange(); });
    layout->addWidget(Env);

    AddPage(TPropertyPage::EnvOptions, layout);
    for (const char* name :
         {"UseExternalEnvVars", "ExcludeExternalEnvEquals", "EnvTempFromProject", "KeyEnvVars"})
        AddCheck(*layout, name, ProjectFlag(name).Caption);
    layout->addStretch();
}

void TPropertiesDlg::BuildServerPages() {
    QVBoxLayout* layout = nullptr;
    AddPage(TPropertyPage::WebGeneral, layout);
    AddCheck(*layout, "WebServerStarted",
             "Use Korvane web server to serve web pages and Perl CGI programs");
    auto* form = new QFormLayout;
    layout->addLayout(form);
    AddEdit(*form, "Root Folder", "WebServerPath", [this](QLineEdit& edit) { BrowseFolder(edit); });
    AddEdit(*form, "Default Document", "DefWebFile");
    AddEdit(*form, "Port", "WebPort");
    layout->addStretch();

    AddPage(TPropertyPage::WebCgi, layout);
    form = new QFormLayout;
    layout->addLayout(form);
    AddEdit(*form, "CGI Folder", "CgiBinPath", [this](QLineEdit& edit) { BrowseFolder(edit); });
    AddEdit(*form, "Logical CGI Path", "CgiBinLogicalPath");
    QSpinBox* timeout = AddSpin(*form, "CGI Timeout (seconds)", "CgiTimeout", 1, 21600);
    connect(timeout, &QSpinBox::editingFinished, this, [this, timeout] {
        if (timeout->text() != QString::number(timeout->value())) {
            timeout->setValue(timeout->value());
            GenChange();
        }
    });
    layout->addStretch();

    AddPage(TPropertyPage::FtpLogin, layout);
    form = new QFormLayout;
    layout->addLayout(form);
    AddEdit(*form, "Host Name", "HostName");
    AddEdit(*form, "Login", "Login");
    AddEdit(*form, "Password", "Password")->setEchoMode(QLineEdit::Password);
    AddEdit(*form, "Port", "Port");
    AddEdit(*form, "Start Folder", "StartDir");
    // SFTP beside FTP; each protocol's default port stands in for the other's.
    auto* protocol = new QComboBox;
    protocol->setObjectName(QStringLiteral("FtpProtocol"));
    protocol->addItems({QStringLiteral("FTP"), QStringLiteral("SFTP")});
    form->addRow(QStringLiteral("Protocol"), protocol);
    QLineEdit* keyFile = AddEdit(*form, "SFTP Key File", "SftpKeyFile", [this](QLineEdit& edit) {
        FileChoice choice;
        choice.Caption = "Select a Private Key File...";
        choice.Folder = edit.text().isEmpty() ? ToStdString(QDir::homePath()) + "/.ssh/"
                                              : FolderPart(ToStdString(edit.text()));
        choice.FileName = ToStdString(edit.text());
        choice.Filter = "All files (*)";
        const std::string chosen = CurrentPrompt().ChooseFile(choice);
        if (chosen.empty()) return;
        edit.setText(ToQString(chosen));
        GenChange();
    });
    keyFile->setPlaceholderText(QStringLiteral("ssh-agent's keys"));
    connect(protocol, &QComboBox::activated, this, [this](int index) {
        QLineEdit* port = findChild<QLineEdit*>(QStringLiteral("Port"));
        port->setText(ToQString(
            PortForProtocol(static_cast<TFtpProtocol>(index), ToStdString(port->text()))));
        GenChange();
    });
    // Passive data connections: opened by this side, which firewalls let through.
    AddCheck(*layout, "FtpPassive", ProjectFlag("FtpPassive").Caption);
    auto* row = new QHBoxLayout;
    TestConnectionBtn = AddButton(*row, "Test Connection");
    row->addStretch();
    layout->addLayout(row);
    layout->addStretch();
    FtpStatus = new QStatusBar;
    FtpStatus->setSizeGripEnabled(false);
    layout->addWidget(FtpStatus);
    connect(TestConnectionBtn, &QPushButton::clicked, this, [this] { TestConnectionClick(); });

    AddPage(TPropertyPage::FtpMisc, layout);
    for (const char* name : {"FtpUploadChangedFiles", "FtpKeepOpen"})
        AddCheck(*layout, name, ProjectFlag(name).Caption);
    layout->addStretch();
}

void TPropertiesDlg::BuildLoggingPages() {
    QVBoxLayout* layout = nullptr;
    AddPage(TPropertyPage::Logging, layout);
    LoggingIsOn = new QPushButton(QStringLiteral("Logging is off"));
    LoggingIsOn->setObjectName(QStringLiteral("LoggingIsOn"));
    LoggingIsOn->setCheckable(true);
    layout->addWidget(LoggingIsOn);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    AddEdit(*form, "Log File", "LogFilename", [this](QLineEdit& edit) {
        FileChoice choice;
        choice.Caption = "Select Log File...";
        choice.Folder = FolderPart(ToStdString(edit.text()));
        choice.FileName = ToStdString(edit.text());
        choice.Filter = "Log files (*.log);;Text files (*.txt);;All files (*)";
        choice.DefaultExt = "log";
        const std::string chosen = CurrentPrompt().ChooseFile(choice);
        if (!chosen.empty()) {
            edit.setText(ToQString(chosen));
            GenChange();
        }
    });
    auto* row = new QHBoxLayout;
    const std::pair<const char*, void (TPropertiesDlg::*)()> actions[] = {
        {"Clear Log", &TPropertiesDlg::ClearLogClick},
        {"View Log", &TPropertiesDlg::ViewLogClick},
        {"Log to Clipboard", &TPropertiesDlg::LogToClipboardClick}};
    for (const auto& [caption, action] : actions)
        connect(AddButton(*row, caption), &QPushButton::clicked, this, action);
    layout->addLayout(row);
    row = new QHBoxLayout;
    connect(AddButton(*row, "Select All"), &QPushButton::clicked, this,
            [this] { SetAllLoggingOptions(true); });
    connect(AddButton(*row, "Clear All"), &QPushButton::clicked, this,
            [this] { SetAllLoggingOptions(false); });
    row->addStretch();
    layout->addLayout(row);
    layout->addStretch();
    connect(LoggingIsOn, &QPushButton::clicked, this, [this] { LoggingIsOnClick(); });

    const auto addChecks = [this](TPropertyPage page, std::initializer_list<const char*> names) {
        QVBoxLayout* pageLayout = nullptr;
        AddPage(page, pageLayout);
        for (const char* name : names)
            AddCheck(*pageLayout, name, ProjectFlag(name).Caption);
        return pageLayout;
    };
    addChecks(TPropertyPage::LogConsole,
              {"LogConsoleIncludeStdErr", "LogConsoleIncludeStdOut", "LogConsoleIncludeStdIn"})
        ->addStretch();
    addChecks(TPropertyPage::LogFlow, {"LogProgStartStop", "LogProgBreakpoint", "LogProgStep",
                                       "LogProgTerminate", "LogProgClearLog"})
        ->addStretch();
    addChecks(TPropertyPage::LogInfo, {"LogInfoPerlVersion", "LogInfoAdvPerlInfo", "LogInfoMySQL",
                                       "LogInfoWebServer", "LogInfoEnvVars", "LogInfoWinVer",
                                       "LogInfoKorvaneVer", "LogInfoFullProject", "LogInfoTempDir"})
        ->addStretch();
    addChecks(TPropertyPage::LogWeb, {"LogWebStartStop", "LogWebGet", "LogWebPost", "LogWebErrors"})
        ->addStretch();
    layout = addChecks(TPropertyPage::LogInternals, {});
    AddCheck(*layout, "IgnoreTransientUpdates", "Ignore Transient Updates");
    QPushButton* internals =
        AddButton(*layout, "Start Logging Korvane Internals after specified interval");
    connect(internals, &QPushButton::clicked, this, [this] { InternalsLoggingClick(); });
    layout->addStretch();
}

void TPropertiesDlg::BuildStatisticsPages() {
    QVBoxLayout* layout = nullptr;
    AddPage(TPropertyPage::StatsProject, layout);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    AddInfo(*form, "Project File", "ProjectFileName");
    AddInfo(*form, "Created", "StartDate");
    AddInfo(*form, "Modified", "ModifiedDate");
    AddInfo(*form, "Files in Project", "Count");
    AddInfo(*form, "Visible Files", "VisibleCount");
    AddInfo(*form, "Temporary Files", "TempCount");
    layout->addStretch();

    AddPage(TPropertyPage::StatsTemplates, layout);
    form = new QFormLayout;
    layout->addLayout(form);
    AddInfo(*form, "Templates", "TemplateStats");
    AddInfo(*form, "Template File", "TemplateFileName");
    layout->addStretch();

    AddPage(TPropertyPage::StatsHelp, layout);
    form = new QFormLayout;
    layout->addLayout(form);
    AddInfo(*form, "Help File", "HelpFileName");
    AddInfo(*form, "Statistics", "HelpStats");
    layout->addStretch();
}

void TPropertiesDlg::BuildTreeMenu() {
    Cats->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Cats, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        QTreeWidgetItem* node = Cats->currentItem();
        const auto setBranch = [](QTreeWidgetItem* item, bool expanded) {
            std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* each) {
                each->setExpanded(expanded);
                for (int i = 0; i < each->childCount(); ++i)
                    walk(each->child(i));
            };
            walk(item);
        };
        menu.addAction(QStringLiteral("&Expand Branch"), [&] { setBranch(node, true); })
            ->setEnabled(node != nullptr);
        menu.addAction(QStringLiteral("&Collapse Branch"), [&] { setBranch(node, false); })
            ->setEnabled(node != nullptr);
        menu.addAction(QStringLiteral("&Expand All"), [this] { Cats->expandAll(); });
        menu.addAction(QStringLiteral("&Collapse All"), [this] { Cats->collapseAll(); });
        menu.exec(Cats->viewport()->mapToGlobal(at));
    });
}

} // namespace korvane
