#pragma once

// MAPI32.DLL, loaded from the system directory on first use, behind the very
// functions mapix.h and mapiutil.h declare: program code calls MAPIInitialize(),
// HrQueryAllRows() and the rest as if it linked the import library.
//
// Bound here: MAPIInitialize, MAPIUninitialize, MAPIAdminProfiles, MAPILogonEx,
// HrQueryAllRows, UlRelease, FreeProws, MAPIFreeBuffer. Without MAPI32, or
// without one of its entry points, a call that returns an HRESULT answers
// MAPI_E_NOT_INITIALIZED and nulls its out-parameter; the others do nothing.

#include <windows.h>

#include <mapix.h>
#include <mapiutil.h>

// For tests: the MAPI32 module the calls go to (loaded now if this is the first
// use); null when it cannot be loaded.
HMODULE GetMapiModule();

// For tests: how GetMapiModule loads MAPI32, with LoadLibraryExA or with a
// test's own function of that shape in its place.
using LOADLIBRARYEXA = HMODULE WINAPI(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
HMODULE LoadMapiFromSystemDirectory(LOADLIBRARYEXA* pfnLoadLibraryEx);
