#include "registry/KeyTree.h"

#include "registry/RegKey.h"

namespace
{
// RegDeleteKey and RegDeleteTree open the key by its name, and so follow a
// link to its target. Only ntdll, which every process has loaded, deletes a
// key through a handle, one opened on the link itself.
using NTDELETEKEY = LONG NTAPI(HANDLE hKey);

NTDELETEKEY* FindNtDeleteKey()
{
    static NTDELETEKEY* const s_pfn = reinterpret_cast<NTDELETEKEY*>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
    return s_pfn;
}

bool IsLink(HKEY hKey)
{
    DWORD dwType = REG_NONE;
    return RegQueryValueExA(hKey, "SymbolicLinkValue", nullptr, &dwType, nullptr, nullptr) == ERROR_SUCCESS &&
           dwType == REG_LINK;
}
} // namespace

bool DeleteKeyTree(HKEY hParent, const char* pszSubkey)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hParent, pszSubkey, REG_OPTION_OPEN_LINK, KEY_READ | DELETE, &hKey) != ERROR_SUCCESS)
        return false;
    const CRegKey key(hKey);
    if (!IsLink(key.get()))
    {
        // A subkey that stays keeps its place; the next one moves up to the index after it.
        char szSubkey[256];
        for (DWORD iKept = 0;;)
        {
            DWORD cch = sizeof(szSubkey);
            if (RegEnumKeyExA(key.get(), iKept, szSubkey, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            if (!DeleteKeyTree(key.get(), szSubkey))
                ++iKept;
        }
    }
    NTDELETEKEY* const pfnDeleteKey = FindNtDeleteKey();
    return pfnDeleteKey && pfnDeleteKey(key.get()) >= 0;
}
