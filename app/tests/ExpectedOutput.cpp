#include "app/tests/ExpectedOutput.h"

namespace expected
{
namespace
{
std::string Blanks(size_t n)
{
    return std::string(n, ' ');
}

std::string PadTo73(const std::string& str)
{
    return str + Blanks(73 - str.size());
}

std::string LabelLine(const std::string& strLabel, EOutcome outcome)
{
    const std::string strStart = strLabel + "\t\t=";
    switch (outcome)
    {
    case EOutcome::Successful: return strStart + " Successful\n";
    case EOutcome::Warning: return strStart + " Failed\n";
    case EOutcome::Failed: break;
    }
    return strStart + " Failed\nAction Failed\n";
}
} // namespace

std::string Banner()
{
    const std::string strRule = std::string(73, '=') + "\n";
    const std::string strEmpty73 = Blanks(73) + "\n";
    const std::string strEg = Blanks(37) + "eg: ";
    return "\n" + strRule +
           "::Quillmere::" + Blanks(23) + "Provided as is, without any warranty \n" +
           "::Version " QUILLMERE_EXPECTED_VERSION "\n" + strRule +
           PadTo73(Blanks(16) + "Creates an Outlook mail profile for an Exchange mailbox") + "\n" +
           strEmpty73 +
           "Usage: Quillmere.exe <1> <2> <3> <4> <5> <6> <7> <8> <9> <10> <11> <12>\n" +
           std::string(16, '\t') + Blanks(9) + "\n" +
           strEmpty73 +
           "  <01> = -s <Server Name>            eg: \"-s mail.example.com\"" + Blanks(15) + "\n" +
           "  <02> = -m <Mailbox Name>           eg: \"-m \"Doe, Jane\"\"" + Blanks(5) + "\n" +
           "  <03> = -p <Profile Name>           eg: \"Mail - Jane Doe\"" + Blanks(6) + "\n" +
           "  <04> = -a <Delete Profile Y/N>     eg: \"-a Y\"-Delete Profile first if it exists \n" +
           "  <05> = -d <Priority D/P/N>         eg: \"-d D\"-Will Make it the DEFAULT Profile  \n" +
           strEg + "\"-d P\"-Outlook will PROMPT for Profile   \n" +
           strEg + "\"-d N\"-Will NOT alter current State      \n" +
           "  <06> = -c <Cache Mode 0/1/2>       eg: \"-c 2\"-0=Off, 1=Private, 2=Public        \n" +
           "  <07> = -b <PST Display><PST Path>  eg: \"-b \"Janes Mailbox\" \"c:\\myMailbox.pst\"\n" +
           "  <08> = -h <Exchange HTTP Proxy URL>eg: \"-h \"webmail.example.com\"" + Blanks(6) + "\n" +
           "  <09> = -n <FQ Principal Name>      eg: \"-n \"msstd:webmail.example.com\"\n" +
           "  <10> = -t <Authentication><B/N>    eg: \"-t \"B = BASIC\" or N = \"NTLM\" \n" +
           "  <11> = -f <Connect via HTTP First> eg: \"-f \"(F)ast/(S)low/(N)either  \n" +
           "  <12> = -r\t<Turns off first run>\t eg: \"-r \"\n" +
           strEmpty73 +
           "       Email:support@quillmere.example\tfor support issues & questions!  \n";
}

std::string Echo(const CEcho& e)
{
    return "\nYour Quillmere configuration elements were:\n"
           "Server Name\t\t= " + e.m_strServer + "\n"
           "Mailbox Name\t\t= " + e.m_strMailbox + "\n"
           "Profile Name\t\t= " + e.m_strProfile + "\n"
           "Delete Profile\t\t= " + e.m_strDelete + "\n"
           "Priority\t\t= " + e.m_strPriority + "\n"
           "Cache Mode\t\t= " + e.m_strCacheMode + "\n"
           "PST Display\t\t= " + e.m_strPstDisplay + "\n"
           "PST FileName\t\t= " + e.m_strPstFileName + "\n"
           "Http Proxy Server\t= " + e.m_strHttpProxy + "\n"
           "FQ Principle\t\t= " + e.m_strPrincipal + "\n"
           "Authentication\t\t= " + e.m_strAuthentication + "\n"
           "Try HTTP First\t\t= " + e.m_strTryHttpFirst + "\n"
           "Suppress first run\t= " + e.m_strSuppressFirstRun + "\n" +
           (e.m_strSmtpAddress.empty() ? "" : "SMTP Address\t\t= " + e.m_strSmtpAddress + "\n");
}

std::vector<std::string> RoadArgs(std::vector<std::string> vecMore)
{
    std::vector<std::string> vecArgs = {"-s", "mail.example.com", "-m", "Doe, Jane", "-p", szRoadProfile};
    vecArgs.insert(vecArgs.end(), vecMore.begin(), vecMore.end());
    return vecArgs;
}

CEcho RoadEcho()
{
    CEcho echo;
    echo.m_strServer = "mail.example.com";
    echo.m_strMailbox = "Doe, Jane";
    echo.m_strProfile = szRoadProfile;
    return echo;
}

std::string MissingNameNotice()
{
    return "\nPlease provide a profile name in the commandline\n\n";
}

std::string Closing()
{
    return "\n\n";
}

const char* StepLabel(EStep step)
{
    static const char* const s_rgpszLabels[NUM_STEPS] = {
        "MAPI Init\t",         "MAPI Admin Profiles", "MAPI Create Profile", "MAPI Logon\t",
        "MAPI Admin Services", "Exchange Server\t",   "Outlook Address Book", "Personal Folders",
        "MSG Services Table",  "Query All Rows\t",    "Configure MSEMS\t",    "Configure MSUPST MS",
    };
    return s_rgpszLabels[step];
}

std::string StepLine(EStep step, EOutcome outcome)
{
    return LabelLine(StepLabel(step), outcome);
}

std::string StepLines(const std::vector<EStep>& steps)
{
    std::string strLines;
    for (EStep step : steps)
        strLines += StepLine(step);
    return strLines;
}

const std::vector<EStep> g_vecFirstSteps = {stepInit, stepAdminProfiles};
const std::vector<EStep> g_vecCreationSteps = {stepCreateProfile, stepLogon,        stepAdminServices,
                                               stepExchange,      stepAddressBook,  stepServiceTable,
                                               stepQueryRows,     stepConfigureExchange};

std::vector<EStep> RoadSteps()
{
    std::vector<EStep> vecSteps = g_vecFirstSteps;
    vecSteps.insert(vecSteps.end(), g_vecCreationSteps.begin(), g_vecCreationSteps.end());
    return vecSteps;
}

std::string StatusLine(const char* pszLabel, const char* pszStatus)
{
    std::string strLabel = pszLabel;
    while (!strLabel.empty() && strLabel.back() == '\t')
        strLabel.pop_back();
    return strLabel + ": " + pszStatus + "\n";
}

std::string StatusLine(EStep step, const char* pszStatus)
{
    return StatusLine(StepLabel(step), pszStatus);
}

std::string UndoLine(EOutcome outcome)
{
    return LabelLine(szUndoLabel, outcome);
}

std::string SmtpAddressLine()
{
    return LabelLine(szSmtpAddressLabel, EOutcome::Failed);
}

std::string CreationStart(const CEcho& echo)
{
    return Banner() + Echo(echo) + "\nCreating Mail Profile...\n";
}

std::string CreationRun(const CEcho& echo, const std::string& strSteps, bool bDone)
{
    const std::string strDone =
        "\nDone.\n\nOutput also available in the Registry under HKCU\\Software\\Quillmere\\Logging.\n";
    return CreationStart(echo) + strSteps + (bDone ? strDone : "") + Closing();
}
} // namespace expected
