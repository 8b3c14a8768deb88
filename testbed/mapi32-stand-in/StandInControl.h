#pragma once

// What a test needs to steer and to read the test bed's MAPI32 stand-in:
// its control key and value names, and where it keeps its profiles.
// README.md beside this file describes each.

#include <string>

namespace standin
{
// Under HKEY_CURRENT_USER. Read afresh at every call.
constexpr char szControlKey[] = "Software\\Quillmere Test Bed\\MAPI32 Stand-In";

// REG_SZ: the file the journal is appended to; no journal without it.
constexpr char szJournalValue[] = "Journal";
// REG_SZ: the order of the service table's rows, by creation index from 0.
constexpr char szRowOrderValue[] = "Service Table Order";
constexpr char szRowOrderCreated[] = "created";
constexpr char szRowOrderReversed[] = "reversed";

// REG_DWORD: a column tag the service table cannot fill; its rows carry
// PT_ERROR (MAPI_E_NOT_FOUND) there instead, as MAPI's tables do.
constexpr char szErrorColumnValue[] = "Service Table Error Column";

// REG_SZ, an operation's name as below: that operation journals that it
// blocks and never returns, as a provider stuck on a dead server; only
// killing its process ends it.
constexpr char szBlockValue[] = "Block";

// REG_DWORD: milliseconds the stand-in takes to unload at the end of its
// process, as Outlook's MAPI takes to unload its providers; its unload line
// is journaled after them.
constexpr char szUnloadDelayValue[] = "Unload Delay";

// REG_DWORD, named as the operation is in the journal: the status it answers
// instead of its own. Negative: nothing happens and out-parameters are null.
// Positive (a warning): it happens, and answers the warning.
constexpr char szForceMAPIInitialize[] = "MAPIInitialize";
constexpr char szForceMAPIAdminProfiles[] = "MAPIAdminProfiles";
constexpr char szForceMAPILogonEx[] = "MAPILogonEx";
constexpr char szForceHrQueryAllRows[] = "HrQueryAllRows";
constexpr char szForceDeleteProfile[] = "DeleteProfile";
constexpr char szForceCreateProfile[] = "CreateProfile";
constexpr char szForceSetDefaultProfile[] = "SetDefaultProfile";
constexpr char szForceAdminServices[] = "AdminServices";
constexpr char szForceGetMsgServiceTable[] = "GetMsgServiceTable";
constexpr char szForceGetProfileTable[] = "GetProfileTable";
constexpr char szForceLogoff[] = "Logoff";
// These two also per service: "CreateMsgService MSEMS" is asked before
// "CreateMsgService", for a forced status and for blocking alike.
constexpr char szForceCreateMsgService[] = "CreateMsgService";
constexpr char szForceConfigureMsgService[] = "ConfigureMsgService";

// HrQueryAllRows also per table, named by what it lists: "HrQueryAllRows
// services" is asked before "HrQueryAllRows".
constexpr char szServiceTable[] = "services";
constexpr char szProfileTable[] = "profiles";

inline std::string ForcePerService(const char* pszOperation, const std::string& strService)
{
    return std::string(pszOperation) + " " + strService;
}

// Profile sections' operations, also per section kind through
// ForcePerService: "GetProps EMSMDB" is asked before "GetProps".
constexpr char szForceOpenProfileSection[] = "OpenProfileSection";
constexpr char szForceGetProps[] = "GetProps";
constexpr char szForceSetProps[] = "SetProps";
constexpr char szForceSaveChanges[] = "SaveChanges";

// A section's kind: a service's own section is its service's name ("MSEMS");
// the Exchange service's provider sections are these two.
constexpr char szSectionEmsmdb[] = "EMSMDB";
constexpr char szSectionStore[] = "store";

// REG_DWORD values steering one property, named by a prefix and the tag:
// "Property Error 0x3D150102". Each also per section kind, asked first:
// "Property Error EMSMDB 0x3D000102".
// GetProps answers the property as PT_ERROR carrying this status.
constexpr char szPropertyErrorPrefix[] = "Property Error";
// GetProps gives only this many bytes of the property's binary value.
constexpr char szPropertyLengthPrefix[] = "Property Length";
// SetProps leaves the property unset and reports it with this status in its
// problem array.
constexpr char szPropertyProblemPrefix[] = "Property Problem";

inline std::string SteerProperty(const char* pszPrefix, unsigned long ulPropTag, const std::string& strKind = "")
{
    std::string strTag = "0x";
    for (int nShift = 28; nShift >= 0; nShift -= 4)
        strTag += "0123456789ABCDEF"[(ulPropTag >> nShift) & 0xF];
    return (strKind.empty() ? std::string(pszPrefix) : ForcePerService(pszPrefix, strKind)) + " " + strTag;
}

// Where Outlook 2013 and later keep their profiles, under HKEY_CURRENT_USER.
constexpr char szOutlookKey[] = "Software\\Microsoft\\Office\\16.0\\Outlook";
constexpr char szProfilesKey[] = "Software\\Microsoft\\Office\\16.0\\Outlook\\Profiles";
constexpr char szDefaultProfileValue[] = "DefaultProfile";
// REG_MULTI_SZ on a profile's key: its services' section names in creation order.
constexpr char szServiceOrderValue[] = "Stand-In Service Order";
// REG_MULTI_SZ on a profile's key: the process ID, in decimal, of every
// session open on it, in every process. A test adds its own to have another
// client (Outlook) hold the profile.
constexpr char szSessionsValue[] = "Stand-In Sessions";
// REG_DWORD on a profile's key: 1 once it was deleted while in use.
constexpr char szMarkedForDeletionValue[] = "Stand-In Marked For Deletion";
// REG_SZ on a provider's section: the section name of its service, and the
// section's kind (szSectionEmsmdb, szSectionStore).
constexpr char szSectionServiceValue[] = "Stand-In Service";
constexpr char szSectionKindValue[] = "Stand-In Section Kind";
} // namespace standin
