#pragma once

// Just enough of the registry for the stand-in and its dump tool.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace standin
{
// Owns one open HKEY.
class CRegKey
{
public:
    CRegKey() = default;
    ~CRegKey() { Close(); }
    CRegKey(CRegKey&& other) noexcept : m_hKey(other.m_hKey) { other.m_hKey = nullptr; }
    CRegKey& operator=(CRegKey&& other) noexcept;
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    HKEY Get() const { return m_hKey; }
    HKEY* Receive();
    explicit operator bool() const { return m_hKey != nullptr; }

private:
    void Close();
    HKEY m_hKey = nullptr;
};

CRegKey OpenKey(HKEY hRoot, const std::string& strPath, REGSAM samDesired = KEY_READ);
// pbCreated: whether this call made it, so that of two processes creating
// one key at once exactly one learns that it did.
CRegKey CreateKey(HKEY hRoot, const std::string& strPath, bool* pbCreated = nullptr);
bool KeyExists(HKEY hRoot, const std::string& strPath);

// The value's exact bytes, or nothing when it is absent or of another type.
std::optional<std::string> ReadValue(HKEY hKey, const char* pszName, DWORD dwType);
// REG_SZ or REG_EXPAND_SZ, without its terminator.
std::optional<std::string> ReadString(HKEY hKey, const char* pszName);
std::optional<DWORD> ReadDword(HKEY hKey, const char* pszName);
bool WriteValue(HKEY hKey, const char* pszName, DWORD dwType, const std::string& strData);

std::vector<std::string> ListSubkeys(HKEY hKey);
std::vector<std::string> ListValues(HKEY hKey);
} // namespace standin
