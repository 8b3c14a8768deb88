#pragma once

// Reads and prepares the registry of the test prefix through the real Win32 API.

#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace harness
{
// A value's type and its exact data bytes, terminators included.
struct CRegValue
{
    DWORD m_dwType = REG_NONE;
    std::string m_strData;

    bool operator==(const CRegValue& other) const
    {
        return m_dwType == other.m_dwType && m_strData == other.m_strData;
    }
};
void PrintTo(const CRegValue& value, std::ostream* pStream);

// The value a program writes for narrow text: REG_EXPAND_SZ, the text and its NUL.
CRegValue ExpandSz(const std::string& strText);

// samView: KEY_WOW64_64KEY or KEY_WOW64_32KEY to read another bitness's view.
std::optional<CRegValue> ReadRegValue(HKEY hRoot, const char* pszPath, const char* pszName, REGSAM samView = 0);
// Value names in the order the registry enumerates them; empty when the key is absent.
std::vector<std::string> ListRegValues(HKEY hRoot, const char* pszPath);
std::vector<std::string> ListRegSubkeys(HKEY hRoot, const char* pszPath);
bool RegKeyExists(HKEY hRoot, const char* pszPath);
void DeleteRegValue(HKEY hRoot, const char* pszPath, const char* pszName);
void DeleteRegTree(HKEY hRoot, const char* pszPath);
void WriteRegValue(HKEY hRoot, const char* pszPath, const char* pszName, const CRegValue& value);

// "S-1-5-21-...": the user this process runs as.
std::string ReadUserSid();
// A registry symbolic link at pszLinkPath under HKCU, to the key at
// pszTargetPath under HKCU; and its deletion as a link, its target left alone.
bool CreateRegLink(const char* pszLinkPath, const char* pszTargetPath);
void DeleteRegLink(const char* pszLinkPath);

// Escapes control and non-ASCII bytes, for failure messages.
std::string Printable(const std::string& strBytes);
} // namespace harness
