#pragma once

// The stand-in's MAPI objects. Each counts its references, answers
// QueryInterface for IID_IUnknown and its own interface, deletes itself at
// zero, and journals every call made on it. Methods it does not implement
// answer MAPI_E_NO_SUPPORT.

#include <windows.h>

#include <mapix.h>

#include <string>
#include <vector>

#include "testbed/mapi32-stand-in/Runtime.h"
#include "testbed/mapi32-stand-in/Store.h"

namespace standin
{
class CObjectBase
{
public:
    ULONG AddRefQuietly() { return ++m_cRef; }
    ULONG ReleaseQuietly();
    const std::string& GetLabel() const { return m_strLabel; }

protected:
    CObjectBase(const void* pInterface, const char* pszKind);
    virtual ~CObjectBase();
    CObjectBase(const CObjectBase&) = delete;
    CObjectBase& operator=(const CObjectBase&) = delete;

    HRESULT JournalNoSupport(const char* pszMethod) const;

private:
    const void* const m_pInterface;
    const std::string m_strLabel;
    ULONG m_cRef = 1;
};

// The interfaces with every method answering MAPI_E_NO_SUPPORT; the objects
// below override what they implement.
#define STAND_IN_NO_SUPPORT                                                                                            \
    {                                                                                                                  \
        return AnswerNoSupport(__func__);                                                                              \
    }
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
class CProfAdminBase : public IProfAdmin
{
public:
    MAPI_IPROFADMIN_METHODS(STAND_IN_NO_SUPPORT)
protected:
    virtual HRESULT AnswerNoSupport(const char* pszMethod) = 0;
};

class CSessionBase : public IMAPISession
{
public:
    MAPI_IMAPISESSION_METHODS(STAND_IN_NO_SUPPORT)
protected:
    virtual HRESULT AnswerNoSupport(const char* pszMethod) = 0;
};

class CServiceAdminBase : public IMsgServiceAdmin
{
public:
    MAPI_IMSGSERVICEADMIN_METHODS(STAND_IN_NO_SUPPORT)
protected:
    virtual HRESULT AnswerNoSupport(const char* pszMethod) = 0;
};

class CTableBase : public IMAPITable
{
public:
    MAPI_IMAPITABLE_METHODS(STAND_IN_NO_SUPPORT)
protected:
    virtual HRESULT AnswerNoSupport(const char* pszMethod) = 0;
};

class CProfSectBase : public IProfSect
{
public:
    MAPI_IMAPIPROP_METHODS(STAND_IN_NO_SUPPORT)
    MAPI_IPROFSECT_METHODS(STAND_IN_NO_SUPPORT)
protected:
    virtual HRESULT AnswerNoSupport(const char* pszMethod) = 0;
};
#pragma GCC diagnostic pop
#undef STAND_IN_NO_SUPPORT

template <typename TBase>
class CStandInObject : public TBase, public CObjectBase
{
public:
    STDMETHODIMP QueryInterface(REFIID riid, LPVOID* ppvObj) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

protected:
    // riidBase: the interface its own derives from, when that is not IUnknown.
    CStandInObject(const char* pszKind, REFIID riidOwn, REFIID riidBase = IID_IUnknown)
        : CObjectBase(static_cast<TBase*>(this), pszKind), m_iidOwn(riidOwn), m_iidBase(riidBase)
    {
    }
    HRESULT AnswerNoSupport(const char* pszMethod) override { return JournalNoSupport(pszMethod); }

private:
    const IID m_iidOwn;
    const IID m_iidBase;
};

class CProfAdmin final : public CStandInObject<CProfAdminBase>
{
public:
    CProfAdmin();
    STDMETHODIMP GetProfileTable(ULONG ulFlags, LPMAPITABLE* lppTable) override;
    STDMETHODIMP CreateProfile(LPSTR lpszProfileName, LPSTR lpszPassword, ULONG_PTR ulUIParam,
                               ULONG ulFlags) override;
    STDMETHODIMP DeleteProfile(LPSTR lpszProfileName, ULONG ulFlags) override;
    STDMETHODIMP SetDefaultProfile(LPSTR lpszProfileName, ULONG ulFlags) override;
};

class CSession final : public CStandInObject<CSessionBase>
{
public:
    explicit CSession(const std::string& strProfile);
    ~CSession() override;
    STDMETHODIMP Logoff(ULONG_PTR ulUIParam, ULONG ulFlags, ULONG ulReserved) override;
    STDMETHODIMP AdminServices(ULONG ulFlags, LPSERVICEADMIN* lppServiceAdmin) override;

private:
    // Ends the session on its profile once, at Logoff or at the last release.
    void End();

    const std::string m_strProfile;
    bool m_bLoggedOff = false;
};

class CServiceAdmin final : public CStandInObject<CServiceAdminBase>
{
public:
    explicit CServiceAdmin(const std::string& strProfile);
    STDMETHODIMP GetMsgServiceTable(ULONG ulFlags, LPMAPITABLE* lppTable) override;
    STDMETHODIMP CreateMsgService(LPSTR lpszService, LPSTR lpszDisplayName, ULONG_PTR ulUIParam,
                                  ULONG ulFlags) override;
    STDMETHODIMP ConfigureMsgService(LPMAPIUID lpUID, ULONG_PTR ulUIParam, ULONG ulFlags, ULONG cValues,
                                     LPSPropValue lpProps) override;
    // In ProfSect.cpp, with the sections it opens.
    STDMETHODIMP OpenProfileSection(LPMAPIUID lpUID, LPCIID lpInterface, ULONG ulFlags,
                                    LPPROFSECT* lppProfSect) override;

private:
    const std::string m_strProfile;
};

// One value of a table row: 8-bit text (without its NUL), bytes, or a truth value.
struct CTableCell
{
    ULONG m_ulPropTag = 0;
    std::string m_strBytes;
    bool m_b = false;
};

// One row as the table lists it, and how the journal names it ("1:MSEMS").
struct CTableRow
{
    std::string m_strDescription;
    std::vector<CTableCell> m_vecCells;
};

class CTable final : public CStandInObject<CTableBase>
{
public:
    // What the table lists (szServiceTable, szProfileTable), the columns a
    // caller that sets none gets, and the rows in their order.
    CTable(const char* pszContents, std::vector<ULONG> vecDefaultColumns, std::vector<CTableRow> vecRows);
    const char* GetContents() const { return m_pszContents; }
    STDMETHODIMP SetColumns(LPSPropTagArray lpPropTagArray, ULONG ulFlags) override;
    STDMETHODIMP QueryRows(LONG lRowCount, ULONG ulFlags, LPSRowSet* lppRows) override;

    // For HrQueryAllRows, which journals itself.
    void SelectColumns(const SPropTagArray& tags);
    void SeekToStart() { m_nPosition = 0; }
    size_t CountRemaining() const { return m_vecRows.size() - m_nPosition; }
    // The next rows from the cursor on, registered as a live row set;
    // strDescription gets "Rows#5 [1:MSEMS, 2:CONTAB]".
    HRESULT FetchRows(size_t cMax, LPSRowSet* lppRows, std::string& strDescription);

private:
    const std::vector<CTableRow> m_vecRows;
    const char* const m_pszContents;
    std::vector<ULONG> m_vecColumns;
    size_t m_nPosition = 0;
};

// "1:MSEMS": the service's place in creation order and its name.
std::string DescribeService(size_t nCreation, const CService& service);
// The service table's row of a service, and the profile table's of a profile.
CTableRow MakeServiceRow(size_t nCreation, const CService& service);
CTableRow MakeProfileRow(const std::string& strProfile, bool bDefault);
template <typename TSizedTagArray>
std::vector<ULONG> ColumnsOf(const TSizedTagArray& tags)
{
    return std::vector<ULONG>(tags.aulPropTag, tags.aulPropTag + tags.cValues);
}
CTable* FindTable(const void* pAddress);
// Frees a row set as FreeProws does: each row's properties, then the set.
void FreeRowSet(LPSRowSet lpRows);

// An out-parameter preset to null, or MAPI_E_INVALID_PARAMETER for none.
template <typename T>
HRESULT PresetOut(T** ppOut)
{
    if (!ppOut)
        return MAPI_E_INVALID_PARAMETER;
    *ppOut = nullptr;
    return S_OK;
}
// Profile and service administration take 8-bit names only.
HRESULT CheckNarrow(ULONG ulFlags);
} // namespace standin
