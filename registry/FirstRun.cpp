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
        // Opened, never made, for an Outlook that is not there.
        const CRegKey setupKey = OpenRegKey(HKEY_CURRENT_USER, pszPath);
        if (!setupKey)
            continue;
        RegDeleteValueA(setupKey.get(), "First-Run");
        RegDeleteValueA(setupKey.get(), "FirstRun");
    }
}
