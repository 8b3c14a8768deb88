#include "registry/UnfinishedProfiles.h"

#include "registry/RegKey.h"
#include "registry/RegistryPaths.h"

bool IsProfileUnfinished(const char* pszProfile)
{
    const CRegKey key = OpenRegKey(HKEY_CURRENT_USER, g_szUnfinishedKey);
    return key && RegQueryValueExA(key.get(), pszProfile, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void MarkProfileUnfinished(const char* pszProfile)
{
    SetExpandSzValue(CreateRegKey(HKEY_CURRENT_USER, g_szUnfinishedKey), pszProfile, "");
}

void ClearProfileUnfinished(const char* pszProfile)
{
    DWORD cSubkeys = 1;
    DWORD cValues = 1;
    {
        const CRegKey key = OpenRegKey(HKEY_CURRENT_USER, g_szUnfinishedKey);
        if (!key)
            return;
        RegDeleteValueA(key.get(), pszProfile);
        RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &cSubkeys, nullptr, nullptr, &cValues, nullptr, nullptr,
                         nullptr, nullptr);
    }
    if (cSubkeys == 0 && cValues == 0)
        RegDeleteKeyA(HKEY_CURRENT_USER, g_szUnfinishedKey);
}
