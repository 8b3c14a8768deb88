#pragma once

// The stand-in's profiles, kept where Outlook 2013 and later keep theirs:
// HKCU\<szProfilesKey>\<profile>\<section>, one REG_BINARY value a property.

#include <windows.h>

#include <mapix.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "testbed/mapi32-stand-in/Format.h"
#include "testbed/mapi32-stand-in/PropertyBytes.h"

namespace standin
{
struct CService
{
    MAPIUID m_uid = {};
    std::string m_strName;
    std::string m_strDisplayName;
};

// MAPI refuses an empty name, one longer than 64 characters, or one with a backslash.
bool IsAcceptableProfileName(LPCSTR pszName);

bool ProfileExists(const std::string& strProfile);
std::vector<std::string> ListProfiles();
enum class ECreateProfile
{
    Created,
    Exists,
    Failed,
};
// Atomic: of two processes that create one profile at once, one finds it there.
ECreateProfile CreateProfileKey(const std::string& strProfile);
// The profile and its services, and the default mark when it held it.
bool DeleteProfileKey(const std::string& strProfile);

// Sessions open on a profile, in every process still running: MAPI deletes a
// profile in use only once its last session has ended, and until then only
// marks it.
DWORD CountSessions(const std::string& strProfile);
void OpenSession(const std::string& strProfile);
// True when the session was the last one of a profile marked for deletion,
// which has gone with it.
bool CloseSession(const std::string& strProfile);
bool MarkForDeletion(const std::string& strProfile);

std::string ReadDefaultProfile(); // empty when there is none
void WriteDefaultProfile(LPCSTR pszProfile); // null: no default

// In creation order.
std::vector<CService> ListServices(const std::string& strProfile);
bool AddService(const std::string& strProfile, const CService& service);

bool WriteProperty(const std::string& strProfile, const MAPIUID& uid, const SPropValue& prop);
// A section's properties as (tag, bytes), ordered by property ID.
std::vector<std::pair<ULONG, std::string>> ReadProperties(const std::string& strProfile, const MAPIUID& uid);

// A profile section: a service's own, one of its providers', or one a client
// made with OpenProfileSection, which belongs to no service.
struct CSection
{
    MAPIUID m_uid = {};
    size_t m_nService = 0; // its service's place in creation order, from 1; 0 for none
    std::string m_strKind; // its service's name for the service's own; szSectionEmsmdb, szSectionStore
    std::string m_strName; // "1:MSEMS", "1:MSEMS/EMSMDB"; empty for none
};

// Each service's section, then its providers' (EMSMDB, store), in creation
// order; last those of no service.
std::vector<CSection> ListSections(const std::string& strProfile);
CUidNames NameSections(const std::vector<CSection>& vecSections);
bool SectionExists(const std::string& strProfile, const MAPIUID& uid);
// An empty section of the service's provider of that kind.
bool AddProviderSection(const std::string& strProfile, const MAPIUID& uidService, const MAPIUID& uid,
                        const char* pszKind);
// Writes each changed property's bytes and deletes each one without; a new
// section's key is made first.
bool SaveSection(const std::string& strProfile, const MAPIUID& uid,
                 const std::map<ULONG, std::optional<std::string>>& mapChanges);
} // namespace standin
