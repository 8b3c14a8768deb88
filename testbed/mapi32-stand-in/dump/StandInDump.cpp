// Prints the profiles the MAPI32 stand-in keeps, as a person reads them:
//   mapi32_stand_in_dump [/uids]
// Service sections are random and named only with /uids, so that the output
// of two runs that did the same compares equal.

#include <windows.h>

#include <mapix.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "testbed/mapi32-stand-in/Format.h"
#include "testbed/mapi32-stand-in/KnownTags.h"
#include "testbed/mapi32-stand-in/Store.h"

namespace
{
void PrintProfile(const std::string& strProfile, bool bDefault, bool bShowUids)
{
    printf("Profile %s%s\n", standin::FormatStringA(strProfile.c_str()).c_str(), bDefault ? " (default)" : "");
    size_t nCreation = 0;
    for (const standin::CService& service : standin::ListServices(strProfile))
    {
        printf("  Service %zu: %s %s%s\n", ++nCreation, service.m_strName.c_str(),
               standin::FormatStringA(service.m_strDisplayName.c_str()).c_str(),
               bShowUids ? (" {" + standin::FormatSectionName(service.m_uid) + "}").c_str() : "");
        for (const auto& [ulPropTag, strBytes] : standin::ReadProperties(strProfile, service.m_uid))
        {
            // Its own name, display name and UID are on the line above.
            if (ulPropTag == PR_SERVICE_NAME_A || ulPropTag == PR_DISPLAY_NAME_A || ulPropTag == PR_SERVICE_UID)
                continue;
            const char* pszName = standin::NameKnownTag(ulPropTag);
            printf("    %s%s%s = %s\n", pszName ? pszName : "", pszName ? " " : "",
                   standin::FormatHex(ulPropTag).c_str(), standin::FormatStoredValue(ulPropTag, strBytes).c_str());
        }
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
