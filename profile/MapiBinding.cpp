#include "profile/MapiBinding.h"

#include <string>

namespace
{
enum EMapiFunction
{
    fnMAPILogonEx,
    fnMAPIAdminProfiles,
    fnMAPIInitialize,
    fnMAPIUninitialize,
    fnHrQueryAllRows,
    fnUlRelease,
    fnFreeProws,
    fnMAPIFreeBuffer,
    NUM_MAPI_FUNCTIONS
};

// Where MAPI32 keeps each function. Every 32-bit MAPI32 exports each one at
// the ordinal given here, under its stdcall-decorated name (a few also
// undecorated, one ordinal lower), and x86 binds these ordinals. x64 has no
// stdcall and so no decoration, and nothing documents that the 64-bit DLL
// keeps the 32-bit ordinals: one of them may name another function there,
// which would then be called with arguments it does not take. So x64 binds by
// name, the plain one first, then the decorated one, which is all some 64-bit
// providers export for some functions (Wine's for the last three).
struct CMapiExport
{
    const char* m_pszName;
    const char* m_pszDecoratedName;
    WORD m_wOrdinal;
};
const CMapiExport s_rgExports[NUM_MAPI_FUNCTIONS] = {
    {"MAPILogonEx", "MAPILogonEx@20", 11},
    {"MAPIAdminProfiles", "MAPIAdminProfiles@8", 19},
    {"MAPIInitialize", "MAPIInitialize@4", 21},
    {"MAPIUninitialize", "MAPIUninitialize@0", 23},
    {"HrQueryAllRows", "HrQueryAllRows@24", 75},
    {"UlRelease", "UlRelease@4", 129},
    {"FreeProws", "FreeProws@4", 140},
    {"MAPIFreeBuffer", "MAPIFreeBuffer@4", 17},
};

FARPROC FindExport(HMODULE hModule, const CMapiExport& entry)
{
#ifdef _WIN64
    const FARPROC pfn = GetProcAddress(hModule, entry.m_pszName);
    return pfn ? pfn : GetProcAddress(hModule, entry.m_pszDecoratedName);
#else
    return GetProcAddress(hModule, MAKEINTRESOURCEA(entry.m_wOrdinal));
#endif
}

template <typename TFunction, EMapiFunction function>
TFunction* Bind()
{
    static TFunction* const s_pfn = [] {
        const HMODULE hModule = GetMapiModule();
        const FARPROC pfn = hModule ? FindExport(hModule, s_rgExports[function]) : nullptr;
        // Through void (*)(void), the one function pointer type every other converts to quietly.
        return reinterpret_cast<TFunction*>(reinterpret_cast<void (*)()>(pfn));
    }();
    return s_pfn;
}

template <typename TOut>
HRESULT AnswerNoMapi(TOut** ppOut)
{
    if (ppOut)
        *ppOut = nullptr;
    return MAPI_E_NOT_INITIALIZED;
}
} // namespace

HMODULE LoadMapiFromSystemDirectory(LOADLIBRARYEXA* pfnLoadLibraryEx)
{
    // A missing or damaged DLL must not stop a console tool with a message box.
    DWORD dwOldMode = 0;
    const BOOL bModeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &dwOldMode);
    // Never from beside the program or the working directory, where anyone may
    // have put a MAPI32.DLL of their own.
    HMODULE hModule = pfnLoadLibraryEx("MAPI32.DLL", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Windows 7 and Server 2008 R2 without KB2533623 know no search flags and
    // refuse them. The full path reaches the same file (for a 32-bit program
    // on 64-bit Windows, syswow64's, by redirection), and with it MAPI32's own
    // imports are looked for in its folder first. Never a plain search.
    if (!hModule && GetLastError() == ERROR_INVALID_PARAMETER)
    {
        char szSystem[MAX_PATH] = {};
        const UINT cch = GetSystemDirectoryA(szSystem, MAX_PATH);
        if (cch > 0 && cch < MAX_PATH)
            hModule = pfnLoadLibraryEx((std::string(szSystem, cch) + "\\MAPI32.DLL").c_str(), nullptr,
                                       LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    if (bModeSet)
        SetThreadErrorMode(dwOldMode, nullptr);
    return hModule;
}

HMODULE GetMapiModule()
{
    static const HMODULE s_hModule = LoadMapiFromSystemDirectory(LoadLibraryExA);
    return s_hModule;
}

HRESULT WINAPI MAPIInitialize(LPVOID lpMapiInit)
{
    const auto pfn = Bind<MAPIINITIALIZE, fnMAPIInitialize>();
    return pfn ? pfn(lpMapiInit) : MAPI_E_NOT_INITIALIZED;
}

void WINAPI MAPIUninitialize()
{
    if (const auto pfn = Bind<MAPIUNINITIALIZE, fnMAPIUninitialize>())
        pfn();
}

HRESULT WINAPI MAPIAdminProfiles(ULONG ulFlags, LPPROFADMIN* lppProfAdmin)
{
    const auto pfn = Bind<MAPIADMINPROFILES, fnMAPIAdminProfiles>();
    return pfn ? pfn(ulFlags, lppProfAdmin) : AnswerNoMapi(lppProfAdmin);
}

HRESULT WINAPI MAPILogonEx(ULONG_PTR ulUIParam, LPTSTR lpszProfileName, LPTSTR lpszPassword, ULONG ulFlags,
                           LPMAPISESSION* lppSession)
{
    const auto pfn = Bind<MAPILOGONEX, fnMAPILogonEx>();
    return pfn ? pfn(ulUIParam, lpszProfileName, lpszPassword, ulFlags, lppSession) : AnswerNoMapi(lppSession);
}

STDAPI HrQueryAllRows(LPMAPITABLE lpTable, LPSPropTagArray lpPropTags, LPSRestriction lpRestriction,
                      LPSSortOrderSet lpSortOrderSet, LONG crowsMax, LPSRowSet* lppRows)
{
    using HRQUERYALLROWS = HRESULT WINAPI(LPMAPITABLE, LPSPropTagArray, LPSRestriction, LPSSortOrderSet, LONG,
                                          LPSRowSet*);
    const auto pfn = Bind<HRQUERYALLROWS, fnHrQueryAllRows>();
    return pfn ? pfn(lpTable, lpPropTags, lpRestriction, lpSortOrderSet, crowsMax, lppRows) : AnswerNoMapi(lppRows);
}

STDAPI_(ULONG) UlRelease(LPVOID lpUnk)
{
    using ULRELEASE = ULONG WINAPI(LPVOID);
    const auto pfn = Bind<ULRELEASE, fnUlRelease>();
    return pfn ? pfn(lpUnk) : 0;
}

STDAPI_(void) FreeProws(LPSRowSet lpRows)
{
    using FREEPROWS = void WINAPI(LPSRowSet);
    if (const auto pfn = Bind<FREEPROWS, fnFreeProws>())
        pfn(lpRows);
}

ULONG WINAPI MAPIFreeBuffer(LPVOID lpBuffer)
{
    const auto pfn = Bind<MAPIFREEBUFFER, fnMAPIFreeBuffer>();
    return pfn ? pfn(lpBuffer) : 0;
}
