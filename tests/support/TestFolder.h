#pragma once
// A folder of the test's own under the Wine (or Windows) temporary folder, removed with all its
// contents when the object goes.
#include <string>

class TTestFolder {
public:
    TTestFolder();
    ~TTestFolder();
    TTestFolder(const TTestFolder&) = delete;
    TTestFolder& operator=(const TTestFolder&) = delete;

    // With a trailing backslash.
    const std::string& Path() const { return path_; }
    // Path() + relative.
    std::string operator/(const std::string& relative) const { return path_ + relative; }

private:
    std::string path_;
};

// Test-side file helpers (plain Win32, independent of the code under test).
bool MakeFolder(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// Empty with ok=false when the file cannot be read.
std::string ReadFileBytes(const std::string& path, bool* ok = nullptr);
bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);
// Removes a tree without following folder links and clearing read-only attributes on the way.
void RemoveTestTree(const std::string& path);
