#include "temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace korvane::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvane-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    Root = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Tests may leave read-only files or folders behind; make them removable first.
    for (auto it = std::filesystem::recursive_directory_iterator(Root, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(Root, ignored);
}

std::string TempDir::File(const std::string& relative) const {
    return (Root / relative).string();
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : Name(name) {
    const char* old = std::getenv(name);
    HadValue = old != nullptr;
    if (old) OldValue = old;
    setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (HadValue)
        setenv(Name.c_str(), OldValue.c_str(), 1);
    else
        unsetenv(Name.c_str());
}

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = folder + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

} // namespace korvane::test
