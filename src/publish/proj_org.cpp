#include "publish/proj_org.h"

#include "editor/editor_page.h"
#include "platform/qt_strings.h"
#include "project/kor_project.h"
#include "publish/chmod_form.h"
#include "publish/proj_org_list.h"
#include "publish/protocol_row.h"
#include "publish/unix_permissions.h"
#include "storage/date_text.h"
#include "storage/file_utils.h"
#include "storage/flag_scope.h"
#include "storage/prompt.h"
#include "storage/text_utils.h"
#include "widgets/help_topic.h"
#include "widgets/user_feedback.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace korvane {
namespace {

const QColor LightRed(255, 170, 170);
const QColor Grey(128, 128, 128);

// A theme icon, or where the desktop has no icon theme a plain drawn mark in its place.
void PaintMark(QPainter& painter, int left, const char* themeName, const QColor& fallback) {
    const QIcon icon = QIcon::fromTheme(QString::fromLatin1(themeName));
    if (!icon.isNull()) {
        icon.paint(&painter, left, 0, 16, 16);
        return;
    }
    painter.setPen(fallback.darker(150));
    painter.setBrush(fallback);
    painter.drawEllipse(left + 3, 3, 10, 10);
}

// The row's icon strip: shown for editing or not, then its upload mark.
QIcon RowIcon(const TOrgRow& row) {
    QPixmap strip(36, 16);
    strip.fill(Qt::transparent);
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing);
    if (row.Shown) PaintMark(painter, 0, "document-edit", QColor(90, 140, 220));
    if (row.Upload == TUploadMark::NeedsUpload)
        PaintMark(painter, 20, "go-up", QColor(240, 160, 40));
    else if (row.Upload == TUploadMark::UpToDate)
        PaintMark(painter, 20, "emblem-default", QColor(80, 180, 80));
    else
        PaintMark(painter, 20, "list-remove", QColor(200, 200, 200));
    return QIcon(strip);
}

void SetTextKeepingCaret(QLineEdit& box, const std::string& text) {
    const QString value = ToQString(text);
    if (box.text() != value) box.setText(value);
}

void SetTextColour(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget.setPalette(palette);
}

void SetBaseColour(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Window, colour);
    widget.setAutoFillBackground(true);
    widget.setPalette(palette);
}

// Shows a setting the selected pages share, or the undetermined state when they differ.
void ShowCheck(QCheckBox& box, bool checked, bool mixed) {
    box.setTristate(mixed);
    box.setCheckState(mixed ? Qt::PartiallyChecked : checked ? Qt::Checked : Qt::Unchecked);
}

QPushButton* Button(const char* name, const char* caption, QLayout* layout) {
    auto* button = new QPushButton(QString::fromUtf8(caption));
    button->setObjectName(QString::fromLatin1(name));
    layout->addWidget(button);
    return button;
}

} // namespace

TProjOrg::TProjOrg(QWidget* owner, TKorProject& project, TUploader& uploader, TCommands commands)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint), Project(project), Uploader(uploader),
      Commands(std::move(commands)) {
    setObjectName(QStringLiteral("ProjOrg"));
    setWindowTitle(QStringLiteral("Project Organizer"));
    SetHelpTopic(*this, "Contents/reference/organizer");
    auto* layout = new QVBoxLayout(this);
    auto* split = new QSplitter;
    Files = new QListWidget;
    Files->setObjectName(QStringLiteral("files"));
    Files->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Files->setIconSize(QSize(36, 16));
    Files->setMinimumWidth(160);
    Files->setMaximumWidth(260);
    Files->setContextMenuPolicy(Qt::CustomContextMenu);
    split->addWidget(Files);
    BuildSheets();
    split->addWidget(Sheets);
    split->setStretchFactor(1, 1);
    layout->addWidget(split, 1);
    auto* bottom = new QHBoxLayout;
    StatusBar = new QStatusBar;
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    bottom->addWidget(StatusBar, 1);
    CancelUploadBtn = Button("CancelUploadBtn", "Cancel", bottom);
    CancelUploadBtn->hide();
    layout->addLayout(bottom);
    BuildMenu();

    connect(Files, &QListWidget::itemSelectionChanged, this, [this] { SelectionChanged(); });
    connect(Files, &QListWidget::currentRowChanged, this, [this] { SelectionChanged(); });
    connect(Files, &QListWidget::itemDoubleClicked, this, [this] {
        if (!UploadRunning) hide();
    });
    connect(Files, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { Popup->popup(Files->viewport()->mapToGlobal(at)); });
    connect(CancelUploadBtn, &QPushButton::clicked, this, [this] { Uploader.Cancel(); });
    resize(700, 400);
}

void TProjOrg::BuildSheets() {
    Sheets = new QTabWidget;
    BuildGeneralSheet();
    BuildFtpSheet();
    Sheets->addTab(GeneralSheet, QStringLiteral("General"));
    Sheets->addTab(FtpSheet, QStringLiteral("FTP"));
}

void TProjOrg::BuildGeneralSheet() {
    GeneralSheet = new QWidget;
    auto* layout = new QVBoxLayout(GeneralSheet);
    FileNameShow = new QLineEdit;
    FileNameShow->setObjectName(QStringLiteral("FileNameShow"));
    FileNameShow->setReadOnly(true);
    layout->addWidget(FileNameShow);
    IsVisible = new QCheckBox(QStringLiteral("Show page for editing?"));
    IsVisible->setObjectName(QStringLiteral("IsVisible"));
    layout->addWidget(IsVisible);
    SaveWithProject = new QCheckBox(QStringLiteral("Save file within project"));
    SaveWithProject->setObjectName(QStringLiteral("SaveWithProject"));
    layout->addWidget(SaveWithProject);
    SaveWithProjMsg = new QLabel(
        QStringLiteral("This file will be saved with the project if enabled at project level"));
    SaveWithProjMsg->setWordWrap(true);
    SetTextColour(*SaveWithProjMsg, Qt::red);
    SaveWithProjMsg->hide();
    layout->addWidget(SaveWithProjMsg);
    auto* buttons = new QGridLayout;
    auto* column1 = new QVBoxLayout;
    auto* column2 = new QVBoxLayout;
    MoveUpBtn = Button("MoveUpBtn", "Move &Up", column1);
    MoveDownBtn = Button("MoveDownBtn", "Move &Down", column1);
    SaveAsBtn = Button("SaveAsBtn", "Save As...", column1);
    RemoveFileBtn = Button("RemoveFileBtn", "&Remove File", column1);
    SelectAllBtn = Button("SelectAllBtn", "Select All", column2);
    SelectNoneBtn = Button("SelectNoneBtn", "Select None", column2);
    FlipSelectBtn = Button("FlipSelectBtn", "Flip Selection", column2);
    buttons->addLayout(column1, 0, 0);
    buttons->addLayout(column2, 0, 1);
    layout->addLayout(buttons);
    layout->addStretch();

    connect(IsVisible, &QCheckBox::clicked, this, [this] { ApplyEdit(TEdit::Visible); });
    connect(SaveWithProject, &QCheckBox::clicked, this,
            [this] { ApplyEdit(TEdit::SaveWithProject); });
    connect(MoveUpBtn, &QPushButton::clicked, this, [this] {
        MoveSelectedUp(Project);
        RebuildList();
    });
    connect(MoveDownBtn, &QPushButton::clicked, this, [this] {
        MoveSelectedDown(Project);
        RebuildList();
    });
    const auto selection = [this](void (TKorProject::*select)()) {
        (Project.*select)();
        RebuildList();
    };
    connect(SelectAllBtn, &QPushButton::clicked, this,
            [selection] { selection(&TKorProject::SelectAllPages); });
    connect(SelectNoneBtn, &QPushButton::clicked, this,
            [selection] { selection(&TKorProject::SelectNoPages); });
    connect(FlipSelectBtn, &QPushButton::clicked, this,
            [selection] { selection(&TKorProject::FlipPageSelection); });
    connect(SaveAsBtn, &QPushButton::clicked, this, [this] {
        if (TEditorPage* page = CurrentPage(); page && Commands.SaveAs) Commands.SaveAs(*page);
        RebuildList();
    });
    connect(RemoveFileBtn, &QPushButton::clicked, this, [this] { RemoveFileBtnClick(); });
}

void TProjOrg::BuildFtpSheet() {
    FtpSheet = new QWidget;
    FtpSheet->setObjectName(QStringLiteral("FtpSheet"));
    auto* layout = new QVBoxLayout(FtpSheet);
    Upload = new QCheckBox(QStringLiteral("Use this file for uploading to Server"));
    Upload->setObjectName(QStringLiteral("Upload"));
    layout->addWidget(Upload);
    auto* form = new QFormLayout;
    FileName = new QLineEdit;
    FileName->setObjectName(QStringLiteral("FileName"));
    FileName->setMinimumWidth(200);
    form->addRow(QStringLiteral("File Name "), FileName);
    OffsetDir = new QLineEdit;
    OffsetDir->setObjectName(QStringLiteral("OffsetDir"));
    form->addRow(QStringLiteral("Offset Destination Directory "), OffsetDir);
    layout->addLayout(form);
    auto* method = new QGroupBox(QStringLiteral("Transfer Method"));
    auto* methods = new QHBoxLayout(method);
    Auto = new QRadioButton(QStringLiteral("Auto"));
    Binary = new QRadioButton(QStringLiteral("Binary"));
    ASCII = new QRadioButton(QStringLiteral("ASCII (Text)"));
    auto* group = new QButtonGroup(method);
    int id = 0;
    for (QRadioButton* radio : {Auto, Binary, ASCII}) {
        methods->addWidget(radio);
        group->addButton(radio, id++);
        connect(radio, &QRadioButton::clicked, this, [this] { ApplyEdit(TEdit::Transfer); });
    }
    Auto->setObjectName(QStringLiteral("Auto"));
    Binary->setObjectName(QStringLiteral("Binary"));
    ASCII->setObjectName(QStringLiteral("ASCII"));
    layout->addWidget(method);
    auto* mode = new QHBoxLayout;
    ChangeMode = new QCheckBox(QStringLiteral("Change File Permissions?"));
    ChangeMode->setObjectName(QStringLiteral("ChangeMode"));
    mode->addWidget(ChangeMode);
    ChModValue = new QLineEdit;
    ChModValue->setObjectName(QStringLiteral("ChModValue"));
    ChModValue->setMaximumWidth(60);
    MakePermissionBox(*ChModValue);
    mode->addWidget(ChModValue);
    ChModBtn = Button("ChModBtn", "...", mode);
    ChModBtn->setMaximumWidth(32);
    mode->addStretch();
    layout->addLayout(mode);
    auto* dates = new QFormLayout;
    UploadDate = new QLineEdit;
    UploadDate->setObjectName(QStringLiteral("UploadDate"));
    UploadDate->setReadOnly(true);
    UploadDate->setMinimumWidth(230);
    dates->addRow(QStringLiteral("Last Uploaded Date && Time "), UploadDate);
    layout->addLayout(dates);
    layout->addStretch();
    layout->addWidget(new TProtocolRow(Project));
    auto* buttons = new QHBoxLayout;
    ProjProps = Button("ProjProps", "&Project Properties", buttons);
    buttons->addStretch();
    UploadBtn = Button("UploadBtn", "&Upload", buttons);
    layout->addLayout(buttons);

    connect(Upload, &QCheckBox::clicked, this, [this] { ApplyEdit(TEdit::Upload); });
    connect(FileName, &QLineEdit::textEdited, this, [this] { ApplyEdit(TEdit::FileName); });
    connect(OffsetDir, &QLineEdit::textEdited, this, [this] { ApplyEdit(TEdit::OffsetDir); });
    connect(ChangeMode, &QCheckBox::clicked, this, [this] { ApplyEdit(TEdit::ChMod); });
    connect(ChModValue, &QLineEdit::editingFinished, this, [this] {
        SetTextKeepingCaret(*ChModValue, PadPermissionValue(ToStdString(ChModValue->text())));
        ApplyEdit(TEdit::ChModVal);
    });
    connect(ChModBtn, &QPushButton::clicked, this, [this] { ChModBtnClick(); });
    connect(UploadBtn, &QPushButton::clicked, this, [this] { UploadBtnClick(); });
    ProjProps->setEnabled(static_cast<bool>(Commands.ProjectProperties));
    connect(ProjProps, &QPushButton::clicked, this, [this] {
        if (Commands.ProjectProperties) Commands.ProjectProperties();
        ShowHints();
    });
}

void TProjOrg::BuildMenu() {
    Popup = new QMenu(this);
    QAction* saveAs = Popup->addAction(QStringLiteral("&Save As..."));
    QAction* show = Popup->addAction(QStringLiteral("Show Page for editing"));
    QAction* keep = Popup->addAction(QStringLiteral("Save File within project"));
    show->setCheckable(true);
    keep->setCheckable(true);
    Popup->addSeparator();
    const std::pair<const char*, QPushButton*> mirrored[] = {
        {"Move &Up", MoveUpBtn},
        {"Move &Down", MoveDownBtn},
        {"Select &All", SelectAllBtn},
        {"Select &None", SelectNoneBtn},
        {"&Flip Selection", FlipSelectBtn},
        {"&Remove from Project", RemoveFileBtn}};
    std::vector<std::pair<QAction*, QPushButton*>> actions;
    for (const auto& [caption, button] : mirrored) {
        QAction* action = Popup->addAction(QString::fromUtf8(caption));
        connect(action, &QAction::triggered, button, &QPushButton::click);
        actions.emplace_back(action, button);
    }
    connect(saveAs, &QAction::triggered, SaveAsBtn, &QPushButton::click);
    connect(show, &QAction::triggered, IsVisible, &QCheckBox::click);
    connect(keep, &QAction::triggered, SaveWithProject, &QCheckBox::click);
    connect(Popup, &QMenu::aboutToShow, this, [this, saveAs, show, keep, actions] {
        for (const auto& [action, button] : actions)
            action->setEnabled(button->isEnabled());
        saveAs->setEnabled(SaveAsBtn->isEnabled());
        show->setEnabled(IsVisible->isEnabled());
        show->setChecked(IsVisible->checkState() == Qt::Checked);
        keep->setEnabled(SaveWithProject->isEnabled());
        keep->setChecked(SaveWithProject->checkState() == Qt::Checked);
    });
}

TEditorPage* TProjOrg::CurrentPage() const {
    const QListWidgetItem* item = Files->currentItem();
    if (!item) return nullptr;
    auto* page = reinterpret_cast<TEditorPage*>(item->data(Qt::UserRole).value<quintptr>());
    // The row may outlive its page by a moment: only a page still in the project counts.
    return Project.PageInProjec(page) ? page : nullptr;
}

void TProjOrg::RebuildList() {
    TEditorPage* current = CurrentPage();
    {
        const TFlagScope updating(Updating);
        Files->clear();
        int currentRow = -1;
        for (const TOrgRow& row : OrganizerRows(Project)) {
            auto* item = new QListWidgetItem(RowIcon(row), ToQString(row.Caption), Files);
            item->setData(Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(row.Page)));
            if (row.FileMissing) item->setForeground(Qt::red);
            item->setSelected(row.Page->Selected());
            if (row.Page == current || (currentRow < 0 && row.Page->Selected()))
                currentRow = Files->count() - 1;
        }
        if (currentRow >= 0) Files->setCurrentRow(currentRow, QItemSelectionModel::NoUpdate);
    }
    ShowDetails();
}

void TProjOrg::SelectPage(TEditorPage& page) {
    Project.SelectNoPages();
    page.setSelected(true);
    show();
    RebuildList();
    for (int row = 0; row < Files->count(); ++row)
        if (Files->item(row)->data(Qt::UserRole).value<quintptr>() ==
            reinterpret_cast<quintptr>(&page))
            Files->setCurrentRow(row, QItemSelectionModel::NoUpdate);
    raise();
    activateWindow();
}

void TProjOrg::ShowNotice(const std::string& text) {
    Notice = text;
    StatusBar->showMessage(ToQString(text));
}

void TProjOrg::SelectionChanged() {
    if (Updating) return;
    Notice.clear();
    for (int row = 0; row < Files->count(); ++row) {
        auto* page =
            reinterpret_cast<TEditorPage*>(Files->item(row)->data(Qt::UserRole).value<quintptr>());
        if (Project.PageInProjec(page)) page->setSelected(Files->item(row)->isSelected());
    }
    ShowDetails();
}

void TProjOrg::ShowDetails() {
    const TFlagScope updating(Updating);
    TEditorPage* page = CurrentPage();
    for (QWidget* control : std::initializer_list<QWidget*>{
             FileNameShow, IsVisible, SaveWithProject, SaveAsBtn, Upload, FileName, OffsetDir, Auto,
             Binary, ASCII, ChangeMode, ChModValue, ChModBtn, UploadDate})
        control->setEnabled(page != nullptr);
    if (!page) {
        for (QLineEdit* box : {FileNameShow, FileName, OffsetDir, ChModValue, UploadDate})
            box->clear();
        for (QCheckBox* box : {IsVisible, SaveWithProject, Upload, ChangeMode})
            ShowCheck(*box, false, false);
        SetBaseColour(*UploadDate, palette().color(QPalette::Button));
        SaveWithProjMsg->hide();
        ShowHints();
        ShowLockState();
        return;
    }
    const std::string file = page->TempFileName();
    SetTextKeepingCaret(*FileNameShow, file);
    SetTextColour(*FileNameShow, FileExists(file) ? QColor(Qt::darkBlue) : QColor(Qt::red));
    IsVisible->setEnabled(page->HasEditor());
    const bool filesInProject = Project.FilesInProject();
    SaveWithProject->setEnabled(!page->IsTempFile() && filesInProject);
    SaveWithProjMsg->setVisible(page->SaveWithProject() && !filesInProject && !page->IsTempFile());
    SetTextKeepingCaret(*FileName, page->FtpDestFilename());
    SetTextKeepingCaret(*OffsetDir, page->FtpOffsetDir());
    SetTextKeepingCaret(*ChModValue, page->FtpChModVal());
    const int transfer = page->FtpTransferType();
    (transfer == 1 ? Binary : transfer == 2 ? ASCII : Auto)->setChecked(true);
    ChModValue->setEnabled(page->FtpChMod());
    ChModBtn->setEnabled(page->FtpChMod());
    StatusBar->showMessage(ToQString(Notice.empty() ? page->FtpStatus() : Notice));
    SetBaseColour(*StatusBar, palette().color(QPalette::Button));
    if (Commands.ShowPage) Commands.ShowPage(*page);
    ShowDates();
    ShowMixed();
    ShowHints();
    ShowLockState();
}

void TProjOrg::ShowLockState() {
    for (QPushButton* button : {MoveUpBtn, MoveDownBtn, RemoveFileBtn, UploadBtn})
        button->setEnabled(!UploadRunning);
    SaveAsBtn->setEnabled(!UploadRunning && CurrentPage());
    // The server settings stay as the running upload uses them.
    ProjProps->setEnabled(!UploadRunning && Commands.ProjectProperties);
    CancelUploadBtn->setVisible(UploadRunning);
}

void TProjOrg::ShowDates() {
    TEditorPage* page = CurrentPage();
    if (!page) return;
    const TDateTime uploaded = page->FtpUploadDate();
    UploadDate->setText(
        uploaded == 0 ? QStringLiteral("*** not yet uploaded ***")
                      : ToQString(FormatDateTime("ddd d mmm yyyy \"at\" hh:nnam/pm", uploaded)));
    SetBaseColour(*UploadDate,
                  page->NeedsUploading() ? LightRed : palette().color(QPalette::Button));
}

void TProjOrg::ShowMixed() {
    TEditorPage* page = CurrentPage();
    if (!page) return;
    const TMixedSettings mixed = MixedSettings(*page, SelectedPages(Project));
    const bool keptWithProject =
        page->IsTempFile() || (Project.FilesInProject() && page->SaveWithProject());
    ShowCheck(*IsVisible, page->Visible(), mixed.Visible);
    ShowCheck(*SaveWithProject, keptWithProject, mixed.SaveWithProject);
    ShowCheck(*Upload, page->FtpUpload(), mixed.Upload);
    ShowCheck(*ChangeMode, page->FtpChMod(), mixed.ChMod);
    const QColor normal = QApplication::palette().color(QPalette::Text);
    SetTextColour(*FileName, mixed.DestFilename ? Grey : normal);
    SetTextColour(*OffsetDir, mixed.OffsetDir ? Grey : normal);
    SetTextColour(*ChModValue, mixed.ChModVal ? Grey : normal);
    for (QRadioButton* radio : {Auto, Binary, ASCII})
        SetTextColour(*radio, mixed.TransferType ? Grey : normal);
}

void TProjOrg::ShowHints() {
    if (!CurrentPage()) {
        OffsetDir->setToolTip({});
        FileName->setToolTip({});
        return;
    }
    const std::string folder = RemoteFolderHint(Project, ToStdString(OffsetDir->text()));
    OffsetDir->setToolTip(ToQString(folder));
    FileName->setToolTip(ToQString(folder + "/" + ToStdString(FileName->text())));
}

void TProjOrg::ApplyEdit(TEdit edit) {
    if (Updating) return;
    const bool checked = [&] {
        switch (edit) {
        case TEdit::Visible:
            return IsVisible->checkState() == Qt::Checked;
        case TEdit::SaveWithProject:
            return SaveWithProject->checkState() == Qt::Checked;
        case TEdit::Upload:
            return Upload->checkState() == Qt::Checked;
        case TEdit::ChMod:
            return ChangeMode->checkState() == Qt::Checked;
        default:
            return false;
        }
    }();
    const std::string fileName = ToStdString(FileName->text());
    const std::string offsetDir = ToStdString(OffsetDir->text());
    const std::string chmodValue = PadPermissionValue(ToStdString(ChModValue->text()));
    const uint8_t transfer = Binary->isChecked() ? 1 : ASCII->isChecked() ? 2 : 0;
    for (TEditorPage* page : SelectedPages(Project)) {
        switch (edit) {
        case TEdit::Visible:
            if (page->HasEditor()) page->setVisible(checked);
            break;
        case TEdit::SaveWithProject:
            if (!page->IsTempFile() && Project.FilesInProject()) page->setSaveWithProject(checked);
            break;
        case TEdit::Upload:
            page->setFtpUpload(checked);
            break;
        case TEdit::FileName:
            page->setFtpDestFilename(fileName);
            break;
        case TEdit::OffsetDir:
            page->setFtpOffsetDir(offsetDir);
            break;
        case TEdit::Transfer:
            page->setFtpTransferType(transfer);
            break;
        case TEdit::ChMod:
            page->setFtpChMod(checked);
            break;
        case TEdit::ChModVal:
            if (page->FtpChMod()) page->setFtpChModVal(chmodValue);
            break;
        }
        // Changed upload settings send the file again next time.
        if (edit != TEdit::Visible && edit != TEdit::SaveWithProject) page->InvalidateUpload();
    }
    RebuildList();
}

void TProjOrg::ChModBtnClick() {
    const std::string current = ToStdString(ChModValue->text());
    const std::optional<std::string> chosen = TchmodForm::Ask(this, current);
    if (!chosen || LowerText(*chosen) == LowerText(current)) return;
    ChModValue->setText(ToQString(*chosen));
    ApplyEdit(TEdit::ChModVal);
}

void TProjOrg::RemoveFileBtnClick() {
    RemoveSelectedPages(Project);
    RebuildList();
}

void TProjOrg::UploadBtnClick() {
    if (UploadRunning) return; // one at a time; the running one has its Cancel button
    bool ok = false;
    bool raised = true;
    Notice.clear();
    {
        const TFlagScope running(UploadRunning);
        ShowLockState();
        // An error that is not the server's (a page that cannot be saved) ends the upload and
        // is shown here; the window is usable again either way.
        ReportingErrors([&] {
            ok = Uploader.Upload(false, this);
            raised = false;
        });
    }
    UploadFailedFlag = !ok;
    ShowLockState();
    ShowDates();
    Files->viewport()->update();
    if (!raised && (ShowSummary || !ok)) {
        if (isVisible()) RebuildList();
        CurrentPrompt().Inform(ok ? PromptKind::Information : PromptKind::Warning,
                               Uploader.SummaryText(!ok));
    }
    ShowSummary = true;
    if (Commands.UploadDone) Commands.UploadDone();
}

void TProjOrg::OpenForUpload(bool uploadNow, bool showSummary) {
    Sheets->setCurrentWidget(FtpSheet);
    const auto bringForward = [this] {
        show();
        raise();
        activateWindow();
    };
    if (UploadRunning || !uploadNow) {
        bringForward();
        return;
    }
    ShowSummary = showSummary;
    // The progress and the Cancel button are on show while the files go.
    if (showSummary)
        bringForward();
    else
        RebuildList();
    UploadBtnClick();
    if (UploadFailedFlag && !isVisible()) {
        KeepList = true;
        show();
    }
}

void TProjOrg::ShowUploadStatus(const std::string& text, bool failed) {
    StatusBar->showMessage(ToQString(text));
    SetBaseColour(*StatusBar, failed ? LightRed : palette().color(QPalette::Button));
}

void TProjOrg::ShowUploadProgress(const std::string& fileName, int64_t sent, int64_t size) {
    QString text =
        QStringLiteral("Sending %1: %2").arg(ToQString(fileName), ToQString(SizeText(sent)));
    if (size > 0)
        text +=
            QStringLiteral(" of %1 (%2%)").arg(ToQString(SizeText(size))).arg(sent * 100 / size);
    StatusBar->showMessage(text);
}

void TProjOrg::PlaceWindow() {
    if (!Project.SaveProjOrgWindowSize()) {
        if (QWidget* owner = parentWidget()) move(owner->geometry().center() - rect().center());
        return;
    }
    if (Project.ProjOrgWinHeight() == 0) {
        StoreBounds();
        return;
    }
    const QRect area = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    int left = Project.ProjOrgWinLeft(), top = Project.ProjOrgWinTop();
    int width = Project.ProjOrgWinWidth(), height = Project.ProjOrgWinHeight();
    // Wide arithmetic: the stored numbers come from a file.
    if (static_cast<int64_t>(left) + width > area.width()) {
        left = 5;
        width = area.width() - 10;
    }
    if (static_cast<int64_t>(top) + height > area.height()) {
        top = 5;
        height = area.height() - 50;
    }
    // A rectangle left of or above the screen would be out of reach as well.
    if (left < 0) left = 5;
    if (top < 0) top = 5;
    Project.setProjOrgWinLeft(left);
    Project.setProjOrgWinTop(top);
    Project.setProjOrgWinWidth(width);
    Project.setProjOrgWinHeight(height);
    setGeometry(left, top, std::max(width, 200), std::max(height, 150));
}

void TProjOrg::StoreBounds() {
    const QRect bounds = geometry();
    Project.setProjOrgWinLeft(bounds.left());
    Project.setProjOrgWinTop(bounds.top());
    Project.setProjOrgWinWidth(bounds.width());
    Project.setProjOrgWinHeight(bounds.height());
}

void TProjOrg::showEvent(QShowEvent* event) {
    Updating = false;
    PlaceWindow();
    if (!KeepList) RebuildList();
    QWidget::showEvent(event);
}

void TProjOrg::hideEvent(QHideEvent* event) {
    if (Project.SaveProjOrgWindowSize()) StoreBounds();
    QWidget::hideEvent(event);
}

bool TProjOrg::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        if (!KeepList && !Uploader.Running()) RebuildList();
        KeepList = false;
    }
    return QWidget::event(event);
}

void TProjOrg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        // While an upload runs the window stays: it holds the upload's Cancel.
        if (!UploadRunning) hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TProjOrg::closeEvent(QCloseEvent* event) {
    if (UploadRunning)
        event->ignore();
    else
        QWidget::closeEvent(event);
}

} // namespace korvane
