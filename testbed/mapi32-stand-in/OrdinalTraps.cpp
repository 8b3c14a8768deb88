// The x64 stand-in's traps: what sits, nameless, at the 32-bit DLL's ordinals
// of the eight functions clients bind. A 64-bit client that binds by those
// numbers reaches one of these instead of the function it meant, as it could
// reach any function on a real 64-bit MAPI32, and the journal says so.

#include <windows.h>

#include <mapicode.h>

#include <string>

#include "testbed/mapi32-stand-in/Format.h"
#include "testbed/mapi32-stand-in/Runtime.h"

namespace
{
// Fails whatever the caller meant: an HRESULT it reads as failure, and
// nothing else touched, since the arguments' shapes are unknown here.
HRESULT RefuseOrdinal(int nOrdinal)
{
    const HRESULT hr = MAPI_E_CALL_FAILED;
    standin::Journal("Ordinal" + std::to_string(nOrdinal) + "() -> bound by a 32-bit ordinal " +
                     standin::FormatStatus(hr));
    return hr;
}
} // namespace

// One entry point per ordinal, so that the journal names the number bound.
extern "C" HRESULT WINAPI BoundByOrdinal11() { return RefuseOrdinal(11); }
extern "C" HRESULT WINAPI BoundByOrdinal17() { return RefuseOrdinal(17); }
extern "C" HRESULT WINAPI BoundByOrdinal19() { return RefuseOrdinal(19); }
extern "C" HRESULT WINAPI BoundByOrdinal21() { return RefuseOrdinal(21); }
extern "C" HRESULT WINAPI BoundByOrdinal23() { return RefuseOrdinal(23); }
extern "C" HRESULT WINAPI BoundByOrdinal75() { return RefuseOrdinal(75); }
extern "C" HRESULT WINAPI BoundByOrdinal129() { return RefuseOrdinal(129); }
extern "C" HRESULT WINAPI BoundByOrdinal140() { return RefuseOrdinal(140); }
