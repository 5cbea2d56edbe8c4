// Pictures of every node of the settings dialog (a group node shows the summary of its pages),
// on a new project with the default file types: korvane-settings-shots OUT_FOLDER writes one
// PNG per node, named after it.
#include "app/properties_dlg.h"
#include "editor/editor_page.h"
#include "exec/debug_form.h"
#include "model/global_settings.h"
#include "platform/qt_strings.h"
#include "project/kor_project.h"
#include "storage/section_list.h"
#include "widgets/tree_paths.h"

#include <QApplication>
#include <QPixmap>
#include <QRegularExpression>
#include <QTreeWidgetItemIterator>

#include <cstdio>

int main(int argc, char** argv) {
    using namespace korvane;
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: korvane-settings-shots OUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    CreateSectionList();
    int written = 0;
    {
        TGlobalSettings settings;
        TDebugForm debugger;
        TKorProject project(settings, debugger.Console());
        InstallEditorPages(project, debugger);
        project.FileTypes().MakeDefault();
        project.setTitle("Guest book");
        project.setAuthor("Ann Example");
        TPropertiesServices services;
        services.Console = &debugger.Console();
        TPropertiesDlg dialog(project, std::move(services));
        dialog.show();
        int index = 0;
        for (QTreeWidgetItemIterator it(dialog.Cats); *it; ++it) {
            const std::string path = TreeNodePath(*it);
            dialog.SelectPath(path);
            app.processEvents();
            QString name = ToQString(path).replace(QStringLiteral(" \u00BB "), QStringLiteral("-"));
            name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9-]+")), QStringLiteral("_"));
            const QString file = QStringLiteral("%1/%2-%3.png")
                                     .arg(folder)
                                     .arg(++index, 2, 10, QLatin1Char('0'))
                                     .arg(name);
            if (dialog.grab().save(file)) ++written;
        }
        dialog.reject();
    }
    FreeSectionList();
    std::printf("%d pages written to %s\n", written, argv[1]);
    return written > 0 ? 0 : 1;
}
