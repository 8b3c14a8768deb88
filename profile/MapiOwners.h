#pragma once

// One owner per kind of MAPI resource, so that every way out of profile
// creation gives back what it took. MAPI objects go back through UlRelease,
// row sets through FreeProws, as MAPI's own helpers expect.

#include <memory>

#include "profile/MapiBinding.h"

template <typename TInterface>
struct CMapiReleaser
{
    void operator()(TInterface* pObject) const { UlRelease(pObject); }
};
template <typename TInterface>
using CMapiPtr = std::unique_ptr<TInterface, CMapiReleaser<TInterface>>;

// A session MAPILogonEx opened is logged off before its release, as MAPI asks:
// only then is its profile no longer in use, and can be deleted at once.
struct CSessionLogoff
{
    void operator()(IMAPISession* pSession) const
    {
        pSession->Logoff(0, 0, 0);
        UlRelease(pSession);
    }
};
using CMapiSession = std::unique_ptr<IMAPISession, CSessionLogoff>;

struct CRowSetFreer
{
    void operator()(LPSRowSet pRows) const { FreeProws(pRows); }
};
using CRowSet = std::unique_ptr<SRowSet, CRowSetFreer>;

// What MAPI hands out as a MAPI buffer (GetProps' values, SetProps' problems).
struct CMapiBufferFreer
{
    void operator()(void* pv) const { MAPIFreeBuffer(pv); }
};
template <typename T>
using CMapiBuffer = std::unique_ptr<T, CMapiBufferFreer>;

// MAPIUninitialize balances a MAPIInitialize that succeeded, and only such a
// one: after a failed initialisation it would drop a reference never taken.
class CMapiInitialization
{
public:
    CMapiInitialization() = default;
    CMapiInitialization(const CMapiInitialization&) = delete;
    CMapiInitialization& operator=(const CMapiInitialization&) = delete;
    ~CMapiInitialization()
    {
        if (m_bInitialized)
            MAPIUninitialize();
    }

    HRESULT Initialize()
    {
        const HRESULT hr = MAPIInitialize(nullptr);
        m_bInitialized = SUCCEEDED(hr);
        return hr;
    }

private:
    bool m_bInitialized = false;
};

// Wine's MAPI32 leaves an out-parameter unset when it fails, and COM gives a
// failed call's out-parameters no meaning: only a call that succeeded hands
// over an object.
template <typename TOwner, typename TRaw>
void AdoptOnSuccess(TOwner& owner, HRESULT hr, TRaw* pRaw)
{
    owner.reset(SUCCEEDED(hr) ? pRaw : nullptr);
}
