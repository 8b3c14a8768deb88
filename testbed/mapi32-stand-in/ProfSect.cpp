// IMsgServiceAdmin::OpenProfileSection and IProfSect: the sections of a
// profile, answered as MAPI's reference pages describe them.

#include "testbed/mapi32-stand-in/ProfSect.h"

#include <ntsecapi.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "testbed/mapi32-stand-in/Format.h"
#include "testbed/mapi32-stand-in/StandInControl.h"

namespace standin
{
namespace
{
constexpr ULONG ulOpenFlags = MAPI_DEFERRED_ERRORS | MAPI_MODIFY | MAPI_FORCE_ACCESS;

bool IsProfSectInterface(LPCIID lpInterface)
{
    return !lpInterface || *lpInterface == IID_IProfSect || *lpInterface == IID_IMAPIProp ||
           *lpInterface == IID_IUnknown;
}

// A service's own section and its store provider's belong to them. The EMSMDB
// section is the one Microsoft's Outlook 2016 procedure opens without
// MAPI_FORCE_ACCESS.
bool IsOwnedByProvider(const CSection& section)
{
    return section.m_nService && section.m_strKind != szSectionEmsmdb;
}

const CSection* FindSection(const std::vector<CSection>& vecSections, const MAPIUID* lpUID)
{
    for (const CSection& section : vecSections)
        if (lpUID && IsEqualMAPIUID(lpUID, &section.m_uid))
            return &section;
    return nullptr;
}

CUidNames NameProfileSections(const std::string& strProfile)
{
    return NameSections(ListSections(strProfile));
}

bool IsText(ULONG ulPropTag)
{
    return PROP_TYPE(ulPropTag) == PT_STRING8 || PROP_TYPE(ulPropTag) == PT_UNICODE;
}

// Secure properties come only when asked for by tag.
bool IsSecure(ULONG ulPropTag)
{
    return PROP_ID(ulPropTag) >= 0x67F0 && PROP_ID(ulPropTag) <= 0x67FF;
}

// The tag under which the section keeps what ulAsked asks for: the same one,
// or for PT_UNSPECIFIED the one of that ID, text in the width ulFlags asks.
SCODE FindKept(const std::map<ULONG, std::string>& mapCurrent, ULONG ulAsked, ULONG ulFlags, ULONG& ulKept)
{
    ULONG ulType = PROP_TYPE(ulAsked);
    if (ulType == PT_UNSPECIFIED)
    {
        ulType = ulFlags & MAPI_UNICODE ? PT_UNICODE : PT_STRING8;
        for (const auto& entry : mapCurrent)
            if (PROP_ID(entry.first) == PROP_ID(ulAsked) && !IsText(entry.first))
                ulType = PROP_TYPE(entry.first);
    }
    ulKept = PROP_TAG(ulType, PROP_ID(ulAsked));
    if (mapCurrent.count(ulKept))
        return S_OK;
    // Text kept only in the other width: GetProps need not convert, and this one does not.
    const ULONG ulOtherWidth = PROP_TAG(ulType == PT_UNICODE ? PT_STRING8 : PT_UNICODE, PROP_ID(ulAsked));
    return IsText(ulKept) && mapCurrent.count(ulOtherWidth) ? MAPI_E_BAD_CHARWIDTH : MAPI_E_NOT_FOUND;
}

// One property as GetProps answers it; false when it answers PT_ERROR.
bool FillProp(const std::map<ULONG, std::string>& mapCurrent, ULONG ulAsked, ULONG ulFlags, const std::string& strKind,
              const std::function<void*(size_t)>& fnAllocate, SPropValue& prop)
{
    ULONG ulKept = 0;
    SCODE sc = FindKept(mapCurrent, ulAsked, ulFlags, ulKept);
    if (SUCCEEDED(sc) && !DecodeProperty(ulKept, mapCurrent.at(ulKept), fnAllocate, prop))
        sc = MAPI_E_CORRUPT_DATA;
    const std::optional<DWORD> dwError = ReadPropertySteering(szPropertyErrorPrefix, strKind, ulAsked);
    if (dwError && FAILED(static_cast<SCODE>(*dwError)))
        sc = static_cast<SCODE>(*dwError);
    if (FAILED(sc))
    {
        prop.ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(ulAsked));
        prop.Value.err = sc;
        return false;
    }
    const std::optional<DWORD> dwLength = ReadPropertySteering(szPropertyLengthPrefix, strKind, ulAsked);
    if (PROP_TYPE(prop.ulPropTag) == PT_BINARY && dwLength)
        prop.Value.bin.cb = std::min<ULONG>(prop.Value.bin.cb, *dwLength);
    return true;
}

// What SetProps refuses whole, as MAPI_E_INVALID_PARAMETER.
bool IsSettable(const SPropValue& prop)
{
    if (PROP_TYPE(prop.ulPropTag) & MV_FLAG)
        return prop.Value.MVl.cValues != 0;
    return PROP_TYPE(prop.ulPropTag) != PT_OBJECT && PointsToValue(prop);
}

std::string FormatProblems(const std::vector<SPropProblem>& vecProblems)
{
    std::string strOut = "[";
    for (const SPropProblem& problem : vecProblems)
        strOut.append(strOut.size() > 1 ? ", " : "")
            .append(std::to_string(problem.ulIndex) + ": " + FormatHex(problem.ulPropTag) + " " +
                    FormatStatus(problem.scode));
    return strOut + "]";
}

// SetProps' problem array, a MAPI buffer, when the caller asked for one;
// strOut gets "Problems#9 [...]", or "null" for none.
HRESULT HandOutProblems(const std::vector<SPropProblem>& vecProblems, LPSPropProblemArray* lppProblems,
                        std::string& strOut)
{
    if (vecProblems.empty())
        return S_OK;
    if (!lppProblems)
    {
        strOut = "not asked " + FormatProblems(vecProblems);
        return S_OK;
    }
    LPSPropProblemArray lpProblems = nullptr;
    if (FAILED(MAPIAllocateBuffer(static_cast<ULONG>(CbNewSPropProblemArray(vecProblems.size())),
                                  reinterpret_cast<void**>(&lpProblems))))
        return MAPI_E_NOT_ENOUGH_MEMORY;
    lpProblems->cProblem = static_cast<ULONG>(vecProblems.size());
    std::copy(vecProblems.begin(), vecProblems.end(), lpProblems->aProblem);
    *lppProblems = lpProblems;
    strOut = RegisterLive(lpProblems, "Problems", nullptr) + " " + FormatProblems(vecProblems);
    return S_OK;
}

bool GenerateUid(MAPIUID& uid)
{
    return RtlGenRandom(&uid, sizeof(uid)) != FALSE;
}

SPropValue MakeUidProp(ULONG ulPropTag, MAPIUID& uid)
{
    SPropValue prop = {};
    prop.ulPropTag = ulPropTag;
    prop.Value.bin.cb = sizeof(uid.ab);
    prop.Value.bin.lpb = uid.ab;
    return prop;
}
} // namespace

STDMETHODIMP CServiceAdmin::OpenProfileSection(LPMAPIUID lpUID, LPCIID lpInterface, ULONG ulFlags,
                                               LPPROFSECT* lppProfSect)
{
    const std::vector<CSection> vecSections = ListSections(m_strProfile);
    const CSection* pSection = FindSection(vecSections, lpUID);
    HRESULT hr = PresetOut(lppProfSect);
    if (SUCCEEDED(hr))
        hr = Perform(ReadForcedStatus(szForceOpenProfileSection, pSection ? pSection->m_strKind : ""), [&] {
            if (!lpUID)
                return MAPI_E_INVALID_PARAMETER;
            if (ulFlags & ~ulOpenFlags)
                return MAPI_E_UNKNOWN_FLAGS;
            if (!IsProfSectInterface(lpInterface))
                return MAPI_E_INTERFACE_NOT_SUPPORTED;
            if (!ProfileExists(m_strProfile))
                return MAPI_E_NOT_FOUND;
            // A UID of no section makes a new one, but only for writing.
            if (!pSection && !(ulFlags & MAPI_MODIFY))
                return MAPI_E_NOT_FOUND;
            if (pSection && IsOwnedByProvider(*pSection) && !(ulFlags & MAPI_FORCE_ACCESS))
                return MAPI_E_NO_ACCESS;
            CSection section;
            section.m_uid = *lpUID;
            *lppProfSect = new CProfSect(m_strProfile, pSection ? *pSection : section, (ulFlags & MAPI_MODIFY) != 0);
            return S_OK;
        });
    const std::string strUid = !lpUID                                   ? "null"
                               : pSection && !pSection->m_strName.empty() ? pSection->m_strName
                                                                          : "unknown";
    Journal(GetLabel() + ".OpenProfileSection(uid=" + strUid +
            ", iid=" + (lpInterface ? FormatIid(*lpInterface) : "null") + ", flags=" + FormatHex(ulFlags) + ") -> " +
            FormatStatus(hr) + FormatOut(lppProfSect ? *lppProfSect : nullptr));
    return hr;
}

CProfSect::CProfSect(const std::string& strProfile, const CSection& section, bool bModify)
    : CStandInObject("ProfSect", IID_IProfSect, IID_IMAPIProp), m_strProfile(strProfile), m_section(section),
      m_bModify(bModify)
{
}

CProfSect::~CProfSect()
{
    if (m_mapUnsaved.empty())
        return;
    std::string strTags;
    for (const auto& entry : m_mapUnsaved)
        strTags.append(strTags.empty() ? "" : ", ").append(FormatHex(entry.first));
    Journal(GetLabel() + " ended: unsaved [" + strTags + "] dropped");
}

std::map<ULONG, std::string> CProfSect::ReadCurrent() const
{
    std::map<ULONG, std::string> mapCurrent;
    for (const auto& [ulPropTag, strBytes] : ReadProperties(m_strProfile, m_section.m_uid))
        mapCurrent[ulPropTag] = strBytes;
    for (const auto& [ulPropTag, strBytes] : m_mapUnsaved)
    {
        if (strBytes)
            mapCurrent[ulPropTag] = *strBytes;
        else
            mapCurrent.erase(ulPropTag);
    }
    return mapCurrent;
}

STDMETHODIMP CProfSect::GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                                 LPSPropValue* lppPropArray)
{
    std::string strOut = "null";
    if (lpcValues)
        *lpcValues = 0;
    HRESULT hr = lpcValues ? PresetOut(lppPropArray) : MAPI_E_INVALID_PARAMETER;
    if (SUCCEEDED(hr))
        hr = Perform(ReadForcedStatus(szForceGetProps, m_section.m_strKind), [&] {
            if (ulFlags & ~MAPI_UNICODE)
                return MAPI_E_UNKNOWN_FLAGS;
            if (lpPropTagArray && !lpPropTagArray->cValues)
                return MAPI_E_INVALID_PARAMETER;
            return AnswerProps(lpPropTagArray, ulFlags, lpcValues, lppPropArray, strOut);
        });
    Journal(GetLabel() + ".GetProps(tags=" + FormatTags(lpPropTagArray) + ", flags=" + FormatHex(ulFlags) + ") -> " +
            FormatStatus(hr) + " out=" + strOut);
    return hr;
}

HRESULT CProfSect::AnswerProps(const SPropTagArray* pTags, ULONG ulFlags, ULONG* lpcValues,
                               LPSPropValue* lppPropArray, std::string& strOut) const
{
    const std::map<ULONG, std::string> mapCurrent = ReadCurrent();
    std::vector<ULONG> vecTags;
    if (pTags)
        vecTags.assign(pTags->aulPropTag, pTags->aulPropTag + pTags->cValues);
    for (const auto& entry : mapCurrent)
        if (!pTags && !IsSecure(entry.first))
            vecTags.push_back(entry.first);
    // All of a section that holds nothing: no array at all.
    if (vecTags.empty())
        return S_OK;

    LPSPropValue lpProps = nullptr;
    if (FAILED(MAPIAllocateBuffer(static_cast<ULONG>(sizeof(SPropValue) * vecTags.size()),
                                  reinterpret_cast<void**>(&lpProps))))
        return MAPI_E_NOT_ENOUGH_MEMORY;
    const auto Allocate = [&](size_t cb) -> void* {
        void* pv = nullptr;
        return SUCCEEDED(MAPIAllocateMore(static_cast<ULONG>(cb), lpProps, &pv)) ? pv : nullptr;
    };
    bool bErrors = false;
    for (size_t i = 0; i < vecTags.size(); ++i)
        bErrors |= !FillProp(mapCurrent, vecTags[i], ulFlags, m_section.m_strKind, Allocate, lpProps[i]);
    *lpcValues = static_cast<ULONG>(vecTags.size());
    *lppPropArray = lpProps;
    const CUidNames names = NameProfileSections(m_strProfile);
    strOut = RegisterLive(lpProps, "Props", nullptr) + " " + FormatProps(*lpcValues, lpProps, &names);
    return bErrors ? MAPI_W_ERRORS_RETURNED : S_OK;
}

STDMETHODIMP CProfSect::SetProps(ULONG cValues, LPSPropValue lpPropArray, LPSPropProblemArray* lppProblems)
{
    std::string strProblems = "null";
    if (lppProblems)
        *lppProblems = nullptr;
    const HRESULT hr = Perform(ReadForcedStatus(szForceSetProps, m_section.m_strKind), [&] {
        if (!cValues || !lpPropArray || !std::all_of(lpPropArray, lpPropArray + cValues, IsSettable))
            return MAPI_E_INVALID_PARAMETER;
        if (!m_bModify)
            return MAPI_E_NO_ACCESS;
        std::vector<SPropProblem> vecProblems;
        for (ULONG i = 0; i < cValues; ++i)
        {
            const ULONG ulPropTag = lpPropArray[i].ulPropTag;
            // Passed over without a problem, as MAPI documents.
            if (ulPropTag == PR_NULL || PROP_TYPE(ulPropTag) == PT_ERROR)
                continue;
            const SCODE sc = static_cast<SCODE>(
                ReadPropertySteering(szPropertyProblemPrefix, m_section.m_strKind, ulPropTag)
                    .value_or(IsStorableType(ulPropTag) ? S_OK : MAPI_E_INVALID_TYPE));
            if (FAILED(sc))
                vecProblems.push_back({i, ulPropTag, sc});
            else
                SetProp(lpPropArray[i]);
        }
        return HandOutProblems(vecProblems, lppProblems, strProblems);
    });
    const CUidNames names = NameProfileSections(m_strProfile);
    Journal(GetLabel() + ".SetProps(props=" + FormatProps(cValues, lpPropArray, &names) + ") -> " + FormatStatus(hr) +
            " problems=" + strProblems);
    return hr;
}

void CProfSect::SetProp(const SPropValue& prop)
{
    // A value kept under another type of the same ID is discarded, as SetProps documents.
    for (const auto& entry : ReadCurrent())
        if (PROP_ID(entry.first) == PROP_ID(prop.ulPropTag) && entry.first != prop.ulPropTag)
            m_mapUnsaved[entry.first] = std::nullopt;
    m_mapUnsaved[prop.ulPropTag] = EncodeProperty(prop);
}

STDMETHODIMP CProfSect::SaveChanges(ULONG ulFlags)
{
    const HRESULT hr = Perform(ReadForcedStatus(szForceSaveChanges, m_section.m_strKind), [&] {
        // Nothing to keep; but what was never open for writing cannot be kept open so.
        if (!m_bModify)
            return ulFlags & KEEP_OPEN_READWRITE ? MAPI_E_NO_ACCESS : S_OK;
        if (!ProfileExists(m_strProfile))
            return MAPI_E_OBJECT_DELETED;
        if (!SaveSection(m_strProfile, m_section.m_uid, m_mapUnsaved))
            return MAPI_E_CALL_FAILED;
        m_mapUnsaved.clear();
        m_bModify = (ulFlags & KEEP_OPEN_READWRITE) != 0;
        return S_OK;
    });
    Journal(GetLabel() + ".SaveChanges(flags=" + FormatHex(ulFlags) + ") -> " + FormatStatus(hr));
    return hr;
}

bool AddProviderSections(const std::string& strProfile, const CService& service)
{
    if (service.m_strName != "MSEMS")
        return true;
    MAPIUID uidEmsmdb = {};
    MAPIUID uidStore = {};
    const SPropValue propEmsmdb = MakeUidProp(PR_EMSMDB_SECTION_UID, uidEmsmdb);
    const SPropValue propStore = MakeUidProp(PR_STORE_PROVIDERS, uidStore);
    return GenerateUid(uidEmsmdb) && GenerateUid(uidStore) &&
           AddProviderSection(strProfile, service.m_uid, uidEmsmdb, szSectionEmsmdb) &&
           AddProviderSection(strProfile, service.m_uid, uidStore, szSectionStore) &&
           WriteProperty(strProfile, service.m_uid, propEmsmdb) && WriteProperty(strProfile, uidEmsmdb, propStore);
}
} // namespace standin
