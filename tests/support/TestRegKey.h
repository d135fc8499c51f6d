#pragma once
// A registry key of the test's own, HKCU\Software\<unique>, deleted with everything below it
// when the object goes.
#include <windows.h>
#include <string>

class TTestRegKey {
public:
    TTestRegKey();
    ~TTestRegKey();
    TTestRegKey(const TTestRegKey&) = delete;
    TTestRegKey& operator=(const TTestRegKey&) = delete;

    // Below HKCU, without a leading backslash: "Software\<unique>".
    const std::string& Path() const { return path_; }
    bool Exists(const std::string& subKey = "") const;

private:
    std::string path_;
};

// Raw reads for assertions, apart from the code under test. False when the value is missing.
bool ReadRawValue(const std::string& keyPath, const std::string& name, DWORD& type,
                  std::string& bytes);
bool WriteRawValue(const std::string& keyPath, const std::string& name, DWORD type,
                   const std::string& bytes);
