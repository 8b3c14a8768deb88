#include "registry/LogonProfileChoice.h"

#include "registry/RegKey.h"

void WritePickLogonProfile(bool bPrompt)
{
    const CRegKey key = CreateRegKey(HKEY_CURRENT_USER, "Software\\Microsoft\\Exchange\\Client\\Options");
    SetExpandSzValue(key, "PickLogonProfile", bPrompt ? "1" : "0");
}
