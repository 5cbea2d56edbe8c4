#include "platform/program_folder.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace korvane {
namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

std::string WithTrailingSlash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

// The program's own code, never edited by its user (the debugger's library, the helper
// tools): it follows the program, so a copy an older version left is replaced.
bool FollowsTheProgram(const fs::path& relative) {
    if (relative.empty()) return false;
    const std::string top = relative.begin()->string();
    return top == "debug" || top == "tools";
}

bool SameBytes(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::file_size(a, ec) != fs::file_size(b, ec) || ec) return false;
    std::ifstream first(a, std::ios::binary);
    std::ifstream second(b, std::ios::binary);
    return std::equal(std::istreambuf_iterator<char>(first), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(second));
}

void CopyMissing(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(from, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::path relative = fs::relative(it->path(), from, ec);
        const fs::path target = to / relative;
        if (it->is_directory(ec)) {
            fs::create_directories(target, ec);
        } else if (!fs::exists(target, ec) ||
                   (FollowsTheProgram(relative) && !SameBytes(it->path(), target))) {
            fs::create_directories(target.parent_path(), ec);
            fs::copy_file(it->path(), target, fs::copy_options::overwrite_existing, ec);
            // Installed data is read-only; the user's copies must not be.
            fs::permissions(target, fs::perms::owner_write, fs::perm_options::add, ec);
        }
    }
}

} // namespace

std::string ProgramFolder() {
    if (const char* home = std::getenv("KORVANE_HOME"); home && *home)
        return WithTrailingSlash(home);
    const std::string dataHome = EnvOr("XDG_DATA_HOME", EnvOr("HOME", "/tmp") + "/.local/share");
    return WithTrailingSlash(dataHome) + "korvane/";
}

std::string ProgramFile() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

std::vector<std::string> ProgramDataFolders() {
    std::vector<std::string> folders;
    std::error_code ec;
    const fs::path exe = ProgramFile();
    if (!exe.empty()) {
        // An installed program has all its data there; the tree it was built from may have
        // moved on or gone since, so it is not mixed in.
        const fs::path installed = exe.parent_path().parent_path() / "share" / "korvane";
        if (fs::is_directory(installed, ec)) return {installed.string()};
    }
#ifdef KORVANE_BUILD_DATA_DIR
    if (fs::is_directory(KORVANE_BUILD_DATA_DIR, ec)) folders.push_back(KORVANE_BUILD_DATA_DIR);
#endif
#ifdef KORVANE_SOURCE_DATA_DIR
    if (fs::is_directory(KORVANE_SOURCE_DATA_DIR, ec)) folders.push_back(KORVANE_SOURCE_DATA_DIR);
#endif
    return folders;
}

std::string ProgramModuleFile(const std::string& name) {
    std::error_code ec;
    const fs::path exe = ProgramFile();
    if (!exe.empty()) {
        const fs::path installed =
            exe.parent_path().parent_path() / "lib" / "korvane" / "modules" / name;
        if (fs::is_regular_file(installed, ec)) return installed.string();
    }
#ifdef KORVANE_MODULE_BUILD_DIR
    const fs::path built = fs::path(KORVANE_MODULE_BUILD_DIR) / name;
    if (fs::is_regular_file(built, ec)) return built.string();
#endif
    return {};
}

bool SeedProgramFolder() {
    const fs::path home = ProgramFolder();
    std::error_code ec;
    fs::create_directories(home, ec);
    if (!fs::is_directory(home, ec)) return false;
    for (const std::string& data : ProgramDataFolders())
        CopyMissing(data, home);
    fs::create_directories(home / "temp", ec);
    fs::create_directories(home / "projects", ec);
    const fs::path factory = home / "projects" / "default_original.kvp";
    const fs::path working = home / "projects" / "default.kvp";
    if (fs::exists(factory, ec) && !fs::exists(working, ec)) fs::copy_file(factory, working, ec);
    return true;
}

} // namespace korvane
