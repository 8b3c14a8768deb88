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
};
std::string Echo(const CEcho& echo);

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
const char* StepLabel(EStep step);

enum class EOutcome
{
    Successful,
    Warning, // a positive status: reported, but creation goes on
    Failed,
};
std::string StepLine(EStep step, EOutcome outcome = EOutcome::Successful);
std::string StepLines(std::initializer_list<EStep> steps);

// A run replaces what an earlier run created and did not finish, as -a Y
// replaces a profile, with this notice first.
constexpr char szLeftUnfinished[] = "Profile left unfinished by an earlier run.\n";
constexpr char szDeleted[] = "Deleted profile. \n";

// A failed run deletes the profile it created, reporting that as a step.
constexpr char szUndoLabel[] = "Undo Create Profile";
std::string UndoLine(EOutcome outcome = EOutcome::Successful);

// The console of a run that created, or tried to create, a profile: echo,
// heading, the step lines given, and (when done) the closing report.
std::string CreationRun(const CEcho& echo, const std::string& strSteps, bool bDone = true);
// The same up to the heading of profile creation, before any step line.
std::string CreationStart(const CEcho& echo);
} // namespace expected
