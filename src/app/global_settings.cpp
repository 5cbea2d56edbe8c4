#include "app/global_settings.h"

#include "exec/debug_form.h"
#include "platform/desktop_associations.h"
#include "platform/program_folder.h"
#include "platform/qt_strings.h"
#include "platform/settings_store.h"
#include "storage/text_utils.h"

#include <QSettings>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace korvane {
namespace {

const QString DefaultsGroup = QStringLiteral("Defaults/");

std::string BoolText(bool value) { return value ? "-1" : "0"; }

bool IsExecutable(const std::string& path) {
    return !path.empty() && access(path.c_str(), X_OK) == 0 &&
           !std::filesystem::is_directory(path);
}

} // namespace

TGlobalSettings::TGlobalSettings()
    : Registry(OpenUserSettings()), DebugFormObject(std::make_unique<TDebugForm>()) {}

TGlobalSettings::~TGlobalSettings() = default;

std::string TGlobalSettings::getValueDefaultTrue(const std::string& name,
                                                 const std::string& defaultText) {
    Registry->sync();
    if (Registry->status() != QSettings::NoError) return {};
    const QString key = DefaultsGroup + ToQString(name);
    if (!Registry->contains(key)) return defaultText;
    return ToStdString(Registry->value(key).toString());
}

void TGlobalSettings::setValue(const std::string& name, const std::string& oldText,
                               const std::string& newText) {
    if (SameText(oldText, newText)) return;
    if (!Registry->isWritable()) return;
    Registry->setValue(DefaultsGroup + ToQString(name), ToQString(newText));
    Registry->sync();
}

std::string TGlobalSettings::getBool(const std::string& name, const std::string& defaultText) {
    return BoolText(TextToBool(getValueDefaultTrue(name, defaultText)));
}

void TGlobalSettings::setBool(const std::string& name, const std::string& defaultText, bool value) {
    setValue(name, getBool(name, defaultText), BoolText(value));
}

std::string TGlobalSettings::getCodeTemplateFileName() { return getValueDefaultTrue("CodeTemplate", ""); }
void TGlobalSettings::setCodeTemplateFileName(const std::string& value) {
    setValue("CodeTemplate", getCodeTemplateFileName(), value);
}
std::string TGlobalSettings::getDefaultProject() { return getValueDefaultTrue("DefaultProject", ""); }
void TGlobalSettings::setDefaultProject(const std::string& value) {
    setValue("DefaultProject", getDefaultProject(), value);
}
std::string TGlobalSettings::getLastFilePath() { return getValueDefaultTrue("LastFilePath", ""); }
void TGlobalSettings::setLastFilePath(const std::string& value) {
    setValue("LastFilePath", getLastFilePath(), value);
}
std::string TGlobalSettings::getLastProjectPath() { return getValueDefaultTrue("LastProjectPath", ""); }
void TGlobalSettings::setLastProjectPath(const std::string& value) {
    setValue("LastProjectPath", getLastProjectPath(), value);
}

bool TGlobalSettings::getPerlCompilerDlgAgain() { return TextToBool(getValueDefaultTrue("PerlCompilerDlgAgain", "T")); }
void TGlobalSettings::setPerlCompilerDlgAgain(bool value) { setBool("PerlCompilerDlgAgain", "T", value); }
bool TGlobalSettings::getPhpCompilerDlgAgain() { return TextToBool(getValueDefaultTrue("PhpCompilerDlgAgain", "T")); }
void TGlobalSettings::setPhpCompilerDlgAgain(bool value) { setBool("PhpCompilerDlgAgain", "T", value); }
bool TGlobalSettings::getSqlDlgAgain() { return TextToBool(getValueDefaultTrue("SqlDlgAgain", "T")); }
void TGlobalSettings::setSqlDlgAgain(bool value) { setBool("SqlDlgAgain", "T", value); }
bool TGlobalSettings::getDetectFileAssoc() { return TextToBool(getValueDefaultTrue("DetectFileAssoc", "T")); }
void TGlobalSettings::setDetectFileAssoc(bool value) { setBool("DetectFileAssoc", "T", value); }
bool TGlobalSettings::getUseProjects() { return TextToBool(getValueDefaultTrue("UseProjects", "")); }
void TGlobalSettings::setUseProjects(bool value) { setBool("UseProjects", "", value); }

bool TGlobalSettings::getFileAssoc(const std::string& extension) {
    return TextToBool(getValueDefaultTrue("FileAssoc" + UpperText(extension), ""));
}
void TGlobalSettings::setFileAssoc(const std::string& extension, bool value) {
    setBool("FileAssoc" + UpperText(extension), "", value);
}

std::string TGlobalSettings::FindTool(const std::string& name) const {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && IsExecutable(folder + "/" + name)) return folder + "/" + name;
    for (const std::string& folder : SystemToolFolders)
        if (IsExecutable(folder + "/" + name)) return folder + "/" + name;
    return {};
}

std::string TGlobalSettings::ActivePerlPath() { return FindTool("perl"); }

std::string TGlobalSettings::ActivePerlHelp() {
    for (const char* candidate : {"/usr/share/doc/perl-doc-html", "/usr/share/perl/doc/html",
                                  "/usr/local/share/perl/doc/html"}) {
        std::error_code ec;
        if (std::filesystem::is_directory(candidate, ec)) return candidate;
    }
    return {};
}

bool TGlobalSettings::getFileType(const std::string& extension) {
    const std::string bare = RemovePrefix(extension, ".");
    if (bare.empty()) return false;
    return DefaultApplicationFor(MimeTypeForExtension(bare)) == KorvaneDesktopId;
}

void TGlobalSettings::setFileType(const std::string& extension, bool on) {
    const std::string bare = RemovePrefix(extension, ".");
    if (bare.empty()) return;
    const std::string mimeType = MimeTypeForExtension(bare);
    if (on)
        SetDefaultApplication(mimeType, KorvaneDesktopId);
    else if (!DefaultApplicationFor(mimeType).empty())
        SetDefaultApplication(mimeType, "");
}

void TGlobalSettings::CheckMainKeys() { WriteDesktopEntry(ProgramFile()); }

void TGlobalSettings::CheckFileTypes(bool forced, const FileAssocDialog& dialog) {
    FileAssocDialogState state;
    state.Forced = forced;
    bool allAsStored = true;
    for (int i = 0; i < 7; ++i) {
        state.Ticked[i] = getFileType(FileAssocExtensions[i]);
        state.Changed[i] = state.Ticked[i] != getFileAssoc(FileAssocExtensions[i]);
        allAsStored = allAsStored && !state.Changed[i];
    }
    const bool detect = getDetectFileAssoc();
    if (!forced && detect && allAsStored) return;
    if (!detect) return;
    state.DoNotCheck = !detect;

    const FileAssocChoice choice = dialog(state);
    if (!choice.Accepted) return;
    setDetectFileAssoc(!choice.DoNotCheck);
    // The order in which the associations are written.
    for (const char* extension : {"kvp", "pl", "php", "pm", "cgi", "sql", "bat"}) {
        int index = 0;
        while (std::string(FileAssocExtensions[index]) != extension) ++index;
        setFileType(extension, choice.Ticked[index]);
        setFileAssoc(extension, choice.Ticked[index]);
    }
    CheckMainKeys();
}

} // namespace korvane
