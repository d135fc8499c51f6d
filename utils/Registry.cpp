#include "utils/Registry.h"

#include <cstring>

TRegistry::TRegistry()
{
    SetRootKey(HKEY_CURRENT_USER);
}

TRegistry::~TRegistry()
{
    CloseKey();
}

void TRegistry::SetRootKey(HKEY key)
{
    if (key == RootKey) return;
    RootKey = key;
    CloseKey();
}

void TRegistry::CloseKey()
{
    if (!CurrentKey) return;
    RegCloseKey(CurrentKey);
    CurrentKey = nullptr;
    CurrentPath.clear();
}

HKEY TRegistry::GetBaseKey(bool relative) const
{
    return relative && CurrentKey ? CurrentKey : RootKey;
}

void TRegistry::ChangeKey(HKEY key, const std::string& path)
{
    CloseKey();
    CurrentKey = key;
    CurrentPath = path;
}

void TRegistry::OpenKey(const std::string& key)
{
    std::string s = key;
    const bool relative = s.empty() || s[0] != '\\';
    if (!relative) s.erase(0, 1);
    HKEY opened = nullptr;
    if (RegCreateKeyExA(GetBaseKey(relative), s.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        opened = nullptr;
    // CurrentPath is dropped by ChangeKey's CloseKey, so the new path is formed first.
    const std::string path = CurrentKey && relative ? CurrentPath + "\\" + s : s;
    ChangeKey(opened, path);
}

int32_t TRegistry::GetDataSize(const std::string& name) const
{
    if (!CurrentKey) return -1;
    DWORD size = 0;
    if (RegQueryValueExA(CurrentKey, name.c_str(), nullptr, nullptr, nullptr, &size) !=
        ERROR_SUCCESS)
        return -1;
    return static_cast<int32_t>(size);
}

bool TRegistry::ValueExists(const std::string& name) const
{
    return GetDataSize(name) != -1;
}

std::string TRegistry::ReadString(const std::string& name) const
{
    const int32_t n = GetDataSize(name);
    if (n <= 0) return {};
    std::string value(static_cast<size_t>(n), '\0');
    const int32_t got = GetData(name, value.data(), n);
    // The value may have changed since its size was asked for; a grown one left the buffer
    // undefined.
    if (got < 0 || got > n) return {};
    value.resize(static_cast<size_t>(got));
    value.resize(std::strlen(value.c_str()));
    return value;
}

void TRegistry::WriteString(const std::string& name, const std::string& value)
{
    RegSetValueExA(CurrentKey, name.c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

int32_t TRegistry::ReadInteger(const std::string& name) const
{
    int32_t value = 0;
    if (GetData(name, &value, sizeof value) != sizeof value) return 0;
    return value;
}

void TRegistry::WriteInteger(const std::string& name, int32_t value)
{
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
        static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    RegSetValueExA(CurrentKey, name.c_str(), 0, REG_DWORD, bytes, sizeof bytes);
}

bool TRegistry::ReadBool(const std::string& name) const
{
    return ReadInteger(name) != 0;
}

void TRegistry::WriteBool(const std::string& name, bool value)
{
    WriteInteger(name, value ? 1 : 0);
}

int32_t TRegistry::GetData(const std::string& name, void* buffer, int32_t size) const
{
    DWORD count = static_cast<DWORD>(size);
    if (!CurrentKey) return -1;
    RegQueryValueExA(CurrentKey, name.c_str(), nullptr, nullptr, static_cast<BYTE*>(buffer),
                     &count);
    return static_cast<int32_t>(count);
}
