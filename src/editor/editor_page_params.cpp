// The page's "Params" tab: the form fields a run sends, how it sends them, and the
// environment variables it gets.
#include "editor/editor_page.h"

#include "model/form_fields.h"
#include "project/kor_project.h"
#include "storage/method_trace.h"
#include "widgets/param_frame.h"

#include <QGroupBox>

namespace korvane {
namespace {

constexpr const char* ClassName = "TEditorPage";

} // namespace

TParamFrame* TEditorPage::CreateParamFrame() {
    auto* frame = new TParamFrame;
    frame->Bind(FormFields, EnvVars, &Owner.ProjectEnvVars());
    frame->OnChange = [this] { OnParamsVarsChange(); };
    return frame;
}

void TEditorPage::ShowParams() {
    if (!ParamsSheet) return;
    // A batch file gets its parameters as plain arguments; there is no form to send.
    ParamsSheet->SendType->setEnabled(!IsBatch());
    ParamsSheet->SetSendTypeIndex(FormSendTypeValue);
    ParamsSheet->SetFieldNameDimmed(FormSendTypeValue == fstParamsOnly);
    ParamsSheet->SetUseProjectVars(UseProjectEnvVarsValue);
    ParamsSheet->Reload();
}

void TEditorPage::UpdateEnvVars() {
    // Runs take the page's list; while the page follows the project it must be the
    // project's current one.
    if (UseProjectEnvVarsValue) EnvVars = Owner.ProjectEnvVars();
    ShowParams();
}

void TEditorPage::OnParamsVarsChange() {
    TraceScope trace(this, ClassName, "OnParamsVarsChange");
    if (!ParamsSheet) return;
    if (!Owner.Loading()) {
        MarkProjectModified();
        setFormSendType(static_cast<std::uint8_t>(ParamsSheet->SendTypeIndex()));
        ParamsSheet->SetFieldNameDimmed(FormSendTypeValue == fstParamsOnly);
        setUseProjectEnvVars(ParamsSheet->UseProjectVars());
        TextOutOfDate = true;
        BrowserOutOfDate = true;
    }
    ParamsSheet->UpdateCopyHint();
}

} // namespace korvane
