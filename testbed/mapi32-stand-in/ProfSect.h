#pragma once

// IProfSect: a section of a profile, opened through
// IMsgServiceAdmin::OpenProfileSection. What SetProps sets is kept only by
// SaveChanges, as the Outlook 2016 procedure for making a profile saves it.

#include "testbed/mapi32-stand-in/Objects.h"

#include <map>
#include <optional>
#include <string>

// From MAPI's reference pages, never from the program's headers.
#ifndef MAPI_FORCE_ACCESS
#define MAPI_FORCE_ACCESS ((ULONG)0x00080000)
#endif
#ifndef PR_EMSMDB_SECTION_UID
#define PR_EMSMDB_SECTION_UID PROP_TAG(PT_BINARY, 0x3D15)
#endif

namespace standin
{
class CProfSect final : public CStandInObject<CProfSectBase>
{
public:
    CProfSect(const std::string& strProfile, const CSection& section, bool bModify);
    ~CProfSect() override;
    STDMETHODIMP SaveChanges(ULONG ulFlags) override;
    STDMETHODIMP GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                          LPSPropValue* lppPropArray) override;
    STDMETHODIMP SetProps(ULONG cValues, LPSPropValue lpPropArray, LPSPropProblemArray* lppProblems) override;

private:
    // What the registry holds, with this object's unsaved changes over it.
    std::map<ULONG, std::string> ReadCurrent() const;
    // GetProps once its arguments are checked; strOut gets "Props#7 [...]".
    HRESULT AnswerProps(const SPropTagArray* pTags, ULONG ulFlags, ULONG* lpcValues, LPSPropValue* lppPropArray,
                        std::string& strOut) const;
    void SetProp(const SPropValue& prop);

    const std::string m_strProfile;
    const CSection m_section;
    bool m_bModify;
    // Each property set and not yet saved; none for one discarded.
    std::map<ULONG, std::optional<std::string>> m_mapUnsaved;
};

// The sections a new service's providers keep: for the Exchange service an
// EMSMDB section, named in the service's own, that names its store
// provider's. None for other services.
bool AddProviderSections(const std::string& strProfile, const CService& service);
} // namespace standin
