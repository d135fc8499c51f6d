#include "tests/support/TestRegKey.h"

#include <atomic>

namespace {
std::atomic<unsigned> keyCounter{0};
}

TTestRegKey::TTestRegKey()
    : path_("Software\\UtTest-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(keyCounter++))
{
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
}

TTestRegKey::~TTestRegKey()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
}

bool TTestRegKey::Exists(const std::string& subKey) const
{
    HKEY key = nullptr;
    const std::string path = subKey.empty() ? path_ : path_ + "\\" + subKey;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool ReadRawValue(const std::string& keyPath, const std::string& name, DWORD& type,
                  std::string& bytes)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    bool ok = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    if (ok) {
        bytes.assign(size, '\0');
        ok = RegQueryValueExA(key, name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(bytes.data()), &size) == ERROR_SUCCESS;
        bytes.resize(size);
    }
    RegCloseKey(key);
    return ok;
}

bool WriteRawValue(const std::string& keyPath, const std::string& name, DWORD type,
                   const std::string& bytes)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    const bool ok = RegSetValueExA(key, name.c_str(), 0, type,
                                   reinterpret_cast<const BYTE*>(bytes.data()),
                                   static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}
