#include "testbed/mapi32-stand-in/Registry.h"

namespace standin
{
CRegKey& CRegKey::operator=(CRegKey&& other) noexcept
{
    if (this != &other)
    {
        Close();
        m_hKey = other.m_hKey;
        other.m_hKey = nullptr;
    }
    return *this;
}

HKEY* CRegKey::Receive()
{
    Close();
    return &m_hKey;
}

void CRegKey::Close()
{
    if (m_hKey)
        RegCloseKey(m_hKey);
    m_hKey = nullptr;
}

CRegKey OpenKey(HKEY hRoot, const std::string& strPath, REGSAM samDesired)
{
    CRegKey key;
    if (RegOpenKeyExA(hRoot, strPath.c_str(), 0, samDesired, key.Receive()) != ERROR_SUCCESS)
        *key.Receive() = nullptr;
    return key;
}

CRegKey CreateKey(HKEY hRoot, const std::string& strPath, bool* pbCreated)
{
    CRegKey key;
    DWORD dwDisposition = 0;
    if (RegCreateKeyExA(hRoot, strPath.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key.Receive(),
                        &dwDisposition) != ERROR_SUCCESS)
        *key.Receive() = nullptr;
    if (pbCreated)
        *pbCreated = key && dwDisposition == REG_CREATED_NEW_KEY;
    return key;
}

bool KeyExists(HKEY hRoot, const std::string& strPath)
{
    return static_cast<bool>(OpenKey(hRoot, strPath));
}

std::optional<std::string> ReadValue(HKEY hKey, const char* pszName, DWORD dwType)
{
    DWORD dwActualType = REG_NONE;
    DWORD cb = 0;
    if (!hKey || RegQueryValueExA(hKey, pszName, nullptr, &dwActualType, nullptr, &cb) != ERROR_SUCCESS ||
        dwActualType != dwType)
        return std::nullopt;
    std::string strData(cb, '\0');
    if (RegQueryValueExA(hKey, pszName, nullptr, nullptr, reinterpret_cast<BYTE*>(&strData[0]), &cb) !=
        ERROR_SUCCESS)
        return std::nullopt;
    strData.resize(cb);
    return strData;
}

std::optional<std::string> ReadString(HKEY hKey, const char* pszName)
{
    std::optional<std::string> strData = ReadValue(hKey, pszName, REG_SZ);
    if (!strData)
        strData = ReadValue(hKey, pszName, REG_EXPAND_SZ);
    if (strData)
        strData->resize(strlen(strData->c_str()));
    return strData;
}

std::optional<DWORD> ReadDword(HKEY hKey, const char* pszName)
{
    const std::optional<std::string> strData = ReadValue(hKey, pszName, REG_DWORD);
    if (!strData || strData->size() != sizeof(DWORD))
        return std::nullopt;
    DWORD dwValue = 0;
    memcpy(&dwValue, strData->data(), sizeof(dwValue));
    return dwValue;
}

bool WriteValue(HKEY hKey, const char* pszName, DWORD dwType, const std::string& strData)
{
    return RegSetValueExA(hKey, pszName, 0, dwType, reinterpret_cast<const BYTE*>(strData.data()),
                          static_cast<DWORD>(strData.size())) == ERROR_SUCCESS;
}

std::vector<std::string> ListSubkeys(HKEY hKey)
{
    std::vector<std::string> vecNames;
    char szName[256];
    for (DWORD i = 0;; ++i)
    {
        DWORD cch = sizeof(szName);
        if (RegEnumKeyExA(hKey, i, szName, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        vecNames.emplace_back(szName, cch);
    }
    return vecNames;
}

std::vector<std::string> ListValues(HKEY hKey)
{
    std::vector<std::string> vecNames;
    char szName[16384];
    for (DWORD i = 0;; ++i)
    {
        DWORD cch = sizeof(szName);
        if (RegEnumValueA(hKey, i, szName, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        vecNames.emplace_back(szName, cch);
    }
    return vecNames;
}
} // namespace standin
