#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it.
#include <filesystem>
#include <string>

namespace korvane::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return Root; }
    // Root + "/" + relative, as a string.
    std::string File(const std::string& relative) const;

private:
    std::filesystem::path Root;
};

// Whole-file helpers for tests, byte for byte.
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// Sets an environment variable for the life of the object and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string Name;
    bool HadValue;
    std::string OldValue;
};

// Path of a program on PATH, or "" when it is not installed.
std::string FindProgram(const std::string& name);

} // namespace korvane::test
