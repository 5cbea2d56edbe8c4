#include "model/global_settings.h"

#include "platform/qt_strings.h"
#include "platform/settings_store.h"
#include "storage/text_utils.h"

#include <QSettings>

#include <charconv>

namespace korvane {
namespace {

const QString DefaultsGroup = QStringLiteral("Defaults/");
constexpr int DefaultRunOutputLimit = 64;

std::string BoolText(bool value) {
    return value ? "-1" : "0";
}

} // namespace

TGlobalSettings::TGlobalSettings() : Registry(OpenUserSettings()) {}

TGlobalSettings::~TGlobalSettings() = default;

std::string TGlobalSettings::getValueDefaultTrue(const std::string& name,
                                                 const std::string& defaultText) {
    if (const auto kept = Unsaved.find(name); kept != Unsaved.end()) return kept->second;
    Registry->sync();
    if (Registry->status() != QSettings::NoError) return {};
    const QString key = DefaultsGroup + ToQString(name);
    if (!Registry->contains(key)) return defaultText;
    return ToStdString(Registry->value(key).toString());
}

void TGlobalSettings::setValue(const std::string& name, const std::string& oldText,
                               const std::string& newText) {
    if (SameText(oldText, newText)) return;
    if (Registry->isWritable()) {
        Registry->setValue(DefaultsGroup + ToQString(name), ToQString(newText));
        Registry->sync();
        if (Registry->status() == QSettings::NoError) {
            Unsaved.erase(name);
            return;
        }
    }
    Unsaved[name] = newText;
}

std::string TGlobalSettings::getBool(const std::string& name, const std::string& defaultText) {
    return BoolText(TextToBool(getValueDefaultTrue(name, defaultText)));
}

void TGlobalSettings::setBool(const std::string& name, const std::string& defaultText, bool value) {
    setValue(name, getBool(name, defaultText), BoolText(value));
}

std::string TGlobalSettings::getCodeTemplateFileName() {
    return getValueDefaultTrue("CodeTemplate", "");
}
void TGlobalSettings::setCodeTemplateFileName(const std::string& value) {
    setValue("CodeTemplate", getCodeTemplateFileName(), value);
}
std::string TGlobalSettings::getDefaultProject() {
    return getValueDefaultTrue("DefaultProject", "");
}
void TGlobalSettings::setDefaultProject(const std::string& value) {
    setValue("DefaultProject", getDefaultProject(), value);
}
std::string TGlobalSettings::getLastFilePath() {
    return getValueDefaultTrue("LastFilePath", "");
}
void TGlobalSettings::setLastFilePath(const std::string& value) {
    setValue("LastFilePath", getLastFilePath(), value);
}
std::string TGlobalSettings::getLastProjectPath() {
    return getValueDefaultTrue("LastProjectPath", "");
}
void TGlobalSettings::setLastProjectPath(const std::string& value) {
    setValue("LastProjectPath", getLastProjectPath(), value);
}

bool TGlobalSettings::getPerlCompilerDlgAgain() {
    return TextToBool(getValueDefaultTrue("PerlCompilerDlgAgain", "T"));
}
void TGlobalSettings::setPerlCompilerDlgAgain(bool value) {
    setBool("PerlCompilerDlgAgain", "T", value);
}
bool TGlobalSettings::getPhpCompilerDlgAgain() {
    return TextToBool(getValueDefaultTrue("PhpCompilerDlgAgain", "T"));
}
void TGlobalSettings::setPhpCompilerDlgAgain(bool value) {
    setBool("PhpCompilerDlgAgain", "T", value);
}
bool TGlobalSettings::getSqlDlgAgain() {
    return TextToBool(getValueDefaultTrue("SqlDlgAgain", "T"));
}
void TGlobalSettings::setSqlDlgAgain(bool value) {
    setBool("SqlDlgAgain", "T", value);
}
bool TGlobalSettings::getDetectFileAssoc() {
    return TextToBool(getValueDefaultTrue("DetectFileAssoc", "T"));
}
void TGlobalSettings::setDetectFileAssoc(bool value) {
    setBool("DetectFileAssoc", "T", value);
}
bool TGlobalSettings::getUseProjects() {
    return TextToBool(getValueDefaultTrue("UseProjects", ""));
}
void TGlobalSettings::setUseProjects(bool value) {
    setBool("UseProjects", "", value);
}

int TGlobalSettings::getRunOutputLimit() {
    const std::string text = getValueDefaultTrue("RunOutputLimit", "");
    int megabytes = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), megabytes);
    return error == std::errc() && end == text.data() + text.size() && megabytes > 0
               ? megabytes
               : DefaultRunOutputLimit;
}
void TGlobalSettings::setRunOutputLimit(int megabytes) {
    setValue("RunOutputLimit", std::to_string(getRunOutputLimit()), std::to_string(megabytes));
}

bool TGlobalSettings::getRunInTerminal() {
    return TextToBool(getValueDefaultTrue("RunInTerminal", "T"));
}
void TGlobalSettings::setRunInTerminal(bool value) {
    setBool("RunInTerminal", "T", value);
}

bool TGlobalSettings::getFileAssoc(const std::string& extension) {
    return TextToBool(getValueDefaultTrue("FileAssoc" + UpperText(extension), ""));
}
void TGlobalSettings::setFileAssoc(const std::string& extension, bool value) {
    setBool("FileAssoc" + UpperText(extension), "", value);
}

} // namespace korvane
