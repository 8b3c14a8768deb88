#include "testbed/harness/RegistryProbe.h"

#include <sddl.h>

#include <cstdio>

namespace harness
{
namespace
{
struct CKey
{
    HKEY m_hKey = nullptr;
    ~CKey()
    {
        if (m_hKey)
            RegCloseKey(m_hKey);
    }
};
} // namespace

void PrintTo(const CRegValue& value, std::ostream* pStream)
{
    *pStream << "{type " << value.m_dwType << ", " << value.m_strData.size() << " bytes \""
             << Printable(value.m_strData) << "\"}";
}

CRegValue ExpandSz(const std::string& strText)
{
    return {REG_EXPAND_SZ, strText + '\0'};
}

std::optional<CRegValue> ReadRegValue(HKEY hRoot, const char* pszPath, const char* pszName, REGSAM samView)
{
    CKey key;
    if (RegOpenKeyExA(hRoot, pszPath, 0, KEY_QUERY_VALUE | samView, &key.m_hKey) != ERROR_SUCCESS)
        return std::nullopt;
    CRegValue value;
    DWORD cbData = 0;
    if (RegQueryValueExA(key.m_hKey, pszName, nullptr, &value.m_dwType, nullptr, &cbData) != ERROR_SUCCESS)
        return std::nullopt;
    value.m_strData.resize(cbData);
    RegQueryValueExA(key.m_hKey, pszName, nullptr, &value.m_dwType,
                     reinterpret_cast<BYTE*>(&value.m_strData[0]), &cbData);
    value.m_strData.resize(cbData);
    return value;
}

namespace
{
// The names RegEnumValueA or RegEnumKeyExA gives, index by index, until it stops.
template <typename TEnumerate>
std::vector<std::string> ListNames(HKEY hRoot, const char* pszPath, REGSAM samAccess, TEnumerate fnEnumerate)
{
    std::vector<std::string> vecNames;
    CKey key;
    if (RegOpenKeyExA(hRoot, pszPath, 0, samAccess, &key.m_hKey) != ERROR_SUCCESS)
        return vecNames;
    char szName[16384];
    for (DWORD dwIndex = 0;; ++dwIndex)
    {
        DWORD cchName = sizeof(szName);
        if (fnEnumerate(key.m_hKey, dwIndex, szName, &cchName) != ERROR_SUCCESS)
            break;
        vecNames.emplace_back(szName, cchName);
    }
    return vecNames;
}
} // namespace

std::vector<std::string> ListRegValues(HKEY hRoot, const char* pszPath)
{
    return ListNames(hRoot, pszPath, KEY_QUERY_VALUE, [](HKEY hKey, DWORD dwIndex, char* pszName, DWORD* pcchName) {
        return RegEnumValueA(hKey, dwIndex, pszName, pcchName, nullptr, nullptr, nullptr, nullptr);
    });
}

std::vector<std::string> ListRegSubkeys(HKEY hRoot, const char* pszPath)
{
    return ListNames(hRoot, pszPath, KEY_ENUMERATE_SUB_KEYS,
                     [](HKEY hKey, DWORD dwIndex, char* pszName, DWORD* pcchName) {
                         return RegEnumKeyExA(hKey, dwIndex, pszName, pcchName, nullptr, nullptr, nullptr, nullptr);
                     });
}

bool RegKeyExists(HKEY hRoot, const char* pszPath)
{
    CKey key;
    return RegOpenKeyExA(hRoot, pszPath, 0, KEY_READ, &key.m_hKey) == ERROR_SUCCESS;
}

void DeleteRegValue(HKEY hRoot, const char* pszPath, const char* pszName)
{
    CKey key;
    if (RegOpenKeyExA(hRoot, pszPath, 0, KEY_SET_VALUE, &key.m_hKey) == ERROR_SUCCESS)
        RegDeleteValueA(key.m_hKey, pszName);
}

void DeleteRegTree(HKEY hRoot, const char* pszPath)
{
    RegDeleteTreeA(hRoot, pszPath);
    RegDeleteKeyA(hRoot, pszPath);
}

void WriteRegValue(HKEY hRoot, const char* pszPath, const char* pszName, const CRegValue& value)
{
    CKey key;
    RegCreateKeyExA(hRoot, pszPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key.m_hKey, nullptr);
    RegSetValueExA(key.m_hKey, pszName, 0, value.m_dwType,
                   reinterpret_cast<const BYTE*>(value.m_strData.data()),
                   static_cast<DWORD>(value.m_strData.size()));
}

std::string ReadUserSid()
{
    HANDLE hToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return std::string();
    BYTE rgbUser[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE] = {};
    DWORD cb = 0;
    const BOOL bRead = GetTokenInformation(hToken, TokenUser, rgbUser, sizeof(rgbUser), &cb);
    CloseHandle(hToken);
    LPSTR pszSid = nullptr;
    if (!bRead || !ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(rgbUser)->User.Sid, &pszSid))
        return std::string();
    const std::string strSid = pszSid;
    LocalFree(pszSid);
    return strSid;
}

bool CreateRegLink(const char* pszLinkPath, const char* pszTargetPath)
{
    CKey link;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, pszLinkPath, 0, nullptr, REG_OPTION_CREATE_LINK,
                        KEY_SET_VALUE | KEY_CREATE_LINK, nullptr, &link.m_hKey, nullptr) != ERROR_SUCCESS)
        return false;
    // The target's full name in the registry's own namespace, in UTF-16 and
    // without a terminator.
    const std::string strTarget = "\\Registry\\User\\" + ReadUserSid() + "\\" + pszTargetPath;
    const std::wstring wstrTarget(strTarget.begin(), strTarget.end());
    return RegSetValueExW(link.m_hKey, L"SymbolicLinkValue", 0, REG_LINK,
                          reinterpret_cast<const BYTE*>(wstrTarget.data()),
                          static_cast<DWORD>(wstrTarget.size() * sizeof(WCHAR))) == ERROR_SUCCESS;
}

void DeleteRegLink(const char* pszLinkPath)
{
    using NTDELETEKEY = LONG NTAPI(HANDLE);
    CKey link;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, pszLinkPath, REG_OPTION_OPEN_LINK, DELETE, &link.m_hKey) != ERROR_SUCCESS)
        return;
    const auto pfnDeleteKey = reinterpret_cast<NTDELETEKEY*>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
    if (pfnDeleteKey)
        pfnDeleteKey(link.m_hKey);
}

std::string Printable(const std::string& strBytes)
{
    std::string strOut;
    for (unsigned char ch : strBytes)
    {
        if (ch == '\\')
            strOut += "\\\\";
        else if (ch >= 0x20 && ch < 0x7F)
            strOut.push_back(static_cast<char>(ch));
        else
        {
            char szEscape[8];
            snprintf(szEscape, sizeof(szEscape), "\\x%02X", ch);
            strOut += szEscape;
        }
    }
    return strOut;
}
} // namespace harness
