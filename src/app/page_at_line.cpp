#include "app/page_at_line.h"

#include "editor/editor_page.h"
#include "project/kor_project.h"
#include "widgets/kor_syn_edit.h"

#include <QTabWidget>

namespace korvane {

void ShowPageAtLine(TKorProject& project, TEditorPage& page, int line) {
    if (!page.Visible()) page.setVisible(true);
    project.setCurrentPage(&page);
    page.ActivateTab();
    project.MoveToPageUpdate();
    if (line <= 0 || !page.Editor()) return;
    if (page.InnerTabs()) page.InnerTabs()->setCurrentIndex(0);
    page.GotoLineNo(line);
    page.Editor()->SelectLine(line);
}

} // namespace korvane
