#include "template_menus/code_templ_dlg.h"

#include "platform/qt_strings.h"
#include "storage/byte_stream.h"
#include "storage/prompt.h"
#include "storage/section_list.h"
#include "storage/text_utils.h"
#include "template_menus/find_templ_dlg.h"
#include "templates/code_template.h"
#include "templates/insertion_marks.h"
#include "widgets/help_topic.h"
#include "widgets/kor_syn_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <utility>

namespace korvane {
namespace {

const QColor CodeColour(255, 255, 159);
const QColor DisabledColour(192, 192, 192);
constexpr const char* Caption = "Korvane Code Template Explorer";

TCodeTemplate* NodeOf(const QTreeWidgetItem* item) {
    return item ? reinterpret_cast<TCodeTemplate*>(item->data(0, Qt::UserRole).value<quintptr>())
                : nullptr;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    for (size_t start = 0;;) {
        const size_t end = text.find("\r\n", start);
        lines.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos) break;
        start = end + 2;
    }
    return lines;
}

// The tree view moves nodes itself: a drop asks the dialog, which moves the node and fills
// the view again, so the view never holds an entry the tree does not.
class TTemplateTree : public QTreeWidget {
public:
    using DropTest = std::function<bool(QTreeWidgetItem* target, bool asChild, bool apply)>;
    TTemplateTree(QWidget* parent, DropTest onDrop)
        : QTreeWidget(parent), OnDrop(std::move(onDrop)) {}

protected:
    void dragMoveEvent(QDragMoveEvent* event) override {
        if (event->source() == this && OnDrop(itemAt(event->position().toPoint()), false, false))
            event->acceptProposedAction();
        else
            event->ignore();
    }
    void dropEvent(QDropEvent* event) override {
        if (event->source() == this) {
            const bool asChild = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
            OnDrop(itemAt(event->position().toPoint()), asChild, true);
        }
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
    }

private:
    DropTest OnDrop;
};

} // namespace

TCodeTemplateDlg::TCodeTemplateDlg(TCodeTemplate& root, DropFiles dropFiles, QWidget* parent)
    : QDialog(parent), Root(root), OnDropFiles(std::move(dropFiles)) {
    setObjectName(QStringLiteral("CodeTemplateDlg"));
    setWindowTitle(QString::fromLatin1(Caption));
    SetHelpTopic(*this, "Contents/reference/code_template");
    BuildWidgets();
    Loading = true;
    FillTree();
    Root.SetChangeHandler([this](TCodeTemplate&) { MarkChanged(); });
    Root.ClearAllModified();
    if (Tree->topLevelItemCount() > 0) CurrentNode = NodeOf(Tree->topLevelItem(0));
    Loading = false;
    RefreshFields();
    if (QTreeWidgetItem* item = ItemOf(CurrentNode)) Tree->setCurrentItem(item);
}

TCodeTemplateDlg::~TCodeTemplateDlg() {
    // The nodes outlive the dialog: they must not call back into it.
    Root.SetChangeHandler({});
}

void TCodeTemplateDlg::BuildWidgets() {
    Tree = new TTemplateTree(this, [this](QTreeWidgetItem* item, bool asChild, bool apply) {
        TCodeTemplate* target = NodeOf(item);
        if (!apply)
            return CurrentNode && target && target != CurrentNode &&
                   !target->IsAncestor(CurrentNode);
        return DropCurrentOn(target, asChild);
    });
    Tree->setObjectName(QStringLiteral("TreeView"));
    Tree->setHeaderHidden(true);
    Tree->setDragEnabled(true);
    Tree->setAcceptDrops(true);
    Tree->setDropIndicatorShown(true);
    Tree->setDragDropMode(QAbstractItemView::InternalMove);
    connect(Tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { SetCurrent(NodeOf(item)); });

    PathLabel = new QLabel(QStringLiteral("Complete Path is:"), this);
    PathLabel->setObjectName(QStringLiteral("PathLabel"));
    PathLabel->setToolTip(QStringLiteral("Click to copy the menu path"));
    PathLabel->installEventFilter(this);

    Code = new TKorSynEdit(this);
    Code->setObjectName(QStringLiteral("Code"));
    Code->setMarginLineNumbers(TKorSynEdit::LineNumberMargin, true);
    Code->setMarginWidth(TKorSynEdit::LineNumberMargin, QStringLiteral("0000"));
    Code->setIndentationsUseTabs(true);
    Code->setContextMenuPolicy(Qt::CustomContextMenu);
    Code->viewport()->installEventFilter(this);
    connect(Code, &QsciScintilla::textChanged, this, [this] { ApplyFieldChange(); });
    connect(Code, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        const bool selected = Code->hasSelectedText();
        QAction* finish = menu.addAction(QStringLiteral("&Finish off with this selected"));
        finish->setEnabled(selected);
        QAction* place = menu.addAction(QStringLiteral("&Place Cursor here at end"));
        place->setEnabled(!selected);
        if (menu.exec(Code->mapToGlobal(at))) MarkInsertionPoint();
    });

    DescriptionEdit = new QLineEdit(this);
    DescriptionEdit->setObjectName(QStringLiteral("Description"));
    AliasEdit = new QLineEdit(this);
    AliasEdit->setObjectName(QStringLiteral("Alias"));
    for (QLineEdit* box : {DescriptionEdit, AliasEdit})
        connect(box, &QLineEdit::textEdited, this, [this] { ApplyFieldChange(); });

    const auto button = [this](const char* text, auto handler) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    QPushButton* clearText = button("Clear Text", [this] {
        Code->ClearAllUndoable();
        ApplyFieldChange();
    });
    QPushButton* paste = button("Insert From Clipboard", [this] {
        if (Code->isEnabled())
            Code->ReplaceSelectionRaw(ToStdString(QApplication::clipboard()->text()));
    });
    QPushButton* ok = button("&Ok", [this] { accept(); });
    QPushButton* cancel = button("Ca&nc&el", [this] { reject(); });
    QPushButton* find = button("&Find...", [this] { OpenFindDialog(); });
    FindNextButton = button("Find &Next", [this] { FindNext(); });
    FindNextButton->setEnabled(false);
    QPushButton* add = button("&Add", [this] { AddNode(); });
    QPushButton* addChild = button("Add &Child", [this] { AddChildNode(); });
    DeleteButton = button("&Delete", [this] { DeleteNode(); });
    QPushButton* duplicate = button("D&uplicate", [this] { DuplicateNode(); });
    ok->setDefault(false);
    ok->setAutoDefault(false);

    auto* fields = new QVBoxLayout;
    fields->addWidget(new QLabel(QStringLiteral("Description "), this));
    fields->addWidget(DescriptionEdit);
    fields->addWidget(new QLabel(QStringLiteral("Alias "), this));
    fields->addWidget(AliasEdit);
    for (QPushButton* b : {find, FindNextButton, add, addChild, DeleteButton, duplicate})
        fields->addWidget(b);
    fields->addStretch(1);

    auto* bottom = new QHBoxLayout;
    for (QPushButton* b : {clearText, paste})
        bottom->addWidget(b);
    bottom->addStretch(1);
    bottom->addWidget(ok);
    bottom->addWidget(cancel);

    auto* left = new QVBoxLayout;
    left->addWidget(Tree, 3);
    left->addWidget(PathLabel);
    left->addWidget(Code, 2);
    left->addLayout(bottom);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(fields);
    resize(760, 560);
}

bool TCodeTemplateDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PathLabel && event->type() == QEvent::MouseButtonRelease && CurrentNode) {
        QApplication::clipboard()->setText(ToQString(CurrentNode->CompletePath()));
        CurrentPrompt().Inform(PromptKind::Information, "Menu Path copied to clipboard.");
        return true;
    }
    if (watched == Code->viewport() && event->type() == QEvent::Drop && OnDropFiles) {
        const auto* drop = static_cast<QDropEvent*>(event);
        if (drop->mimeData()->hasUrls()) {
            std::vector<std::string> paths;
            for (const QUrl& url : drop->mimeData()->urls())
                if (url.isLocalFile()) paths.push_back(ToStdString(url.toLocalFile()));
            OnDropFiles(*Code, paths);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TCodeTemplateDlg::Changed() const {
    return windowTitle().startsWith(QLatin1Char('*'));
}

void TCodeTemplateDlg::MarkChanged() {
    if (!Changed()) setWindowTitle(QLatin1Char('*') + windowTitle());
}

void TCodeTemplateDlg::FillTree() {
    const QSignalBlocker blocker(Tree);
    Tree->clear();
    const std::function<void(QTreeWidgetItem*, TCodeTemplate*)> add = [&](QTreeWidgetItem* parent,
                                                                          TCodeTemplate* first) {
        for (TCodeTemplate* node = first; node; node = node->Next()) {
            auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(Tree);
            item->setText(0, ToQString(node->DisplayCaption()));
            item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
            add(item, node->FirstChild());
        }
    };
    add(nullptr, Root.FirstChild());
}

QTreeWidgetItem* TCodeTemplateDlg::ItemOf(const TCodeTemplate* node) const {
    if (!node) return nullptr;
    for (QTreeWidgetItemIterator it(Tree); *it; ++it)
        if (NodeOf(*it) == node) return *it;
    return nullptr;
}

void TCodeTemplateDlg::SetCurrent(TCodeTemplate* node) {
    if (QTreeWidgetItem* item = ItemOf(node); item && Tree->currentItem() != item) {
        const QSignalBlocker blocker(Tree);
        Tree->setCurrentItem(item);
    }
    if (node == CurrentNode) return;
    CurrentNode = node;
    RefreshFields();
}

void TCodeTemplateDlg::RefreshFields() {
    const bool previous = std::exchange(Loading, true);
    const bool on = CurrentNode != nullptr;
    for (QWidget* field :
         std::initializer_list<QWidget*>{AliasEdit, DescriptionEdit, Code, DeleteButton})
        field->setEnabled(on);
    AliasEdit->setText(on ? ToQString(CurrentNode->Alias()) : QString());
    DescriptionEdit->setText(on ? ToQString(CurrentNode->Description()) : QString());
    Code->SetRawText(on ? CurrentNode->TemplateText() : std::string());
    PathLabel->setText(on ? ToQString("  Menu route is: " + CurrentNode->CompletePath())
                          : QString());
    const QColor boxColour = on ? palette().color(QPalette::Base) : DisabledColour;
    for (QLineEdit* box : {AliasEdit, DescriptionEdit}) {
        QPalette colours = box->palette();
        colours.setColor(QPalette::Base, boxColour);
        box->setPalette(colours);
    }
    Code->setPaper(on ? CodeColour : DisabledColour);
    if (on) {
        AliasEdit->setFocus();
        AliasEdit->selectAll();
    }
    Code->SetModified(false);
    Loading = previous;
}

void TCodeTemplateDlg::ApplyFieldChange() {
    if (Loading || !CurrentNode) return;
    bool stored = false;
    const std::string alias = ToStdString(AliasEdit->text());
    if (!SameText(alias, CurrentNode->Alias())) {
        CurrentNode->SetAlias(alias);
        stored = true;
    }
    const std::string description = ToStdString(DescriptionEdit->text());
    if (!SameText(description, CurrentNode->Description())) {
        CurrentNode->SetDescription(description);
        stored = true;
    }
    if (Code->Modified()) {
        const std::vector<std::string> lines = SplitLines(Code->RawView());
        stored = stored || lines != CurrentNode->Lines();
        CurrentNode->SetLines(lines);
    }
    if (stored) RefreshCaptionAndPath();
}

void TCodeTemplateDlg::RefreshCaptionAndPath() {
    PathLabel->setText(ToQString("  Menu route is: " + CurrentNode->CompletePath()));
    if (QTreeWidgetItem* item = ItemOf(CurrentNode))
        item->setText(0, ToQString(CurrentNode->DisplayCaption()));
}

void TCodeTemplateDlg::AddNew(TCodeTemplate* node) {
    node->SetModified(true);
    FillTree();
    SetCurrent(node);
}

void TCodeTemplateDlg::AddNode() {
    AddNew(CurrentNode ? CurrentNode->AddSibling("*new*") : Root.AddChild("*new*"));
}

void TCodeTemplateDlg::AddChildNode() {
    AddNew((CurrentNode ? CurrentNode : &Root)->AddChild("*new*"));
}

void TCodeTemplateDlg::DuplicateNode() {
    TCodeTemplate* original = CurrentNode;
    AddNode();
    if (original) CurrentNode->CopyFrom(*original);
    RefreshFields();
    RefreshCaptionAndPath();
}

void TCodeTemplateDlg::DeleteNode() {
    if (!CurrentNode) return;
    if (CurrentPrompt().Ask(PromptKind::Confirmation,
                            "Are you sure you wish to delete the '" + CurrentNode->Alias() +
                                "' item?",
                            pbYes | pbNo) != pbYes)
        return;
    TCodeTemplate* doomed = CurrentNode;
    TCodeTemplate* parent = doomed->Parent();
    TCodeTemplate* next = doomed->Next() ? doomed->Next() : doomed->Previous();
    if (!next && parent != &Root) next = parent;
    parent->SetModified(true);
    CurrentNode = nullptr;
    delete doomed;
    MarkChanged();
    FillTree();
    if (!next && Tree->topLevelItemCount() > 0) next = NodeOf(Tree->topLevelItem(0));
    SetCurrent(next);
    RefreshFields();
}

bool TCodeTemplateDlg::DropCurrentOn(TCodeTemplate* target, bool asChild) {
    if (!CurrentNode || !target || target == CurrentNode || target->IsAncestor(CurrentNode))
        return false;
    if (asChild)
        CurrentNode->MoveIntoAsLast(target);
    else
        CurrentNode->MoveBefore(target);
    CurrentNode->SetModified(true);
    MarkChanged();
    TCodeTemplate* moved = CurrentNode;
    FillTree();
    CurrentNode = nullptr;
    SetCurrent(moved);
    return true;
}

TCodeTemplate* TCodeTemplateDlg::Search(const TTemplateSearch& search) {
    LastSearch = search;
    TCodeTemplate* start = search.FromSelected ? CurrentNode : nullptr;
    TCodeTemplate* found = !search.Alias.empty()
                               ? Root.FindByAlias(search.Alias, start, search.Exact)
                               : Root.FindByDescription(search.Description, start, search.Exact);
    FindNextButton->setEnabled(found != nullptr);
    if (!found) {
        QApplication::beep();
        return nullptr;
    }
    SetCurrent(found);
    return found;
}

TCodeTemplate* TCodeTemplateDlg::FindNext() {
    TTemplateSearch next = LastSearch;
    next.FromSelected = true;
    const TTemplateSearch kept = LastSearch;
    TCodeTemplate* found = Search(next);
    LastSearch = kept;
    return found;
}

void TCodeTemplateDlg::OpenFindDialog() {
    if (!CurrentNode) return;
    TTemplateSearch search = LastSearch;
    const bool ok = AskTemplateSearch(this, search);
    FindNextButton->setEnabled(false);
    LastSearch.Alias = search.Alias;
    LastSearch.Description = search.Description;
    LastSearch.Exact = search.Exact;
    if (ok) Search(search);
}

void TCodeTemplateDlg::MarkInsertionPoint() {
    if (!CurrentNode || !Code->isEnabled()) return;
    const auto start = static_cast<size_t>(Code->SelectionStartPosition());
    const auto end = static_cast<size_t>(Code->SelectionEndPosition());
    const TMarkedText marked = MarkInsertion(Code->RawText(), start, end);
    Code->SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
    Code->SendScintilla(QsciScintillaBase::SCI_SELECTALL);
    Code->ReplaceSelectionRaw(marked.Text);
    Code->SendScintilla(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(marked.Start),
                        static_cast<long>(marked.End));
    Code->SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION);
    ApplyFieldChange();
}

bool ShowCodeTemplateExplore(TCodeTemplate& root, TSectionList& stream, const std::string& path,
                             TCodeTemplateDlg::DropFiles dropFiles, QWidget* parent,
                             const std::function<int(TCodeTemplateDlg&)>& run) {
    TMemoryStream copy;
    {
        TSectionListUse use(stream, copy, false);
        root.WriteNodes(stream);
    }
    bool changed = false;
    {
        TCodeTemplateDlg dialog(root, std::move(dropFiles), parent);
        for (;;) {
            const bool accepted = (run ? run(dialog) : dialog.exec()) == QDialog::Accepted;
            changed = dialog.Changed();
            if (!accepted || !changed) break;
            try {
                root.SaveTemplateFile(stream, path);
                return true;
            } catch (const std::exception& error) {
                // The edits stay in the organizer, still marked, to be saved again or undone:
                // closed now, they would never be offered for saving again.
                CurrentPrompt().Inform(PromptKind::Error, error.what());
            }
        }
    }
    if (!changed) return false;
    copy.Seek(0);
    {
        TSectionListUse use(stream, copy, true);
        root.ReadNodes(stream);
    }
    root.ClearAllModified();
    return false;
}

} // namespace korvane
