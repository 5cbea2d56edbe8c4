#pragma once
// The main window's template commands and the template items of its "&Templates" menu:
// "&Insert Selected Code Template" (the template whose alias is the word under the caret),
// "&Organize Code Templates..." and the items built from the tree.
#include <QObject>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace korvane {

class TCodeTemplate;
class TEditorPage;
class TKorProject;

class TTemplateCommands : public QObject {
    Q_OBJECT
public:
    using CurrentPage = std::function<TEditorPage*()>;

    // Adds the fixed items to menu; the template items follow once a project is attached.
    TTemplateCommands(QMenu& menu, QWidget& window);

    // Installs the click handler on the project's tree and builds the template items.
    void Attach(TKorProject& project, CurrentPage currentPage);
    // Builds the template items again; needed whenever the tree's nodes are replaced.
    void RebuildMenu();

    // The insert command's caption shows the word it would expand; it is enabled only when a
    // template has that word as its alias.
    void UpdateInsertAction();
    // The word at the caret is a template's alias.
    bool AliasAtCaret() const;
    void InsertCodeTemplate();
    // True when the organizer saved the tree.
    bool OrganizeCodeTemplates();
    void CodeTemplateMenuClick(TCodeTemplate& node, const std::vector<std::string>& lines);

    QAction& InsertAction() const { return *Insert; }
    QAction& OrganizeAction() const { return *Organize; }

private:
    void Expand(TEditorPage& page, TCodeTemplate& node);

    QMenu& Menu;
    QWidget& Window;
    QAction* Insert = nullptr;
    QAction* Organize = nullptr;
    QAction* Anchor = nullptr;
    TKorProject* Project = nullptr;
    CurrentPage Current;
};

} // namespace korvane
