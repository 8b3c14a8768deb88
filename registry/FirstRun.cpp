#include "registry/FirstRun.h"

#include "registry/RegKey.h"

void SuppressFirstRun()
{
    static const char* const s_rgpszSetupKeys[] = {
        "SOFTWARE\\Microsoft\\Office\\14.0\\Outlook\\Setup",
        "SOFTWARE\\Microsoft\\Office\\11.0\\Outlook\\Setup",
        "SOFTWARE\\Microsoft\\Office\\10.0\\Outlook\\Setup",
    };
    for (const char* pszPath : s_rgpszSetupKeys)
    {
        // RegOpenKeyA, unlike RegCreateKeyA, never makes a key for an Outlook that is not there.
        HKEY hKey = nullptr;
        if (RegOpenKeyA(HKEY_CURRENT_USER, pszPath, &hKey) != ERROR_SUCCESS)
            continue;
        const CRegKey setupKey(hKey);
        RegDeleteValueA(setupKey.get(), "First-Run");
        RegDeleteValueA(setupKey.get(), "FirstRun");
    }
}
