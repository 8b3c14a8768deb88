// A MAPI client in a process of its own, for what a test cannot do in its own
// process: load MAPI32 from a given place, or find none, or exit leaving MAPI
// objects behind.
//   mapi_binding_probe binding   the module the binding loaded
//   mapi_binding_probe fallback  the module the binding loads where the search flag is refused
//   mapi_binding_probe plain     the module LoadLibraryA("MAPI32.DLL") finds
//   mapi_binding_probe calls     each bound call once, with out-parameters preset
//   mapi_binding_probe abandon   initialises and takes a profile admin, then exits
//   mapi_binding_probe ordinal21 MAPIInitialize as the 32-bit DLL numbers it, called
//   mapi_binding_probe names     which of the eight MAPI32 exports by which name

#include <cstdio>
#include <cstring>
#include <string>

#include "profile/MapiBinding.h"

namespace
{
std::string DescribeModule(HMODULE hModule)
{
    char szPath[MAX_PATH] = {};
    if (!hModule || !GetModuleFileNameA(hModule, szPath, MAX_PATH))
        return "null";
    return szPath;
}

template <typename T>
const char* DescribeOut(T* pOut, T* pSentinel)
{
    return !pOut ? "null" : pOut == pSentinel ? "unchanged" : "set";
}

// LoadLibraryExA as Windows 7 without KB2533623 has it: no search flags.
HMODULE WINAPI LoadWithoutSearchFlags(LPCSTR pszFile, HANDLE hFile, DWORD dwFlags)
{
    if (dwFlags & (LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_APPLICATION_DIR |
                   LOAD_LIBRARY_SEARCH_DEFAULT_DIRS | LOAD_LIBRARY_SEARCH_USER_DIRS))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return LoadLibraryExA(pszFile, hFile, dwFlags);
}

// What a client that binds 32-bit ordinals on either bitness would call.
void CallOrdinal21()
{
    const FARPROC pfn = GetMapiModule() ? GetProcAddress(GetMapiModule(), MAKEINTRESOURCEA(21)) : nullptr;
    if (!pfn)
    {
        printf("none\n");
        return;
    }
    const auto pfnInitialize = reinterpret_cast<MAPIINITIALIZE*>(reinterpret_cast<void (*)()>(pfn));
    printf("0x%08lX\n", pfnInitialize(nullptr));
}

void PrintExportNames()
{
    static const struct
    {
        const char* m_pszName;
        const char* m_pszDecoratedName;
    } s_rgFunctions[] = {
        {"MAPILogonEx", "MAPILogonEx@20"},      {"MAPIAdminProfiles", "MAPIAdminProfiles@8"},
        {"MAPIInitialize", "MAPIInitialize@4"}, {"MAPIUninitialize", "MAPIUninitialize@0"},
        {"HrQueryAllRows", "HrQueryAllRows@24"}, {"UlRelease", "UlRelease@4"},
        {"FreeProws", "FreeProws@4"},           {"MAPIFreeBuffer", "MAPIFreeBuffer@4"},
    };
    const HMODULE hModule = GetMapiModule();
    for (const auto& function : s_rgFunctions)
        printf("%s:%s%s\n", function.m_pszName, hModule && GetProcAddress(hModule, function.m_pszName) ? " plain" : "",
               hModule && GetProcAddress(hModule, function.m_pszDecoratedName) ? " decorated" : "");
}

void MakeEachCall()
{
    printf("module=%s\n", DescribeModule(GetMapiModule()).c_str());
    printf("MAPIInitialize -> 0x%08lX\n", MAPIInitialize(nullptr));

    const auto pAdminSentinel = reinterpret_cast<LPPROFADMIN>(0x5E17);
    LPPROFADMIN pAdmin = pAdminSentinel;
    HRESULT hr = MAPIAdminProfiles(0, &pAdmin);
    printf("MAPIAdminProfiles -> 0x%08lX out=%s\n", hr, DescribeOut(pAdmin, pAdminSentinel));

    const auto pSessionSentinel = reinterpret_cast<LPMAPISESSION>(0x5E17);
    LPMAPISESSION pSession = pSessionSentinel;
    char szProfile[] = "Probe";
    hr = MAPILogonEx(0, szProfile, nullptr, MAPI_EXTENDED | MAPI_NEW_SESSION | MAPI_EXPLICIT_PROFILE, &pSession);
    printf("MAPILogonEx -> 0x%08lX out=%s\n", hr, DescribeOut(pSession, pSessionSentinel));

    const auto pRowsSentinel = reinterpret_cast<LPSRowSet>(0x5E17);
    LPSRowSet pRows = pRowsSentinel;
    hr = HrQueryAllRows(nullptr, nullptr, nullptr, nullptr, 0, &pRows);
    printf("HrQueryAllRows -> 0x%08lX out=%s\n", hr, DescribeOut(pRows, pRowsSentinel));

    printf("MAPIFreeBuffer -> %lu\n", MAPIFreeBuffer(nullptr));
    printf("UlRelease -> %lu\n", UlRelease(nullptr));
    FreeProws(nullptr);
    printf("FreeProws -> done\n");
    MAPIUninitialize();
    printf("MAPIUninitialize -> done\n");
}
} // namespace

int main(int argc, char* argv[])
{
    const std::string strMode = argc > 1 ? argv[1] : "";
    if (strMode == "binding")
        printf("%s\n", DescribeModule(GetMapiModule()).c_str());
    else if (strMode == "fallback")
        printf("%s\n", DescribeModule(LoadMapiFromSystemDirectory(LoadWithoutSearchFlags)).c_str());
    else if (strMode == "plain")
        printf("%s\n", DescribeModule(LoadLibraryA("MAPI32.DLL")).c_str());
    else if (strMode == "calls")
        MakeEachCall();
    else if (strMode == "abandon")
    {
        // In this order: the arguments of one call are evaluated in no fixed order.
        const HRESULT hrInit = MAPIInitialize(nullptr);
        LPPROFADMIN pAdmin = nullptr;
        const HRESULT hrAdmin = MAPIAdminProfiles(0, &pAdmin);
        printf("0x%08lX 0x%08lX\n", hrInit, hrAdmin);
    }
    else if (strMode == "ordinal21")
        CallOrdinal21();
    else if (strMode == "names")
        PrintExportNames();
    else
        return 2;
    return 0;
}
