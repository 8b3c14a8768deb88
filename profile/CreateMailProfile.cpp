#include "profile/CreateMailProfile.h"

#include <algorithm>

#include "app/PrintReport.h"
#include "profile/ExchangeTags.h"
#include "profile/MapiOwners.h"
#include "profile/ProfileSections.h"
#include "profile/ProfileTable.h"
#include "profile/ServiceProperties.h"
#include "profile/SmtpAddress.h"
#include "profile/TagArrays.h"
#include "registry/FirstRun.h"
#include "registry/LogonProfileChoice.h"
#include "registry/StepLog.h"
#include "registry/UnfinishedProfiles.h"

namespace
{
enum
{
    iServiceName,
    iServiceUid,
    NUM_SERVICE_COLS
};
const SizedSPropTagArray(NUM_SERVICE_COLS, s_serviceColumns) = {NUM_SERVICE_COLS, {PR_SERVICE_NAME_A, PR_SERVICE_UID}};

constexpr HRESULT hrProfileExists = MAPI_E_NO_ACCESS;

// MAPI's ANSI entry points take LPSTR but never write through it.
LPSTR AsMapiText(const char* pszText)
{
    return const_cast<LPSTR>(pszText);
}

// The row's service name, or null when the provider did not give it as 8-bit text.
const char* ReadServiceName(const SRow& row)
{
    if (row.cValues < NUM_SERVICE_COLS || row.lpProps[iServiceName].ulPropTag != PR_SERVICE_NAME_A)
        return nullptr;
    return row.lpProps[iServiceName].Value.lpszA;
}

// The row's service UID, or null when it is missing or not a MAPIUID.
LPMAPIUID ReadServiceUid(const SRow& row)
{
    if (row.cValues < NUM_SERVICE_COLS || row.lpProps[iServiceUid].ulPropTag != PR_SERVICE_UID ||
        row.lpProps[iServiceUid].Value.bin.cb != sizeof(MAPIUID))
        return nullptr;
    return reinterpret_cast<LPMAPIUID>(row.lpProps[iServiceUid].Value.bin.lpb);
}

// With -e, as Outlook 2016 and later take it: the address alone, in the
// profile sections. Without, as Outlook 2010 and 2013 do: the server, the
// mailbox and the connection, through the service's own configuration.
bool ConfigureExchange(IMsgServiceAdmin* pServiceAdmin, LPMAPIUID pUid, const CProfileSettings& settings)
{
    if (!settings.m_strSmtpAddress.empty())
        return LogStep("Configure MSEMS\t", ConfigureExchangeSections(pServiceAdmin, pUid, settings));
    CExchangeProperties props;
    BuildExchangeProperties(settings, props);
    return LogStep("Configure MSEMS\t",
                   pServiceAdmin->ConfigureMsgService(pUid, 0, 0, props.m_cValues, props.m_rgProps));
}

bool ConfigurePersonalFolders(IMsgServiceAdmin* pServiceAdmin, LPMAPIUID pUid, const CProfileSettings& settings)
{
    CPstProperties props;
    BuildPstProperties(settings, props);
    return LogStep("Configure MSUPST MS",
                   pServiceAdmin->ConfigureMsgService(pUid, 0, 0, NUM_PST_PROPS, props.m_rgProps));
}

// Which services the walk of the service table configured.
struct CConfigured
{
    bool m_bExchange = false;
    bool m_bPersonalFolders = false;
};

// False only when a configuration step failed. The address book's row, and a
// row whose name or UID cannot be read, are passed over: what a service left
// unconfigured means is decided once the walk is over.
bool ConfigureService(IMsgServiceAdmin* pServiceAdmin, const SRow& row, const CProfileSettings& settings,
                      CConfigured& configured)
{
    const char* const pszService = ReadServiceName(row);
    const LPMAPIUID pUid = ReadServiceUid(row);
    if (!pszService || !pUid)
        return true;
    if (lstrcmpA(pszService, "MSEMS") == 0)
    {
        configured.m_bExchange = true;
        return ConfigureExchange(pServiceAdmin, pUid, settings);
    }
    if (lstrcmpA(pszService, "MSUPST MS") == 0 && settings.m_bHasPst)
    {
        configured.m_bPersonalFolders = true;
        return ConfigurePersonalFolders(pServiceAdmin, pUid, settings);
    }
    return true;
}

// An Exchange service without its server and mailbox opens nothing, and a
// personal folders service without its file is no better: a service the walk
// did not configure fails its step as a service that was not found.
bool CheckEveryServiceConfigured(const CConfigured& configured, const CProfileSettings& settings)
{
    if (!configured.m_bExchange)
        return LogStep("Configure MSEMS\t", MAPI_E_NOT_FOUND);
    if (settings.m_bHasPst && !configured.m_bPersonalFolders)
        return LogStep("Configure MSUPST MS", MAPI_E_NOT_FOUND);
    return true;
}

// Neither the registry value nor the default profile is essential to the
// profile, so their results are not examined.
void SelectProfile(IProfAdmin* pProfAdmin, LPSTR pszProfile, int nPriority)
{
    if (nPriority == 0)
    {
        WritePickLogonProfile(false);
        pProfAdmin->SetDefaultProfile(pszProfile, 0);
    }
    else if (nPriority == 1)
    {
        WritePickLogonProfile(true);
        pProfAdmin->SetDefaultProfile(nullptr, 0);
    }
}

// The steps that need a session: the services added, configured from the
// service table, and the profile selected once it is whole. The owners are
// declared so that they go back in the order MAPI expects (table, service
// admin, session, logged off first), all of them before the caller may have
// to undo the creation: MAPI only marks a profile in use for deletion.
ECreationOutcome BuildProfile(IProfAdmin* pProfAdmin, CRowSet& rows, const CProfileSettings& settings)
{
    CMapiSession session;
    CMapiPtr<IMsgServiceAdmin> serviceAdmin;
    CMapiPtr<IMAPITable> serviceTable;
    const LPSTR pszProfile = AsMapiText(settings.m_strProfileName.c_str());

    LPMAPISESSION pSession = nullptr;
    HRESULT hr = MAPILogonEx(0, pszProfile, nullptr, MAPI_NEW_SESSION | MAPI_NO_MAIL, &pSession);
    AdoptOnSuccess(session, hr, pSession);
    if (!LogStep("MAPI Logon\t", hr))
        return ECreationOutcome::StepFailed;

    LPSERVICEADMIN pServiceAdmin = nullptr;
    hr = session->AdminServices(0, &pServiceAdmin);
    AdoptOnSuccess(serviceAdmin, hr, pServiceAdmin);
    if (!LogStep("MAPI Admin Services", hr))
        return ECreationOutcome::StepFailed;

    if (!LogStep("Exchange Server\t", serviceAdmin->CreateMsgService(AsMapiText("MSEMS"),
                                                                      AsMapiText("Microsoft Exchange Server"), 0, 0)))
        return ECreationOutcome::StepFailed;
    if (!LogStep("Outlook Address Book", serviceAdmin->CreateMsgService(AsMapiText("CONTAB"),
                                                                         AsMapiText("Outlook Address Book"), 0, 0)))
        return ECreationOutcome::StepFailed;
    // Its display name and file come with its configuration below. Never with
    // its dialog: there is no one to answer it in a logon script.
    if (settings.m_bHasPst &&
        !LogStep("Personal Folders",
                 serviceAdmin->CreateMsgService(AsMapiText("MSUPST MS"), AsMapiText("MSUPST MS"), 0, 0)))
        return ECreationOutcome::StepFailed;

    LPMAPITABLE pTable = nullptr;
    hr = serviceAdmin->GetMsgServiceTable(0, &pTable);
    AdoptOnSuccess(serviceTable, hr, pTable);
    if (!LogStep("MSG Services Table", hr))
        return ECreationOutcome::StepFailed;

    LPSRowSet pRows = nullptr;
    hr = HrQueryAllRows(serviceTable.get(), AsTagArray(s_serviceColumns), nullptr, nullptr, 0, &pRows);
    AdoptOnSuccess(rows, hr, pRows);
    if (!LogStep("Query All Rows\t", hr))
        return ECreationOutcome::StepFailed;

    // The services just created are the profile's only ones; the limit counts
    // rows, whatever they hold.
    const ULONG cWalk = std::min<ULONG>(rows ? rows->cRows : 0, settings.m_bHasPst ? 3 : 2);
    CConfigured configured;
    for (ULONG iRow = 0; iRow < cWalk; ++iRow)
        if (!ConfigureService(serviceAdmin.get(), rows->aRow[iRow], settings, configured))
            return ECreationOutcome::StepFailed;
    if (!CheckEveryServiceConfigured(configured, settings))
        return ECreationOutcome::StepFailed;

    // Whole now: taken off the list before anything else can stop the run.
    ClearProfileUnfinished(pszProfile);
    SelectProfile(pProfAdmin, pszProfile, settings.m_nPriority);
    return ECreationOutcome::Created;
}

// The entry of an earlier run's unfinished profile goes only with the profile:
// a deletion that merely marked a profile in use leaves it listed.
void ForgetIfGone(IProfAdmin* pProfAdmin, const char* pszProfile)
{
    if (FindProfile(pProfAdmin, pszProfile) == EProfileListed::NotListed)
        ClearProfileUnfinished(pszProfile);
}

// -a Y: the old profile deleted before the new one is made.
void DeleteFirst(IProfAdmin* pProfAdmin, LPSTR pszProfile, bool bUnfinished)
{
    if (bUnfinished)
        PrintReport("Profile left unfinished by an earlier run.\n");
    if (FAILED(pProfAdmin->DeleteProfile(pszProfile, 0)))
    {
        PrintReport("Profile does not exist or could not be deleted. \n");
        return;
    }
    PrintReport("Deleted profile. \n");
    if (bUnfinished)
        ForgetIfGone(pProfAdmin, pszProfile);
}

// The profile is there, and stays as it is.
ECreationOutcome ReportExisting(const char* pszProfile, bool bDeleteFirst)
{
    // Neither taken for done nor replaced unasked: since the run that made it
    // stopped, someone may have finished it by hand and be using it.
    if (!bDeleteFirst && IsProfileUnfinished(pszProfile))
    {
        PrintReport("Profile left unfinished by an earlier run.\n");
        PrintReport("Run again with -a Y to replace it, or delete the profile and run again.\n");
        return ECreationOutcome::LeftUnfinished;
    }
    PrintReport("Profile already exists. No further action taken.\n");
    // A profile in use survives its deletion, marked to go when its last
    // session ends: the replacement that was asked for did not happen.
    return bDeleteFirst ? ECreationOutcome::NotReplaced : ECreationOutcome::AlreadyExists;
}

// The MAPI steps. The owners are declared so that, after what BuildProfile
// gave back, they go in the order MAPI expects: profile admin, rows, and
// MAPIUninitialize last.
ECreationOutcome RunMapiSteps(const CProfileSettings& settings)
{
    CMapiInitialization mapi;
    CRowSet rows;
    CMapiPtr<IProfAdmin> profAdmin;
    const LPSTR pszProfile = AsMapiText(settings.m_strProfileName.c_str());

    if (!LogStep("MAPI Init\t", mapi.Initialize()))
        return ECreationOutcome::StepFailed;

    LPPROFADMIN pProfAdmin = nullptr;
    const HRESULT hrAdmin = MAPIAdminProfiles(0, &pProfAdmin);
    AdoptOnSuccess(profAdmin, hrAdmin, pProfAdmin);
    if (!LogStep("MAPI Admin Profiles", hrAdmin))
        return ECreationOutcome::StepFailed;

    if (settings.m_bDeleteProfile)
        DeleteFirst(profAdmin.get(), pszProfile, IsProfileUnfinished(pszProfile));

    // MAPI_E_NO_ACCESS is also what a refusal for want of rights answers: only
    // a profile the table lists (or a table that cannot tell) is one that exists.
    const HRESULT hrCreate = profAdmin->CreateProfile(pszProfile, nullptr, 0, 0);
    if (hrCreate == hrProfileExists && FindProfile(profAdmin.get(), pszProfile) != EProfileListed::NotListed)
        return ReportExisting(pszProfile, settings.m_bDeleteProfile);

    // From here on the profile is this run's own: a failure must not leave it
    // half built, where the next run would find it and take it for done. Not
    // even a run that is killed halfway, or held up by its output: it is
    // listed before its step line goes out.
    if (SUCCEEDED(hrCreate))
        MarkProfileUnfinished(pszProfile);
    if (!LogStep("MAPI Create Profile", hrCreate))
        return ECreationOutcome::StepFailed;

    const ECreationOutcome outcome = BuildProfile(profAdmin.get(), rows, settings);
    if (outcome == ECreationOutcome::StepFailed &&
        LogStep("Undo Create Profile", profAdmin->DeleteProfile(pszProfile, 0)))
        ForgetIfGone(profAdmin.get(), pszProfile);
    return outcome;
}

// A run that went through its steps, successful or not, ends its report by
// saying where the same report is kept; one that found the profile there
// already ends without.
ECreationOutcome CloseReport(ECreationOutcome outcome)
{
    if (outcome == ECreationOutcome::AlreadyExists || outcome == ECreationOutcome::NotReplaced ||
        outcome == ECreationOutcome::LeftUnfinished)
        return outcome;
    PrintReport("\nDone.\n");
    PrintReport("\nOutput also available in the Registry under HKCU\\Software\\Quillmere\\Logging.\n");
    return outcome;
}

// An address Autodiscover could not use stops the run before anything is
// created or deleted: a step of its own, and what is wrong with the address.
bool AcceptSmtpAddress(const std::string& strAddress)
{
    const ESmtpAddressFault fault = CheckSmtpAddress(strAddress, CP_ACP);
    if (fault == ESmtpAddressFault::None)
        return true;
    LogStep("SMTP Address\t", MAPI_E_INVALID_PARAMETER);
    PrintReport("%s", DescribeSmtpAddressFault(fault));
    return false;
}
} // namespace

// By value: creation works on a snapshot of its own.
ECreationOutcome CreateMailProfile(CProfileSettings settings) // NOLINT(performance-unnecessary-value-param)
{
    PrintReport("\nCreating Mail Profile...\n");
    LogTimestamp();
    if (!settings.m_strSmtpAddress.empty() && !AcceptSmtpAddress(settings.m_strSmtpAddress))
        return CloseReport(ECreationOutcome::StepFailed);
    if (settings.m_bSuppressFirstRun)
        SuppressFirstRun();

    return CloseReport(RunMapiSteps(settings));
}
