#include "profile/MapiBinding.h"

namespace
{
// MAPI32's exports are bound by ordinal, as Microsoft's own stub does: the
// names differ between providers, the ordinals do not.
enum MapiOrdinal : WORD
{
    ordMAPILogonEx = 11,
    ordMAPIAdminProfiles = 19,
    ordMAPIInitialize = 21,
    ordMAPIUninitialize = 23,
    ordHrQueryAllRows = 75,
    ordUlRelease = 129,
    ordFreeProws = 140,
};

HMODULE LoadMapiFromSystemDirectory()
{
    // A missing or damaged DLL must not stop a console tool with a message box.
    DWORD dwOldMode = 0;
    const BOOL bModeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &dwOldMode);
    // Never from beside the program or the working directory, where anyone may
    // have put a MAPI32.DLL of their own.
    const HMODULE hModule = LoadLibraryExA("MAPI32.DLL", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (bModeSet)
        SetThreadErrorMode(dwOldMode, nullptr);
    return hModule;
}

template <typename TFunction, MapiOrdinal ordinal>
TFunction* Bind()
{
    static TFunction* const s_pfn = [] {
        const HMODULE hModule = GetMapiModule();
        const FARPROC pfn = hModule ? GetProcAddress(hModule, MAKEINTRESOURCEA(ordinal)) : nullptr;
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

HMODULE GetMapiModule()
{
    static const HMODULE s_hModule = LoadMapiFromSystemDirectory();
    return s_hModule;
}

HRESULT WINAPI MAPIInitialize(LPVOID lpMapiInit)
{
    const auto pfn = Bind<MAPIINITIALIZE, ordMAPIInitialize>();
    return pfn ? pfn(lpMapiInit) : MAPI_E_NOT_INITIALIZED;
}

void WINAPI MAPIUninitialize()
{
    if (const auto pfn = Bind<MAPIUNINITIALIZE, ordMAPIUninitialize>())
        pfn();
}

HRESULT WINAPI MAPIAdminProfiles(ULONG ulFlags, LPPROFADMIN* lppProfAdmin)
{
    const auto pfn = Bind<MAPIADMINPROFILES, ordMAPIAdminProfiles>();
    return pfn ? pfn(ulFlags, lppProfAdmin) : AnswerNoMapi(lppProfAdmin);
}

HRESULT WINAPI MAPILogonEx(ULONG_PTR ulUIParam, LPTSTR lpszProfileName, LPTSTR lpszPassword, ULONG ulFlags,
                           LPMAPISESSION* lppSession)
{
    const auto pfn = Bind<MAPILOGONEX, ordMAPILogonEx>();
    return pfn ? pfn(ulUIParam, lpszProfileName, lpszPassword, ulFlags, lppSession) : AnswerNoMapi(lppSession);
}

STDAPI HrQueryAllRows(LPMAPITABLE lpTable, LPSPropTagArray lpPropTags, LPSRestriction lpRestriction,
                      LPSSortOrderSet lpSortOrderSet, LONG crowsMax, LPSRowSet* lppRows)
{
    using HRQUERYALLROWS = HRESULT WINAPI(LPMAPITABLE, LPSPropTagArray, LPSRestriction, LPSSortOrderSet, LONG,
                                          LPSRowSet*);
    const auto pfn = Bind<HRQUERYALLROWS, ordHrQueryAllRows>();
    return pfn ? pfn(lpTable, lpPropTags, lpRestriction, lpSortOrderSet, crowsMax, lppRows) : AnswerNoMapi(lppRows);
}

STDAPI_(ULONG) UlRelease(LPVOID lpUnk)
{
    using ULRELEASE = ULONG WINAPI(LPVOID);
    const auto pfn = Bind<ULRELEASE, ordUlRelease>();
    return pfn ? pfn(lpUnk) : 0;
}

STDAPI_(void) FreeProws(LPSRowSet lpRows)
{
    using FREEPROWS = void WINAPI(LPSRowSet);
    if (const auto pfn = Bind<FREEPROWS, ordFreeProws>())
        pfn(lpRows);
}
