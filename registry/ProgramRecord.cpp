#include "registry/ProgramRecord.h"

#include "app/ProductInfo.h"
#include "registry/KeyTree.h"
#include "registry/RegKey.h"
#include "registry/RegistryPaths.h"

void WriteProgramRecord(const char* pszCmdLine)
{
    {
        const CRegKey userKey = CreateRegKey(HKEY_CURRENT_USER, g_szProgramKey);
        // The version of the record's layout, not of the program.
        SetExpandSzValue(userKey, "Version", "5.0");
        SetExpandSzValue(userKey, "CmdLine", pszCmdLine);
        // With whatever subkeys anything else put there: RegDeleteKeyA would
        // refuse such a key and leave an earlier run's outcomes beside this one's.
        DeleteKeyTree(userKey.get(), g_szLoggingSubkey);
    }
    // An ordinary user may not write under HKLM; nothing depends on it.
    const CRegKey machineKey = CreateRegKey(HKEY_LOCAL_MACHINE, g_szProgramKey);
    SetExpandSzValue(machineKey, "Support", QUILLMERE_SUPPORT_ADDRESS);
}
