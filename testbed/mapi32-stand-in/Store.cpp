#include "testbed/mapi32-stand-in/Store.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "testbed/mapi32-stand-in/Format.h"
#include "testbed/mapi32-stand-in/PropertyBytes.h"
#include "testbed/mapi32-stand-in/Registry.h"
#include "testbed/mapi32-stand-in/StandInControl.h"

namespace standin
{
namespace
{
constexpr size_t cchMaxProfileName = 64;

std::string ProfilePath(const std::string& strProfile)
{
    return std::string(szProfilesKey) + "\\" + strProfile;
}

std::string SectionPath(const std::string& strProfile, const MAPIUID& uid)
{
    return ProfilePath(strProfile) + "\\" + FormatSectionName(uid);
}

bool ParseSectionName(const std::string& strName, MAPIUID& uid)
{
    if (strName.size() != 2 * sizeof(uid.ab) || strName.find_first_not_of("0123456789abcdef") != std::string::npos)
        return false;
    for (size_t i = 0; i < sizeof(uid.ab); ++i)
        uid.ab[i] = static_cast<BYTE>(strtoul(strName.substr(2 * i, 2).c_str(), nullptr, 16));
    return true;
}

std::vector<std::string> SplitMultiSz(const std::string& strData)
{
    std::vector<std::string> vecItems;
    for (size_t ich = 0; ich < strData.size() && strData[ich];)
    {
        const size_t ichEnd = std::min(strData.find('\0', ich), strData.size());
        vecItems.push_back(strData.substr(ich, ichEnd - ich));
        ich = ichEnd + 1;
    }
    return vecItems;
}

std::string JoinMultiSz(const std::vector<std::string>& vecItems)
{
    std::string strData;
    for (const std::string& strItem : vecItems)
        strData.append(strItem).push_back('\0');
    strData.push_back('\0');
    return strData;
}

bool WriteText(HKEY hKey, ULONG ulPropTag, const std::string& strText)
{
    return WriteValue(hKey, FormatPropValueName(ulPropTag).c_str(), REG_BINARY, strText + '\0');
}
} // namespace

bool IsAcceptableProfileName(LPCSTR pszName)
{
    return pszName && *pszName && strlen(pszName) <= cchMaxProfileName && !strchr(pszName, '\\');
}

bool ProfileExists(const std::string& strProfile)
{
    return KeyExists(HKEY_CURRENT_USER, ProfilePath(strProfile));
}

std::vector<std::string> ListProfiles()
{
    return ListSubkeys(OpenKey(HKEY_CURRENT_USER, szProfilesKey).Get());
}

ECreateProfile CreateProfileKey(const std::string& strProfile)
{
    bool bCreated = false;
    const CRegKey key = CreateKey(HKEY_CURRENT_USER, ProfilePath(strProfile), &bCreated);
    if (key && !bCreated)
        return ECreateProfile::Exists;
    return key && WriteValue(key.Get(), szServiceOrderValue, REG_MULTI_SZ, JoinMultiSz({})) ? ECreateProfile::Created
                                                                                           : ECreateProfile::Failed;
}

bool DeleteProfileKey(const std::string& strProfile)
{
    if (_stricmp(ReadDefaultProfile().c_str(), strProfile.c_str()) == 0)
        WriteDefaultProfile(nullptr);
    return RegDeleteTreeA(HKEY_CURRENT_USER, ProfilePath(strProfile).c_str()) == ERROR_SUCCESS;
}

namespace
{
// The processes holding a session on the profile, one entry a session.
std::vector<std::string> ReadSessionHolders(HKEY hProfileKey)
{
    return SplitMultiSz(ReadValue(hProfileKey, szSessionsValue, REG_MULTI_SZ).value_or(""));
}

// A process that has ended holds no session, however it ended: MAPI's
// sessions go with their process.
bool IsProcessAlive(DWORD dwProcessId)
{
    const HANDLE hProcess = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwProcessId);
    if (!hProcess)
        return false;
    DWORD dwExitCode = 0;
    const bool bAlive = GetExitCodeProcess(hProcess, &dwExitCode) && dwExitCode == STILL_ACTIVE;
    CloseHandle(hProcess);
    return bAlive;
}
} // namespace

DWORD CountSessions(const std::string& strProfile)
{
    const CRegKey key = OpenKey(HKEY_CURRENT_USER, ProfilePath(strProfile));
    DWORD cSessions = 0;
    for (const std::string& strHolder : ReadSessionHolders(key.Get()))
        cSessions += IsProcessAlive(strtoul(strHolder.c_str(), nullptr, 10)) ? 1 : 0;
    return cSessions;
}

void OpenSession(const std::string& strProfile)
{
    const CRegKey key = OpenKey(HKEY_CURRENT_USER, ProfilePath(strProfile), KEY_READ | KEY_WRITE);
    std::vector<std::string> vecHolders = ReadSessionHolders(key.Get());
    vecHolders.push_back(std::to_string(GetCurrentProcessId()));
    WriteValue(key.Get(), szSessionsValue, REG_MULTI_SZ, JoinMultiSz(vecHolders));
}

bool CloseSession(const std::string& strProfile)
{
    {
        const CRegKey key = OpenKey(HKEY_CURRENT_USER, ProfilePath(strProfile), KEY_READ | KEY_WRITE);
        if (!key)
            return false;
        std::vector<std::string> vecHolders = ReadSessionHolders(key.Get());
        const auto itSelf = std::find(vecHolders.begin(), vecHolders.end(), std::to_string(GetCurrentProcessId()));
        if (itSelf != vecHolders.end())
            vecHolders.erase(itSelf);
        WriteValue(key.Get(), szSessionsValue, REG_MULTI_SZ, JoinMultiSz(vecHolders));
        if (!ReadDword(key.Get(), szMarkedForDeletionValue).value_or(0))
            return false;
    }
    return CountSessions(strProfile) == 0 && DeleteProfileKey(strProfile);
}

bool MarkForDeletion(const std::string& strProfile)
{
    const CRegKey key = OpenKey(HKEY_CURRENT_USER, ProfilePath(strProfile), KEY_WRITE);
    return key && WriteValue(key.Get(), szMarkedForDeletionValue, REG_DWORD, BytesOf(DWORD{1}));
}

std::string ReadDefaultProfile()
{
    return ReadString(OpenKey(HKEY_CURRENT_USER, szOutlookKey).Get(), szDefaultProfileValue).value_or("");
}

void WriteDefaultProfile(LPCSTR pszProfile)
{
    const CRegKey key = CreateKey(HKEY_CURRENT_USER, szOutlookKey);
    if (pszProfile)
        WriteValue(key.Get(), szDefaultProfileValue, REG_SZ, std::string(pszProfile) + '\0');
    else
        RegDeleteValueA(key.Get(), szDefaultProfileValue);
}

std::vector<CService> ListServices(const std::string& strProfile)
{
    const CRegKey profileKey = OpenKey(HKEY_CURRENT_USER, ProfilePath(strProfile));
    std::vector<CService> vecServices;
    for (const std::string& strSection :
         SplitMultiSz(ReadValue(profileKey.Get(), szServiceOrderValue, REG_MULTI_SZ).value_or("")))
    {
        CService service;
        const CRegKey sectionKey = OpenKey(profileKey.Get(), strSection);
        if (!sectionKey || !ParseSectionName(strSection, service.m_uid))
            continue;
        const auto ReadText = [&](ULONG ulPropTag) {
            const std::string strData =
                ReadValue(sectionKey.Get(), FormatPropValueName(ulPropTag).c_str(), REG_BINARY).value_or("");
            return std::string(strData.c_str());
        };
        service.m_strName = ReadText(PR_SERVICE_NAME_A);
        service.m_strDisplayName = ReadText(PR_DISPLAY_NAME_A);
        vecServices.push_back(service);
    }
    return vecServices;
}

bool AddService(const std::string& strProfile, const CService& service)
{
    const CRegKey profileKey = OpenKey(HKEY_CURRENT_USER, ProfilePath(strProfile), KEY_READ | KEY_WRITE);
    const CRegKey sectionKey = CreateKey(HKEY_CURRENT_USER, SectionPath(strProfile, service.m_uid));
    if (!profileKey || !sectionKey)
        return false;
    std::vector<std::string> vecOrder =
        SplitMultiSz(ReadValue(profileKey.Get(), szServiceOrderValue, REG_MULTI_SZ).value_or(""));
    vecOrder.push_back(FormatSectionName(service.m_uid));
    return WriteText(sectionKey.Get(), PR_SERVICE_NAME_A, service.m_strName) &&
           WriteText(sectionKey.Get(), PR_DISPLAY_NAME_A, service.m_strDisplayName) &&
           WriteValue(sectionKey.Get(), FormatPropValueName(PR_SERVICE_UID).c_str(), REG_BINARY,
                      BytesOf(service.m_uid)) &&
           WriteValue(profileKey.Get(), szServiceOrderValue, REG_MULTI_SZ, JoinMultiSz(vecOrder));
}

bool WriteProperty(const std::string& strProfile, const MAPIUID& uid, const SPropValue& prop)
{
    const CRegKey sectionKey = OpenKey(HKEY_CURRENT_USER, SectionPath(strProfile, uid), KEY_WRITE);
    return sectionKey &&
           WriteValue(sectionKey.Get(), FormatPropValueName(prop.ulPropTag).c_str(), REG_BINARY, EncodeProperty(prop));
}

std::vector<std::pair<ULONG, std::string>> ReadProperties(const std::string& strProfile, const MAPIUID& uid)
{
    const CRegKey sectionKey = OpenKey(HKEY_CURRENT_USER, SectionPath(strProfile, uid));
    std::vector<std::pair<ULONG, std::string>> vecProps;
    for (const std::string& strName : ListValues(sectionKey.Get()))
    {
        if (strName.size() != 8 || strName.find_first_not_of("0123456789abcdef") != std::string::npos)
            continue;
        const ULONG ulType = strtoul(strName.substr(0, 4).c_str(), nullptr, 16);
        const ULONG ulId = strtoul(strName.substr(4).c_str(), nullptr, 16);
        vecProps.emplace_back(PROP_TAG(ulType, ulId),
                              ReadValue(sectionKey.Get(), strName.c_str(), REG_BINARY).value_or(""));
    }
    std::sort(vecProps.begin(), vecProps.end());
    return vecProps;
}

std::vector<CSection> ListSections(const std::string& strProfile)
{
    const std::vector<CService> vecServices = ListServices(strProfile);
    const CRegKey profileKey = OpenKey(HKEY_CURRENT_USER, ProfilePath(strProfile));
    std::vector<CSection> vecProviders;
    std::vector<CSection> vecOthers;
    for (const std::string& strName : ListSubkeys(profileKey.Get()))
    {
        CSection section;
        if (!ParseSectionName(strName, section.m_uid) ||
            std::any_of(vecServices.begin(), vecServices.end(),
                        [&](const CService& service) { return IsEqualMAPIUID(&service.m_uid, &section.m_uid); }))
            continue;
        const CRegKey sectionKey = OpenKey(profileKey.Get(), strName);
        const std::string strService = ReadString(sectionKey.Get(), szSectionServiceValue).value_or("");
        for (size_t i = 0; i < vecServices.size(); ++i)
            if (FormatSectionName(vecServices[i].m_uid) == strService)
                section.m_nService = i + 1;
        section.m_strKind = section.m_nService ? ReadString(sectionKey.Get(), szSectionKindValue).value_or("") : "";
        (section.m_nService ? vecProviders : vecOthers).push_back(section);
    }

    std::vector<CSection> vecSections;
    for (size_t i = 0; i < vecServices.size(); ++i)
    {
        const std::string strService = std::to_string(i + 1) + ":" + vecServices[i].m_strName;
        vecSections.push_back({vecServices[i].m_uid, i + 1, vecServices[i].m_strName, strService});
        for (const char* pszKind : {szSectionEmsmdb, szSectionStore})
            for (const CSection& section : vecProviders)
                if (section.m_nService == i + 1 && section.m_strKind == pszKind)
                    vecSections.push_back({section.m_uid, i + 1, pszKind, strService + "/" + pszKind});
    }
    vecSections.insert(vecSections.end(), vecOthers.begin(), vecOthers.end());
    return vecSections;
}

CUidNames NameSections(const std::vector<CSection>& vecSections)
{
    CUidNames names;
    for (const CSection& section : vecSections)
        if (!section.m_strName.empty())
            names.emplace_back(section.m_uid, section.m_strName);
    return names;
}

bool SectionExists(const std::string& strProfile, const MAPIUID& uid)
{
    return KeyExists(HKEY_CURRENT_USER, SectionPath(strProfile, uid));
}

bool AddProviderSection(const std::string& strProfile, const MAPIUID& uidService, const MAPIUID& uid,
                        const char* pszKind)
{
    const CRegKey sectionKey = CreateKey(HKEY_CURRENT_USER, SectionPath(strProfile, uid));
    return sectionKey &&
           WriteValue(sectionKey.Get(), szSectionServiceValue, REG_SZ, FormatSectionName(uidService) + '\0') &&
           WriteValue(sectionKey.Get(), szSectionKindValue, REG_SZ, std::string(pszKind) + '\0');
}

bool SaveSection(const std::string& strProfile, const MAPIUID& uid,
                 const std::map<ULONG, std::optional<std::string>>& mapChanges)
{
    const CRegKey sectionKey = CreateKey(HKEY_CURRENT_USER, SectionPath(strProfile, uid));
    if (!sectionKey)
        return false;
    for (const auto& [ulPropTag, strBytes] : mapChanges)
    {
        const std::string strName = FormatPropValueName(ulPropTag);
        if (strBytes && !WriteValue(sectionKey.Get(), strName.c_str(), REG_BINARY, *strBytes))
            return false;
        // One that is not there is gone already.
        if (!strBytes)
            RegDeleteValueA(sectionKey.Get(), strName.c_str());
    }
    return true;
}
} // namespace standin
