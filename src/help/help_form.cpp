#include "help/help_form.h"

#include "help/help_context.h"
#include "help/help_file.h"
#include "help/help_manager.h"
#include "platform/qt_strings.h"
#include "storage/flag_scope.h"
#include "storage/prompt.h"
#include "widgets/user_feedback.h"

#include <QAction>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvane {
namespace {

THelpSection* NodeOf(const QTreeWidgetItem* item) {
    return item ? static_cast<THelpSection*>(item->data(0, Qt::UserRole).value<void*>()) : nullptr;
}

} // namespace

THelpForm::THelpForm(THelpManager& manager, QWidget* parent) : QDialog(parent), Manager(manager) {
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("Help Structure"));
    SetHelpTopic(*this, "Contents/reference/help");
    resize(640, 520);
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QToolBar(this);
    layout->addWidget(bar);
    SaveAction = bar->addAction(QStringLiteral("Save"), this, [this] { SaveTree(); });
    AddAction = bar->addAction(QStringLiteral("Add"), this, [this] { AddNode(); });
    DeleteAction = bar->addAction(QStringLiteral("Delete"), this, [this] { DeleteNode(); });
    const auto open = [this](char verb) {
        if (THelpSection* node = Selected()) Manager.Open(*node, verb);
    };
    OpenAction = bar->addAction(QStringLiteral("Launch"), this, [open] { open('O'); });
    PrintAction = bar->addAction(QStringLiteral("Print"), this, [open] { open('P'); });
    EditAction = bar->addAction(QStringLiteral("Edit"), this, [open] { open('E'); });
    Tree = new QTreeWidget(this);
    Tree->setHeaderHidden(true);
    layout->addWidget(Tree, 1);
    auto* fields = new QFormLayout;
    layout->addLayout(fields);
    for (auto [edit, label] :
         {std::pair{&NameEdit, "Name"}, std::pair{&TitleEdit, "Title"},
          std::pair{&RelPathEdit, "Rel Path"}, std::pair{&FilenameEdit, "Filename"},
          std::pair{&ParameterEdit, "Parameter"}}) {
        *edit = new QLineEdit(this);
        fields->addRow(QString::fromLatin1(label), *edit);
        if (*edit != ParameterEdit)
            connect(*edit, &QLineEdit::textEdited, this, [this] { FieldsEdited(); });
    }
    PathLabel = new QLabel(this);
    PathLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(PathLabel);

    if (THelpSection* root = Manager.Root()) {
        QTreeWidgetItem* top = AddItem(nullptr, *root);
        top->setExpanded(true);
    }
    connect(Tree, &QTreeWidget::currentItemChanged, this, [this] { ShowSelected(); });
    SaveAction->setEnabled(Manager.Modified);
    ShowSelected();
}

QTreeWidgetItem* THelpForm::AddItem(QTreeWidgetItem* parent, THelpSection& node, int index) {
    auto* item = new QTreeWidgetItem(QStringList{ToQString(node.Name)});
    item->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(&node)));
    if (!parent) {
        Tree->addTopLevelItem(item);
    } else if (index < 0) {
        parent->addChild(item);
    } else {
        parent->insertChild(index, item);
    }
    for (const auto& child : node.Children())
        AddItem(item, *child);
    return item;
}

THelpSection* THelpForm::Selected() const {
    return NodeOf(Tree->currentItem());
}

void THelpForm::SelectNode(const THelpSection* node) {
    for (QTreeWidgetItemIterator it(Tree); *it; ++it)
        if (NodeOf(*it) == node) {
            Tree->setCurrentItem(*it);
            return;
        }
}

void THelpForm::ShowSelected() {
    TFlagScope loading(Loading);
    const THelpSection* node = Selected();
    for (QLineEdit* edit : {NameEdit, TitleEdit, RelPathEdit, FilenameEdit, ParameterEdit})
        edit->setEnabled(node != nullptr);
    NameEdit->setText(node ? ToQString(node->Name) : QString());
    TitleEdit->setText(node ? ToQString(node->Title) : QString());
    RelPathEdit->setText(node ? ToQString(node->RelPath) : QString());
    FilenameEdit->setText(node ? ToQString(node->Filename) : QString());
    ShowPathOf(node);
    AddAction->setEnabled(node != nullptr);
    DeleteAction->setEnabled(node && node->Parent());
}

void THelpForm::ShowPathOf(const THelpSection* node) {
    const bool exists = node && node->Exists();
    if (!node) {
        PathLabel->setText(QStringLiteral("Nothing Selected"));
    } else {
        PathLabel->setText(ToQString(node->FullPath()) +
                           (exists ? QString() : QStringLiteral(" [missing]")));
    }
    PathLabel->setStyleSheet(exists ? QStringLiteral("color: black")
                                    : QStringLiteral("color: red"));
    for (QAction* action : {OpenAction, PrintAction, EditAction})
        action->setEnabled(exists);
}

void THelpForm::FieldsEdited() {
    THelpSection* node = Selected();
    if (Loading || !node) return;
    node->Name = ToStdString(NameEdit->text());
    node->Title = ToStdString(TitleEdit->text());
    node->RelPath = ToStdString(RelPathEdit->text());
    node->Filename = ToStdString(FilenameEdit->text());
    Tree->currentItem()->setText(0, NameEdit->text());
    Manager.Modified = true;
    SaveAction->setEnabled(true);
    ShowPathOf(node);
}

void THelpForm::AddNode() {
    THelpSection* parent = Selected();
    if (!parent) return;
    // The tree file nests one section per level and the container holds only so many.
    if (parent->Depth() >= MaxHelpDepth) {
        CurrentPrompt().Inform(PromptKind::Error,
                               "The help tree can hold only " + std::to_string(MaxHelpDepth) +
                                   " levels below its root: add the topic higher up.");
        return;
    }
    std::string name;
    if (!CurrentPrompt().EnterText("Add Help Topic", "Name", name) || name.empty()) return;
    THelpSection& node = parent->AddChildInOrder(name);
    int index = 0;
    while (parent->Children()[index].get() != &node)
        ++index;
    QTreeWidgetItem* item = AddItem(Tree->currentItem(), node, index);
    Tree->currentItem()->setExpanded(true);
    Manager.Modified = true;
    SaveAction->setEnabled(true);
    Tree->setCurrentItem(item);
}

void THelpForm::DeleteNode() {
    THelpSection* node = Selected();
    if (!node || !node->Parent()) return;
    QTreeWidgetItem* item = Tree->currentItem();
    node->Parent()->RemoveChild(*node);
    delete item;
    Manager.Modified = true;
    SaveAction->setEnabled(true);
    ShowSelected();
}

void THelpForm::SaveTree() {
    if (!Manager.Modified || !Manager.Root()) return;
    ReportingErrors([this] { Manager.Save(); });
    SaveAction->setEnabled(Manager.Modified);
}

void THelpForm::done(int result) {
    // Written only when something changed, so merely looking never touches the user's file.
    SaveTree();
    QDialog::done(result);
}

void THelpForm::Run(THelpManager& manager, QWidget* parent) {
    THelpForm form(manager, parent);
    form.exec();
}

} // namespace korvane
