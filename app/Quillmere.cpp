// Quillmere: creates one Outlook mail profile for an Exchange mailbox through
// Extended MAPI, from the command line alone.

#include <string>

#include "app/ConsoleTexts.h"
#include "app/PrintReport.h"
#include "app/ProfileSettings.h"
#include "app/RunLock.h"
#include "cmdline/CmdSwitches.h"
#include "cmdline/InterpretSwitches.h"
#include "profile/CreateMailProfile.h"
#include "registry/JoinArguments.h"
#include "registry/ProgramRecord.h"

namespace
{
// "Test Profile =" is the placeholder of the usage text, never a real name.
bool HasProfileName(const CProfileSettings& settings)
{
    return !settings.m_strProfileName.empty() && settings.m_strProfileName != "Test Profile =";
}

// 1 for a profile made, so "IF ERRORLEVEL 1" sees every run that tried; 2 on
// top of that for one that failed, which a script must not take for success.
int ReportOutcome(ECreationOutcome outcome)
{
    switch (outcome)
    {
    case ECreationOutcome::Created: return 1;
    case ECreationOutcome::StepFailed:
    case ECreationOutcome::NotReplaced:
    case ECreationOutcome::LeftUnfinished: return 2;
    case ECreationOutcome::AlreadyExists: break;
    }
    return 0;
}

// Exit status of a run that found another one for the same user still busy.
constexpr int nExitOtherRunBusy = 2;
} // namespace

int main(int argc, char* argv[])
{
    CProfileSettings settings;
    PrintBanner();

    // Nothing is recorded before the lock is taken: a run that cannot take it
    // leaves the other run's record and log alone.
    switch (TakeRunLock(QUILLMERE_RUN_LOCK_WAIT_MS))
    {
    case ERunLock::Taken:
        break;
    case ERunLock::Busy:
        PrintReport("Another run of Quillmere for this user is still running; this run changed nothing.\n\n\n");
        return nExitOtherRunBusy;
    case ERunLock::Unavailable:
        PrintReport("Could not make sure that no other run of Quillmere for this user is running; going on.\n");
        break;
    }

    CCmdSwitches switches;
    // Recorded before any switch is looked at, so that even a run that goes
    // wrong later leaves its command line behind.
    const std::string strCmdLine = JoinArguments(argc, argv);
    WriteProgramRecord(strCmdLine.c_str());

    switches.Parse(argc, argv);

    if (argc > 1)
    {
        InterpretSwitches(switches, settings);
        PrintConfiguration(settings);
    }

    int nExitStatus = 0;
    if (HasProfileName(settings))
        nExitStatus = ReportOutcome(CreateMailProfile(settings));
    else
        PrintReport("\nPlease provide a profile name in the commandline\n\n");

    PrintReport("\n\n");
    return nExitStatus;
}
