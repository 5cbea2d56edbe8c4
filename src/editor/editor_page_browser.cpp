// Showing the page in its "Browser Output" tab: direct runs whose output becomes a page in
// the temp folder, and files the browser view loads itself.
#include "editor/editor_page.h"

#include "editor/browser_tab.h"
#include "exec/browser_output.h"
#include "exec/cgi_run.h"
#include "exec/console_controller.h"
#include "model/form_fields.h"
#include "project/kor_project.h"
#include "storage/errors.h"
#include "storage/method_trace.h"
#include "storage/paths.h"
#include "storage/prompt.h"
#include "storage/safe_file_write.h"
#include "storage/text_utils.h"
#include "web/web_server.h"

#include <QTabWidget>

#include <filesystem>

namespace korvane {
namespace {

constexpr const char* ClassName = "TEditorPage";

// The name the local machine reaches its own web server under.
constexpr const char* LoopbackHost = "127.0.0.1";

bool IsScriptAddress(const std::string& url) {
    const std::string ext = FileExtension(url);
    return ext == ".cgi" || ext == ".pl" || ext == ".php";
}

} // namespace

std::string TEditorPage::HTTPfileName() const {
    const TWebServer& web = Owner.WebServer();
    TWebAddressBase base;
    base.Started = web.Started();
    base.Host = LoopbackHost;
    // The port really listened on: the setting may be "0", the system's choice.
    base.Port = web.Started() ? std::to_string(web.ListeningPort()) : web.getPort();
    base.RootPath = web.DerivedRootPath();
    base.CgiBinPath = web.DerivedCgiBinPath();
    base.LogicalCgiBin = web.DerivedLogicalCgiBinPath();
    return HttpFileName(TempFileName(), base);
}

bool TEditorPage::ExecuteToBrowser() {
    TraceScope trace(this, ClassName, "ExecuteToBrowser");
    if (!Browser || !ConsoleIdle() || !ToolPathsPresent()) return false;
    SaveToFile("", false);
    std::string url = HTTPfileName();
    const bool serverRuns = Owner.WebServer().Started();
    std::string postBody;
    if (serverRuns && IsScriptAddress(url)) {
        const std::string form = FormString(FormFields);
        if (SendsQuery(FormSendTypeValue) && !form.empty()) url += "?" + form;
        if (SendsPost(FormSendTypeValue)) postBody = form;
    }
    if ((!serverRuns || !StartsText("http:", url)) &&
        (IsPerl() || IsPHP() || IsSQL() || IsBatch())) {
        StartPlainRun(true);
    } else if (Browser->Showing(url) && IsHTML()) {
        Browser->Reload();
    } else {
        Debugger().BrowserRequest = true;
        Browser->Open(url, postBody);
    }
    // Cleared before the switch: showing an out-of-date tab would ask for another run.
    TextOutOfDate = false;
    BrowserOutOfDate = false;
    Inner->setCurrentWidget(Browser);
    return true;
}

TRunRequest TEditorPage::PhpBrowserRun() const {
    try {
        return PhpBrowserRunRequest(Owner.RunSettings(), RunInfo());
    } catch (const handledException& missing) {
        static bool told = false;
        if (!told) CurrentPrompt().Inform(PromptKind::Warning, missing.what());
        told = true;
        return PlainRunRequest(Owner.RunSettings(), RunInfo());
    }
}

bool TEditorPage::BrowserOutputActive() const {
    return Browser && Inner && Inner->currentWidget() == Browser;
}

void TEditorPage::UpdateBrowserOutput() {
    TraceScope trace(this, ClassName, "UpdateBrowserOutput");
    if (!Browser) return;
    ShowRunOutput();
    const TBrowserPage shown =
        BrowserPageFor(Debugger().Console().OutBytes(), IsSQL(), Owner.Schemes().SQL.EditorColor());
    // The extension tells the view the type the program declared: text is not shown as HTML.
    const std::string file = ChangeExt(TempHTMLFileName(), shown.Extension);
    std::error_code ignored;
    std::filesystem::create_directories(FolderPart(file), ignored);
    ReplaceFileContents(file, shown.Bytes.data(), shown.Bytes.size());
    if (!Browser->Busy()) Browser->Open(file, "");
}

} // namespace korvane
