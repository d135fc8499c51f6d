#pragma once
// The settings store: one open key at a time below a predefined root, over the ANSI registry
// functions. Opening always creates; every registry result is ignored, so a failure shows only
// as a missing value or a write that did not happen.
#include <windows.h>
#include <cstdint>
#include <string>

class TRegistry {
public:
    TRegistry();
    virtual ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    void SetRootKey(HKEY key);
    void CloseKey();
    // A path that begins with one backslash is taken from RootKey, any other from the open key
    // when there is one.
    void OpenKey(const std::string& key);

    int32_t GetDataSize(const std::string& name) const;
    bool ValueExists(const std::string& name) const;
    std::string ReadString(const std::string& name) const;
    void WriteString(const std::string& name, const std::string& value);
    // 0 for a missing value or one that is not exactly 4 bytes long.
    int32_t ReadInteger(const std::string& name) const;
    void WriteInteger(const std::string& name, int32_t value);
    bool ReadBool(const std::string& name) const;
    void WriteBool(const std::string& name, bool value);
    int32_t GetData(const std::string& name, void* buffer, int32_t size) const;

    HKEY CurrentKey = nullptr;
    HKEY RootKey = nullptr;
    std::string CurrentPath;

private:
    HKEY GetBaseKey(bool relative) const;
    void ChangeKey(HKEY key, const std::string& path);
};
