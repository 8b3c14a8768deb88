#include "profile/ProfileSections.h"

#include <cstring>
#include <string>

#include "cmdline/AnsiText.h"
#include "profile/ExchangeTags.h"
#include "profile/MapiOwners.h"
#include "profile/ServiceProperties.h"
#include "profile/TagArrays.h"

namespace
{
enum
{
    iSectionUid,
    NUM_SECTION_UID_TAGS
};
const SizedSPropTagArray(NUM_SECTION_UID_TAGS, s_emsmdbSectionUid) = {NUM_SECTION_UID_TAGS, {PR_EMSMDB_SECTION_UID}};
const SizedSPropTagArray(NUM_SECTION_UID_TAGS, s_storeProviders) = {NUM_SECTION_UID_TAGS, {PR_STORE_PROVIDERS}};

// The EMSMDB section's properties in the order they are set; the cache mode
// only where -c asks for one.
enum
{
    emsSmtpAddress,
    emsDisplayName,
    emsConfigFlags,
    NUM_EMSMDB_PROPS
};

enum
{
    storeSmtpAddress,
    storeDisplayName,
    NUM_STORE_PROPS
};

// The step's status as its calls answer: a failure ends it and is what it
// reports; a warning lets it go on and is reported unless a failure follows.
class CStepStatus
{
public:
    bool Add(HRESULT hr)
    {
        if (FAILED(hr) || m_hr == S_OK)
            m_hr = hr;
        return SUCCEEDED(hr);
    }
    HRESULT Get() const { return m_hr; }

private:
    HRESULT m_hr = S_OK;
};

HRESULT OpenSection(IMsgServiceAdmin* pServiceAdmin, LPMAPIUID pUid, ULONG ulFlags, CMapiPtr<IProfSect>& section)
{
    LPPROFSECT pSection = nullptr;
    const HRESULT hr = pServiceAdmin->OpenProfileSection(pUid, nullptr, ulFlags, &pSection);
    AdoptOnSuccess(section, hr, pSection);
    return hr;
}

// The section UID a property holds: the whole value for PR_EMSMDB_SECTION_UID,
// the first of the list PR_STORE_PROVIDERS holds. A value MAPI answers with
// PT_ERROR fails with its error; one of another shape is not found.
template <typename TSizedTagArray>
bool ReadSectionUid(IProfSect* pSection, const TSizedTagArray& tags, bool bFirstOfList, MAPIUID& uid,
                    CStepStatus& status)
{
    ULONG cValues = 0;
    LPSPropValue pValues = nullptr;
    const HRESULT hr = pSection->GetProps(AsTagArray(tags), 0, &cValues, &pValues);
    CMapiBuffer<SPropValue> values;
    AdoptOnSuccess(values, hr, pValues);
    if (!status.Add(hr))
        return false;
    if (!values || cValues < NUM_SECTION_UID_TAGS)
        return status.Add(MAPI_E_NOT_FOUND);
    const SPropValue& prop = values.get()[iSectionUid];
    if (PROP_TYPE(prop.ulPropTag) == PT_ERROR)
        return status.Add(FAILED(prop.Value.err) ? prop.Value.err : MAPI_E_NOT_FOUND);
    const ULONG cb = prop.Value.bin.cb;
    if (prop.ulPropTag != tags.aulPropTag[iSectionUid] || !prop.Value.bin.lpb ||
        (bFirstOfList ? cb < sizeof(MAPIUID) : cb != sizeof(MAPIUID)))
        return status.Add(MAPI_E_NOT_FOUND);
    memcpy(&uid, prop.Value.bin.lpb, sizeof(MAPIUID));
    return true;
}

// Set, and saved: what SetProps set is kept only once SaveChanges has run. A
// property MAPI reports as a problem fails with the problem's error.
bool WriteSection(IProfSect* pSection, ULONG cProps, LPSPropValue pProps, CStepStatus& status)
{
    LPSPropProblemArray pProblems = nullptr;
    const HRESULT hr = pSection->SetProps(cProps, pProps, &pProblems);
    CMapiBuffer<SPropProblemArray> problems;
    AdoptOnSuccess(problems, hr, pProblems);
    if (!status.Add(hr))
        return false;
    if (problems && problems->cProblem > 0)
        return status.Add(FAILED(problems->aProblem[0].scode) ? problems->aProblem[0].scode : MAPI_E_CALL_FAILED);
    return status.Add(pSection->SaveChanges(KEEP_OPEN_READWRITE));
}

void SetText(SPropValue& prop, ULONG ulPropTag, std::wstring& wstrText)
{
    prop.ulPropTag = ulPropTag;
    prop.Value.lpszW = wstrText.data();
}
} // namespace

HRESULT ConfigureExchangeSections(IMsgServiceAdmin* pServiceAdmin, LPMAPIUID pServiceUid,
                                  const CProfileSettings& settings)
{
    // The address was checked before MAPI was touched; converted the same way.
    std::wstring wstrAddress;
    if (!TryWidenText(settings.m_strSmtpAddress, CP_ACP, wstrAddress))
        return MAPI_E_INVALID_PARAMETER;

    CStepStatus status;
    CMapiPtr<IProfSect> serviceSection;
    CMapiPtr<IProfSect> emsmdbSection;
    CMapiPtr<IProfSect> storeSection;

    // Sections that a provider owns open only with MAPI_FORCE_ACCESS.
    MAPIUID uidEmsmdb = {};
    if (!status.Add(OpenSection(pServiceAdmin, pServiceUid, MAPI_FORCE_ACCESS, serviceSection)) ||
        !ReadSectionUid(serviceSection.get(), s_emsmdbSectionUid, false, uidEmsmdb, status))
        return status.Get();

    SPropValue rgEmsmdbProps[NUM_EMSMDB_PROPS] = {};
    SetText(rgEmsmdbProps[emsSmtpAddress], PR_PROFILE_USER_SMTP_EMAIL_ADDRESS_W, wstrAddress);
    SetText(rgEmsmdbProps[emsDisplayName], PR_DISPLAY_NAME_W, wstrAddress);
    ULONG cEmsmdbProps = emsConfigFlags;
    if (SelectCacheFlags(settings.m_nCacheMode, rgEmsmdbProps[emsConfigFlags].Value.l))
    {
        rgEmsmdbProps[emsConfigFlags].ulPropTag = PR_PROFILE_CONFIG_FLAGS;
        cEmsmdbProps = NUM_EMSMDB_PROPS;
    }
    MAPIUID uidStore = {};
    if (!status.Add(OpenSection(pServiceAdmin, &uidEmsmdb, MAPI_MODIFY, emsmdbSection)) ||
        !WriteSection(emsmdbSection.get(), cEmsmdbProps, rgEmsmdbProps, status) ||
        !ReadSectionUid(emsmdbSection.get(), s_storeProviders, true, uidStore, status))
        return status.Get();

    SPropValue rgStoreProps[NUM_STORE_PROPS] = {};
    SetText(rgStoreProps[storeSmtpAddress], PR_PROFILE_USER_SMTP_EMAIL_ADDRESS_W, wstrAddress);
    SetText(rgStoreProps[storeDisplayName], PR_DISPLAY_NAME_W, wstrAddress);
    if (status.Add(OpenSection(pServiceAdmin, &uidStore, MAPI_FORCE_ACCESS | MAPI_MODIFY, storeSection)))
        WriteSection(storeSection.get(), NUM_STORE_PROPS, rgStoreProps, status);
    return status.Get();
}
