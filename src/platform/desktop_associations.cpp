#include "platform/desktop_associations.h"

#include "platform/qt_strings.h"

#include <QMimeDatabase>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace korvane {
namespace {

std::string XdgFolder(const char* variable, const char* fallbackBelowHome) {
    const char* value = std::getenv(variable);
    if (value && *value) return value;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/" + fallbackBelowHome;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool WriteFileReplacing(const std::string& path, const std::string& text) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    const std::string temporary = path + ".korvane-new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) return false;
    }
    std::filesystem::rename(temporary, path, ec);
    return !ec;
}

bool IsGroupLine(const std::string& line) {
    return !line.empty() && line.front() == '[';
}

std::string KeyOf(const std::string& line) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) return {};
    std::string key = line.substr(0, eq);
    while (!key.empty() && key.back() == ' ')
        key.pop_back();
    return key;
}

constexpr const char* DefaultGroup = "[Default Applications]";

} // namespace

std::string MimeAppsListPath() {
    return XdgFolder("XDG_CONFIG_HOME", ".config") + "/mimeapps.list";
}

std::string DesktopEntryPath() {
    return XdgFolder("XDG_DATA_HOME", ".local/share") + "/applications/" + KorvaneDesktopId;
}

std::string MimePackagePath() {
    return XdgFolder("XDG_DATA_HOME", ".local/share") + "/mime/packages/korvane.xml";
}

std::string InstalledDesktopEntry() {
    const char* value = std::getenv("XDG_DATA_DIRS");
    std::istringstream folders(value && *value ? value : "/usr/local/share:/usr/share");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (folder.empty()) continue;
        const std::filesystem::path root(folder);
        const std::filesystem::path entry = root / "applications" / KorvaneDesktopId;
        std::error_code ec;
        if (std::filesystem::is_regular_file(entry, ec) &&
            std::filesystem::is_regular_file(root / "mime/packages/korvane.xml", ec))
            return entry.string();
    }
    return {};
}

std::string MimeTypeForExtension(const std::string& extension) {
    if (extension == "kvp") return ProjectMimeType;
    static const QMimeDatabase database;
    // An extension may belong to several types ("*.pm": Perl modules and PageMaker documents);
    // Korvane's files are text, so a text type wins.
    const QList<QMimeType> types = database.mimeTypesForFileName("x." + ToQString(extension));
    if (types.isEmpty()) return "application/x-extension-" + extension;
    for (const QMimeType& type : types)
        if (type.inherits(QStringLiteral("text/plain"))) return ToStdString(type.name());
    return ToStdString(types.front().name());
}

std::string DefaultApplicationFor(const std::string& mimeType) {
    bool inDefaults = false;
    for (const std::string& line : ReadLines(MimeAppsListPath())) {
        if (IsGroupLine(line)) {
            inDefaults = line.rfind(DefaultGroup, 0) == 0;
        } else if (inDefaults && KeyOf(line) == mimeType) {
            std::string value = line.substr(line.find('=') + 1);
            // Several ids may be listed; the first installed one wins, ours is always first.
            return value.substr(0, value.find(';'));
        }
    }
    return {};
}

bool SetDefaultApplication(const std::string& mimeType, const std::string& desktopId) {
    std::vector<std::string> lines = ReadLines(MimeAppsListPath());
    std::vector<std::string> result;
    bool inDefaults = false;
    bool sawGroup = false;
    bool written = false;
    for (const std::string& line : lines) {
        if (IsGroupLine(line)) {
            if (inDefaults && !written && !desktopId.empty()) {
                result.push_back(mimeType + "=" + desktopId + ";");
                written = true;
            }
            inDefaults = line.rfind(DefaultGroup, 0) == 0;
            sawGroup = sawGroup || inDefaults;
        } else if (inDefaults && KeyOf(line) == mimeType) {
            if (!desktopId.empty() && !written) {
                result.push_back(mimeType + "=" + desktopId + ";");
                written = true;
            }
            continue;
        }
        result.push_back(line);
    }
    if (!desktopId.empty() && !written) {
        if (!sawGroup) result.push_back(DefaultGroup);
        result.push_back(mimeType + "=" + desktopId + ";");
    }
    std::ostringstream text;
    for (const std::string& line : result)
        text << line << '\n';
    return WriteFileReplacing(MimeAppsListPath(), text.str());
}

bool WriteDesktopEntry(const std::string& programFile) {
    std::ostringstream entry;
    entry << "[Desktop Entry]\n"
          << "Type=Application\n"
          << "Name=Korvane IDE\n"
          << "Comment=Edit, run, debug and publish Perl and CGI scripts\n"
          << "Exec=\"" << programFile << "\" %F\n"
          << "Icon=korvane\n"
          << "Terminal=false\n"
          << "Categories=Development;IDE;\n"
          << "MimeType=" << ProjectMimeType << ";";
    std::vector<std::string> listed;
    for (const char* extension : {"pl", "pm", "cgi", "sql", "bat", "php"}) {
        const std::string type = MimeTypeForExtension(extension);
        if (std::find(listed.begin(), listed.end(), type) != listed.end()) continue;
        listed.push_back(type);
        entry << type << ";";
    }
    entry << "\n";
    const std::string package =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"" +
        std::string(ProjectMimeType) +
        "\">\n"
        "    <comment>Korvane project</comment>\n"
        "    <glob pattern=\"*.kvp\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n";
    const bool entryWritten = WriteFileReplacing(DesktopEntryPath(), entry.str());
    return WriteFileReplacing(MimePackagePath(), package) && entryWritten;
}

} // namespace korvane
