#pragma once

// What Quillmere.exe prints, composed from the rules of each text rather than
// from the program's own tables, for whole-output comparisons.

#include <initializer_list>
#include <string>
#include <vector>

namespace expected
{
std::string Banner();

// The thirteen renderings of the configuration echo, in their order.
struct CEcho
{
    std::string m_strServer;
    std::string m_strMailbox;
    std::string m_strProfile;
    std::string m_strDelete = "false";
    std::string m_strPriority = "No change";
    std::string m_strCacheMode = "0";
    std::string m_strPstDisplay;
    std::string m_strPstFileName;
    std::string m_strHttpProxy;
    std::string m_strPrincipal;
    std::string m_strAuthentication = "Not set";
    std::string m_strTryHttpFirst;
    std::string m_strSuppressFirstRun = "false";
    std::string m_strSmtpAddress; // its line only when -e gave one
};
std::string Echo(const CEcho& echo);

// The road of one ordinary run: -s, -m and -p as the usage text's examples
// give them, with any further arguments after them, and their echo.
constexpr char szRoadProfile[] = "Mail - Jane Doe";
std::vector<std::string> RoadArgs(std::vector<std::string> vecMore = {});
CEcho RoadEcho();

std::string MissingNameNotice();
std::string Closing();

// The twelve steps of profile creation in the order a run with personal
// folders takes them.
enum EStep
{
    stepInit,
    stepAdminProfiles,
    stepCreateProfile,
    stepLogon,
    stepAdminServices,
    stepExchange,
    stepAddressBook,
    stepPersonalFolders,
    stepServiceTable,
    stepQueryRows,
    stepConfigureExchange,
    stepConfigurePst,
    NUM_STEPS
};
// The step of -e's address, checked before MAPI: failed, or not there at all.
constexpr char szSmtpAddressLabel[] = "SMTP Address\t";
const char* StepLabel(EStep step);

enum class EOutcome
{
    Successful,
    Warning, // a positive status: reported, but creation goes on
    Failed,
};
std::string StepLine(EStep step, EOutcome outcome = EOutcome::Successful);
std::string StepLines(const std::vector<EStep>& steps);

// The steps of a run with RoadArgs() that makes its profile: the two before
// CreateProfile, then those that make it and configure the Exchange service.
extern const std::vector<EStep> g_vecFirstSteps;
extern const std::vector<EStep> g_vecCreationSteps;
// Both, in that order.
std::vector<EStep> RoadSteps();

constexpr char szExists[] = "Profile already exists. No further action taken.\n";
constexpr char szDeleted[] = "Deleted profile. \n";
constexpr char szNotDeleted[] = "Profile does not exist or could not be deleted. \n";
// A profile that an earlier run created and did not finish is left as it is,
// and replaced only with -a Y, with the first line before its deletion.
constexpr char szLeftUnfinished[] = "Profile left unfinished by an earlier run.\n";
constexpr char szReplaceAdvice[] = "Run again with -a Y to replace it, or delete the profile and run again.\n";

// What a step that failed or warned adds on standard error: its label
// without its tabs, then the status MAPI answered, named and explained where
// it is one an administrator meets; these are the ones the tests force.
constexpr char szCallFailed[] = "0x80004005 MAPI_E_CALL_FAILED (E_FAIL): the provider failed without saying why";
constexpr char szNotFound[] = "0x8004010F MAPI_E_NOT_FOUND: not found";
constexpr char szNoAccess[] = "0x80070005 MAPI_E_NO_ACCESS (E_ACCESSDENIED): access denied";
constexpr char szInvalidParameter[] = "0x80070057 MAPI_E_INVALID_PARAMETER (E_INVALIDARG): a value given was not valid";
constexpr char szErrorsReturned[] = "0x00040380 MAPI_W_ERRORS_RETURNED: some values could not be read or written";
constexpr char szNotInitialized[] = "0x80040605 MAPI_E_NOT_INITIALIZED: no MAPI: classic Outlook is missing, not "
                                    "the default mail client, or of the other bitness";
std::string StatusLine(EStep step, const char* pszStatus);
std::string StatusLine(const char* pszLabel, const char* pszStatus);

// A failed run deletes the profile it created, reporting that as a step.
constexpr char szUndoLabel[] = "Undo Create Profile";
std::string UndoLine(EOutcome outcome = EOutcome::Successful);
std::string SmtpAddressLine();

// The console of a run that created, or tried to create, a profile: echo,
// heading, the step lines given, and (when done) the closing report.
std::string CreationRun(const CEcho& echo, const std::string& strSteps, bool bDone = true);
// The same up to the heading of profile creation, before any step line.
std::string CreationStart(const CEcho& echo);

// A run that found another run for the same user holding the lock to the end.
constexpr char szOtherRunBusy[] =
    "Another run of Quillmere for this user is still running; this run changed nothing.\n";
} // namespace expected
