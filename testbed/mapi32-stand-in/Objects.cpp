// What every object of the stand-in shares; each interface family has a file
// of its own (ProfAdmin.cpp, ServiceAdmin.cpp, Table.cpp, ProfSect.cpp).

#include "testbed/mapi32-stand-in/Objects.h"

#include "testbed/mapi32-stand-in/Format.h"

namespace standin
{
HRESULT CheckNarrow(ULONG ulFlags)
{
    return ulFlags & MAPI_UNICODE ? MAPI_E_BAD_CHARWIDTH : S_OK;
}

std::string DescribeService(size_t nCreation, const CService& service)
{
    return std::to_string(nCreation) + ":" + service.m_strName;
}

CObjectBase::CObjectBase(const void* pInterface, const char* pszKind)
    : m_pInterface(pInterface), m_strLabel(RegisterLive(pInterface, pszKind, this))
{
}

CObjectBase::~CObjectBase()
{
    UnregisterLive(m_pInterface);
}

ULONG CObjectBase::ReleaseQuietly()
{
    const ULONG cRef = --m_cRef;
    if (cRef == 0)
        delete this;
    return cRef;
}

HRESULT CObjectBase::JournalNoSupport(const char* pszMethod) const
{
    Journal(m_strLabel + "." + pszMethod + "(...) -> " + FormatStatus(MAPI_E_NO_SUPPORT));
    return MAPI_E_NO_SUPPORT;
}

template <typename TBase>
STDMETHODIMP CStandInObject<TBase>::QueryInterface(REFIID riid, LPVOID* ppvObj)
{
    HRESULT hr = PresetOut(ppvObj);
    if (SUCCEEDED(hr) && (riid == IID_IUnknown || riid == m_iidOwn || riid == m_iidBase))
    {
        *ppvObj = static_cast<TBase*>(this);
        AddRefQuietly();
    }
    else if (SUCCEEDED(hr))
        hr = MAPI_E_INTERFACE_NOT_SUPPORTED;
    Journal(GetLabel() + ".QueryInterface(iid=" + FormatIid(riid) + ") -> " + FormatStatus(hr) +
            FormatOut(ppvObj ? *ppvObj : nullptr));
    return hr;
}

template <typename TBase>
STDMETHODIMP_(ULONG) CStandInObject<TBase>::AddRef()
{
    const ULONG cRef = AddRefQuietly();
    Journal(GetLabel() + ".AddRef() -> " + std::to_string(cRef));
    return cRef;
}

template <typename TBase>
STDMETHODIMP_(ULONG) CStandInObject<TBase>::Release()
{
    const std::string strLabel = GetLabel();
    const ULONG cRef = ReleaseQuietly();
    Journal(strLabel + ".Release() -> " + std::to_string(cRef));
    return cRef;
}

// Every kind of object, instantiated here where the members above are defined.
template class CStandInObject<CProfAdminBase>;
template class CStandInObject<CSessionBase>;
template class CStandInObject<CServiceAdminBase>;
template class CStandInObject<CTableBase>;
template class CStandInObject<CProfSectBase>;
} // namespace standin
