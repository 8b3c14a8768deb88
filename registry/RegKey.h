#pragma once

// The registry as the program uses it: keys closed on every way out, and text
// values that always carry their terminating NUL.

#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>

struct CRegKeyCloser
{
    void operator()(HKEY hKey) const { RegCloseKey(hKey); }
};
using CRegKey = std::unique_ptr<std::remove_pointer_t<HKEY>, CRegKeyCloser>;

// Opens the key, creating it and every missing key on its path; null when it cannot.
inline CRegKey CreateRegKey(HKEY hRoot, const char* pszPath)
{
    HKEY hKey = nullptr;
    return CRegKey(RegCreateKeyA(hRoot, pszPath, &hKey) == ERROR_SUCCESS ? hKey : nullptr);
}

// Opens a key that exists, never making one; null when it cannot.
inline CRegKey OpenRegKey(HKEY hRoot, const char* pszPath)
{
    HKEY hKey = nullptr;
    return CRegKey(RegOpenKeyA(hRoot, pszPath, &hKey) == ERROR_SUCCESS ? hKey : nullptr);
}

// REG_EXPAND_SZ, the text and its NUL. A failure is not the caller's concern:
// the program's record and log are written on a best-effort basis.
inline void SetExpandSzValue(const CRegKey& key, const char* pszName, const std::string& strText)
{
    RegSetValueExA(key.get(), pszName, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(strText.c_str()),
                   static_cast<DWORD>(strText.size() + 1));
}
