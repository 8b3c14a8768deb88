#include "profile/CreateMailProfile.h"

#include <algorithm>

#include "app/PrintReport.h"
#include "profile/ExchangeTags.h"
#include "profile/MapiOwners.h"
#include "profile/ServiceProperties.h"
#include "registry/FirstRun.h"
#include "registry/LogonProfileChoice.h"
#include "registry/StepLog.h"

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

bool ConfigureExchange(IMsgServiceAdmin* pServiceAdmin, LPMAPIUID pUid, const CProfileSettings& settings)
{
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

// False only when a configuration step failed; the address book's row, and a
// row the provider filled in some other way, are passed over.
bool ConfigureService(IMsgServiceAdmin* pServiceAdmin, const SRow& row, const CProfileSettings& settings)
{
    const char* const pszService = ReadServiceName(row);
    const LPMAPIUID pUid = ReadServiceUid(row);
    if (!pszService || !pUid)
        return true;
    if (lstrcmpA(pszService, "MSEMS") == 0)
        return ConfigureExchange(pServiceAdmin, pUid, settings);
    if (lstrcmpA(pszService, "MSUPST MS") == 0 && settings.m_bHasPst)
        return ConfigurePersonalFolders(pServiceAdmin, pUid, settings);
    return true;
}

// The MAPI steps. The owners are declared so that they are destroyed in the
// order MAPI expects: table, service admin, session, profile admin, rows, and
// MAPIUninitialize last.
ECreationOutcome RunMapiSteps(const CProfileSettings& settings)
{
    CMapiInitialization mapi;
    CRowSet rows;
    CMapiPtr<IProfAdmin> profAdmin;
    CMapiPtr<IMAPISession> session;
    CMapiPtr<IMsgServiceAdmin> serviceAdmin;
    CMapiPtr<IMAPITable> serviceTable;
    const LPSTR pszProfile = AsMapiText(settings.m_strProfileName.c_str());

    if (!LogStep("MAPI Init\t", mapi.Initialize()))
        return ECreationOutcome::StepFailed;

    LPPROFADMIN pProfAdmin = nullptr;
    HRESULT hr = MAPIAdminProfiles(0, &pProfAdmin);
    AdoptOnSuccess(profAdmin, hr, pProfAdmin);
    if (!LogStep("MAPI Admin Profiles", hr))
        return ECreationOutcome::StepFailed;

    if (settings.m_bDeleteProfile)
    {
        if (SUCCEEDED(profAdmin->DeleteProfile(pszProfile, 0)))
            PrintReport("Deleted profile. \n");
        else
            PrintReport("Profile does not exist or could not be deleted. \n");
    }

    hr = profAdmin->CreateProfile(pszProfile, nullptr, 0, 0);
    if (hr == hrProfileExists)
    {
        PrintReport("Profile already exists. No further action taken.\n");
        return ECreationOutcome::AlreadyExists;
    }
    if (!LogStep("MAPI Create Profile", hr))
        return ECreationOutcome::StepFailed;

    LPMAPISESSION pSession = nullptr;
    hr = MAPILogonEx(0, pszProfile, nullptr, MAPI_NEW_SESSION | MAPI_NO_MAIL, &pSession);
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
    // Its display name and file come with its configuration below.
    if (settings.m_bHasPst &&
        !LogStep("Personal Folders", serviceAdmin->CreateMsgService(AsMapiText("MSUPST MS"), AsMapiText("MSUPST MS"),
                                                                     0, SERVICE_UI_ALLOWED)))
        return ECreationOutcome::StepFailed;

    // Neither the registry value nor the default profile is essential to the
    // profile, so their results are not examined.
    if (settings.m_nPriority == 0)
    {
        WritePickLogonProfile(false);
        profAdmin->SetDefaultProfile(pszProfile, 0);
    }
    else if (settings.m_nPriority == 1)
    {
        WritePickLogonProfile(true);
        profAdmin->SetDefaultProfile(nullptr, 0);
    }

    LPMAPITABLE pTable = nullptr;
    hr = serviceAdmin->GetMsgServiceTable(0, &pTable);
    AdoptOnSuccess(serviceTable, hr, pTable);
    if (!LogStep("MSG Services Table", hr))
        return ECreationOutcome::StepFailed;

    LPSRowSet pRows = nullptr;
    hr = HrQueryAllRows(serviceTable.get(), const_cast<LPSPropTagArray>(reinterpret_cast<const SPropTagArray*>(&s_serviceColumns)),
                        nullptr, nullptr, 0, &pRows);
    AdoptOnSuccess(rows, hr, pRows);
    if (!LogStep("Query All Rows\t", hr))
        return ECreationOutcome::StepFailed;

    // The services just created are the profile's only ones; the limit counts
    // rows, whatever they hold.
    const ULONG cWalk = std::min<ULONG>(rows ? rows->cRows : 0, settings.m_bHasPst ? 3 : 2);
    for (ULONG iRow = 0; iRow < cWalk; ++iRow)
        if (!ConfigureService(serviceAdmin.get(), rows->aRow[iRow], settings))
            return ECreationOutcome::StepFailed;
    return ECreationOutcome::Created;
}
} // namespace

// By value: creation works on a snapshot of its own.
ECreationOutcome CreateMailProfile(CProfileSettings settings) // NOLINT(performance-unnecessary-value-param)
{
    PrintReport("\nCreating Mail Profile...\n");
    LogTimestamp();
    if (settings.m_bSuppressFirstRun)
        SuppressFirstRun();

    const ECreationOutcome outcome = RunMapiSteps(settings);
    if (outcome == ECreationOutcome::AlreadyExists)
        return outcome;

    PrintReport("\nDone.\n");
    PrintReport("\nOutput also available in the Registry under HKCU\\Software\\Quillmere\\Logging.\n");
    return outcome;
}
