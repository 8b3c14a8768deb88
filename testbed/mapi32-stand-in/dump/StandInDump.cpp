// Prints the profiles the MAPI32 stand-in keeps, as a person reads them:
//   mapi32_stand_in_dump [/uids]
// Sections are random: they and the UIDs in binary values are named as the
// journal names them, and shown as UIDs only with /uids, so that the output
// of two runs that did the same compares equal.

#include <windows.h>

#include <mapix.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "testbed/mapi32-stand-in/Format.h"
#include "testbed/mapi32-stand-in/KnownTags.h"
#include "testbed/mapi32-stand-in/Store.h"

namespace
{
void PrintProperties(const std::string& strProfile, const MAPIUID& uid, bool bService, const char* pszIndent,
                     const standin::CUidNames* pNames)
{
    for (const auto& [ulPropTag, strBytes] : standin::ReadProperties(strProfile, uid))
    {
        // A service's own name, display name and UID are on the line above.
        if (bService &&
            (ulPropTag == PR_SERVICE_NAME_A || ulPropTag == PR_DISPLAY_NAME_A || ulPropTag == PR_SERVICE_UID))
            continue;
        const char* pszName = standin::NameKnownTag(ulPropTag);
        printf("%s%s%s%s = %s\n", pszIndent, pszName ? pszName : "", pszName ? " " : "",
               standin::FormatHex(ulPropTag).c_str(),
               standin::FormatStoredValue(ulPropTag, strBytes, pNames).c_str());
    }
}

// Each service, its properties, then its providers' sections, as their
// journal names; sections of no service last.
void PrintProfile(const std::string& strProfile, bool bDefault, bool bShowUids)
{
    printf("Profile %s%s\n", standin::FormatStringA(strProfile.c_str()).c_str(), bDefault ? " (default)" : "");
    const std::vector<standin::CService> vecServices = standin::ListServices(strProfile);
    const std::vector<standin::CSection> vecSections = standin::ListSections(strProfile);
    const standin::CUidNames names = standin::NameSections(vecSections);
    const standin::CUidNames* pNames = bShowUids ? nullptr : &names;
    for (const standin::CSection& section : vecSections)
    {
        const std::string strUid = bShowUids ? " {" + standin::FormatSectionName(section.m_uid) + "}" : "";
        const standin::CService* pService = section.m_nService ? &vecServices[section.m_nService - 1] : nullptr;
        const bool bService = pService && IsEqualMAPIUID(&section.m_uid, &pService->m_uid);
        if (bService)
            printf("  Service %zu: %s %s%s\n", section.m_nService, pService->m_strName.c_str(),
                   standin::FormatStringA(pService->m_strDisplayName.c_str()).c_str(), strUid.c_str());
        else if (section.m_nService)
            printf("    Section %s%s\n", section.m_strName.c_str(), strUid.c_str());
        else
            printf("  Section of no service%s\n", strUid.c_str());
        PrintProperties(strProfile, section.m_uid, bService, pService && !bService ? "      " : "    ", pNames);
    }
}
} // namespace

int main(int argc, char* argv[])
{
    const bool bShowUids = argc > 1 && _stricmp(argv[1], "/uids") == 0;
    const std::string strDefault = standin::ReadDefaultProfile();
    const auto vecProfiles = standin::ListProfiles();
    if (vecProfiles.empty())
        printf("No profiles\n");
    for (const std::string& strProfile : vecProfiles)
        PrintProfile(strProfile, _stricmp(strProfile.c_str(), strDefault.c_str()) == 0, bShowUids);
    return 0;
}
