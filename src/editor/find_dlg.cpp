#include "editor/find_dlg.h"

#include "editor/text_search.h"
#include "platform/qt_strings.h"
#include "project/kor_project.h"
#include "widgets/help_topic.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace korvane {
namespace {

QComboBox* HistoryCombo(QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMinimumWidth(260);
    combo->setMaxCount(static_cast<int>(SearchHistoryLimit));
    return combo;
}

void ShowHistory(QComboBox& combo, const TStringList& history, const std::string& text) {
    combo.clear();
    for (const std::string& entry : history)
        combo.addItem(ToQString(entry));
    combo.setEditText(ToQString(text));
    combo.lineEdit()->selectAll();
}

QButtonGroup* RadioGroup(QGroupBox* box, std::initializer_list<const char*> captions) {
    auto* group = new QButtonGroup(box);
    auto* layout = new QVBoxLayout(box);
    int id = 0;
    for (const char* caption : captions) {
        auto* radio = new QRadioButton(QString::fromLatin1(caption), box);
        group->addButton(radio, id++);
        layout->addWidget(radio);
    }
    return group;
}

} // namespace

TFindDlg::TFindDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Find..."));
    SetHelpTopic(*this, "Contents/reference/search");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    auto* outer = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    outer->addLayout(left, 1);
    Buttons = new QVBoxLayout;
    outer->addLayout(Buttons);

    TextRows = new QGridLayout;
    left->addLayout(TextRows);
    SearchText = HistoryCombo(this);
    auto* findLabel = new QLabel(QStringLiteral("Text to Find: "), this);
    findLabel->setBuddy(SearchText);
    TextRows->addWidget(findLabel, 0, 0);
    TextRows->addWidget(SearchText, 0, 1);

    Options = new QVBoxLayout;
    left->addLayout(Options);
    auto* row = new QHBoxLayout;
    Options->addLayout(row);
    auto* optionBox = new QGroupBox(QStringLiteral("Options"), this);
    auto* optionLayout = new QVBoxLayout(optionBox);
    MatchCase = new QCheckBox(QStringLiteral("Match Case"), optionBox);
    WholeWords = new QCheckBox(QStringLiteral("Whole Words Only"), optionBox);
    RegularExpressions = new QCheckBox(QStringLiteral("Use Regular Expressions"), optionBox);
    const QString regexHint = QStringLiteral(
        "Perl-compatible regular expressions: ^ and $ at every line, \\A and \\z at the ends\n"
        "of the text, \\n for a line end. In the replacement, $1, ${name} and \\1 insert the\n"
        "groups, $& the whole match, \\n the page's line end, \\t a tab, \\U \\L \\u \\l \\E the "
        "case.");
    RegularExpressions->setToolTip(regexHint);
    RegularExpressions->setStatusTip(regexHint);
    optionLayout->addWidget(MatchCase);
    optionLayout->addWidget(WholeWords);
    optionLayout->addWidget(RegularExpressions);
    row->addWidget(optionBox);
    auto* directionBox = new QGroupBox(QStringLiteral("Search Direction"), this);
    Direction = RadioGroup(directionBox, {"Forwards", "Backwards"});
    row->addWidget(directionBox);
    auto* scopeBox = new QGroupBox(QStringLiteral("Search Scope"), this);
    Scope = RadioGroup(scopeBox, {"From Cursor Position", "Whole Document", "Selected Text Only"});
    Options->addWidget(scopeBox);

    auto* ok = new QPushButton(QStringLiteral("&Ok"), this);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    Buttons->addWidget(ok);
    Buttons->addWidget(cancel);
    Buttons->addStretch();
}

void TFindDlg::Load(const TKorProject& project, const std::string& selection) {
    // A selection over several lines is no search text: the box holds one line.
    const bool useSelection =
        !selection.empty() && selection.find_first_of("\r\n") == std::string::npos;
    ShowHistory(*SearchText, project.SearchHistory(),
                useSelection ? selection : project.LastSearch());
    MatchCase->setChecked(project.SearchMatchCase());
    WholeWords->setChecked(project.SearchWholeWords());
    RegularExpressions->setChecked(project.SearchRegEx());
    Direction->button(project.SearchBackwards() ? 1 : 0)->setChecked(true);
    Scope->button(std::min<int>(project.SearchScope(), 2))->setChecked(true);
}

void TFindDlg::Store(TKorProject& project) const {
    const std::string text = ToStdString(SearchText->currentText());
    project.setLastSearch(text);
    TStringList history = project.SearchHistory();
    AddToHistory(history, text);
    project.setSearchHistory(history);
    project.setSearchMatchCase(MatchCase->isChecked());
    project.setSearchWholeWords(WholeWords->isChecked());
    project.setSearchBackwards(Direction->checkedId() == 1);
    project.setSearchRegEx(RegularExpressions->isChecked());
    project.setSearchScope(static_cast<std::uint8_t>(std::max(Scope->checkedId(), 0)));
}

TReplaceDlg::TReplaceDlg(QWidget* parent) : TFindDlg(parent) {
    setWindowTitle(QStringLiteral("Replace..."));
    SetHelpTopic(*this, "Contents/reference/replace");
    ReplaceText = HistoryCombo(this);
    auto* replaceLabel = new QLabel(QStringLiteral("Replace with: "), this);
    replaceLabel->setBuddy(ReplaceText);
    TextRows->addWidget(replaceLabel, 1, 0);
    TextRows->addWidget(ReplaceText, 1, 1);
    auto* flags = new QHBoxLayout;
    PromptOnReplace = new QCheckBox(QStringLiteral("Prompt on Replace"), this);
    ReplaceAll = new QCheckBox(QStringLiteral("Replace All"), this);
    flags->addWidget(PromptOnReplace);
    flags->addWidget(ReplaceAll);
    flags->addStretch();
    Options->addLayout(flags);
    auto* replace = new QPushButton(QStringLiteral("&Replace"), this);
    connect(replace, &QPushButton::clicked, this, [this] {
        ReplaceChosen = true;
        accept();
    });
    Buttons->insertWidget(1, replace);
    // The replacement is typed right after the search text.
    setTabOrder(SearchText, ReplaceText);
    setTabOrder(ReplaceText, MatchCase);
}

void TReplaceDlg::Load(const TKorProject& project, const std::string& selection) {
    TFindDlg::Load(project, selection);
    ShowHistory(*ReplaceText, project.ReplaceHistory(), project.LastReplace());
    PromptOnReplace->setChecked(project.ReplacePrompt());
    ReplaceAll->setChecked(project.ReplaceAll());
    SearchText->setFocus();
}

void TReplaceDlg::Store(TKorProject& project) const {
    TFindDlg::Store(project);
    const std::string text = ToStdString(ReplaceText->currentText());
    project.setLastReplace(text);
    TStringList history = project.ReplaceHistory();
    AddToHistory(history, text);
    project.setReplaceHistory(history);
    project.setReplacePrompt(PromptOnReplace->isChecked());
    project.setReplaceAll(ReplaceAll->isChecked());
}

} // namespace korvane
