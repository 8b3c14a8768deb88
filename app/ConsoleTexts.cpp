#include "app/ConsoleTexts.h"

#include <cstdio>

#include "app/PrintReport.h"
#include "app/ProductInfo.h"
#include "cmdline/AnsiText.h"

namespace
{
const char* const s_rgpszBanner[] = {
    "\n",
    "=========================================================================\n",
    "::Quillmere::                       Provided as is, without any warranty \n",
    "::Version " QUILLMERE_VERSION_TEXT "\n", // NOLINT(bugprone-suspicious-missing-comma): joins its line
    "=========================================================================\n",
    "                Creates an Outlook mail profile for an Exchange mailbox  \n",
    "                                                                         \n",
    "Usage: Quillmere.exe <1> <2> <3> <4> <5> <6> <7> <8> <9> <10> <11> <12>\n",
    "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t         \n",
    "                                                                         \n",
    "  <01> = -s <Server Name>            eg: \"-s mail.example.com\"               \n",
    "  <02> = -m <Mailbox Name>           eg: \"-m \"Doe, Jane\"\"     \n",
    "  <03> = -p <Profile Name>           eg: \"Mail - Jane Doe\"      \n",
    "  <04> = -a <Delete Profile Y/N>     eg: \"-a Y\"-Delete Profile first if it exists \n",
    "  <05> = -d <Priority D/P/N>         eg: \"-d D\"-Will Make it the DEFAULT Profile  \n",
    "                                     eg: \"-d P\"-Outlook will PROMPT for Profile   \n",
    "                                     eg: \"-d N\"-Will NOT alter current State      \n",
    "  <06> = -c <Cache Mode 0/1/2>       eg: \"-c 2\"-0=Off, 1=Private, 2=Public        \n",
    "  <07> = -b <PST Display><PST Path>  eg: \"-b \"Janes Mailbox\" \"c:\\myMailbox.pst\"\n",
    "  <08> = -h <Exchange HTTP Proxy URL>eg: \"-h \"webmail.example.com\"      \n",
    "  <09> = -n <FQ Principal Name>      eg: \"-n \"msstd:webmail.example.com\"\n",
    "  <10> = -t <Authentication><B/N>    eg: \"-t \"B = BASIC\" or N = \"NTLM\" \n",
    "  <11> = -f <Connect via HTTP First> eg: \"-f \"(F)ast/(S)low/(N)either  \n",
    "  <12> = -r\t<Turns off first run>\t eg: \"-r \"\n",
    "                                                                         \n",
};

const char* RenderBool(bool b)
{
    return b ? "true" : "false";
}

const char* RenderPriority(int nPriority)
{
    switch (nPriority)
    {
    case 0: return "Profile will become default";
    case 1: return "Will prompt for profile";
    default: return "No change";
    }
}

// Upper case only: "b" and "n" are not recognised here.
const char* RenderAuthentication(const std::string& strAuthentication)
{
    if (strAuthentication == "B")
        return "Basic";
    if (strAuthentication == "N")
        return "NTLM";
    return "Not set";
}

const char* RenderTryHttpFirst(const std::string& strTryHttpFirst)
{
    if (strTryHttpFirst == "F" || strTryHttpFirst == "f")
        return "Fast";
    if (strTryHttpFirst == "S" || strTryHttpFirst == "s")
        return "Slow";
    if (strTryHttpFirst == "N" || strTryHttpFirst == "n")
        return "Neither";
    return "";
}

// Back in the code page the text was typed in, so that it reads as typed; the
// C runtime's wide output would follow its own locale, not the system's.
void PrintWideLine(const char* pszLabel, const std::wstring& wstrText)
{
    PrintReport("%s%s\n", pszLabel, NarrowAnsiText(wstrText).c_str());
}
} // namespace

void PrintBanner()
{
    // One write for the whole banner: its last line hands it over.
    for (const char* pszLine : s_rgpszBanner)
        printf("%s", pszLine);
    PrintReport("       Email:%s\tfor support issues & questions!  \n", QUILLMERE_SUPPORT_ADDRESS);
}

// By value: the echo shows a snapshot of its own.
void PrintConfiguration(CProfileSettings settings) // NOLINT(performance-unnecessary-value-param)
{
    PrintReport("\nYour Quillmere configuration elements were:\n");
    PrintReport("Server Name\t\t= %s\n", settings.m_strServerName.c_str());
    PrintReport("Mailbox Name\t\t= %s\n", settings.m_strMailboxName.c_str());
    PrintReport("Profile Name\t\t= %s\n", settings.m_strProfileName.c_str());
    PrintReport("Delete Profile\t\t= %s\n", RenderBool(settings.m_bDeleteProfile));
    PrintReport("Priority\t\t= %s\n", RenderPriority(settings.m_nPriority));
    PrintReport("Cache Mode\t\t= %i\n", settings.m_nCacheMode);
    PrintReport("PST Display\t\t= %s\n", settings.m_strPstDisplay.c_str());
    PrintReport("PST FileName\t\t= %s\n", settings.m_strPstFileName.c_str());
    PrintWideLine("Http Proxy Server\t= ", settings.m_wstrHttpProxyServer);
    PrintWideLine("FQ Principle\t\t= ", settings.m_wstrFqPrincipalName);
    PrintReport("Authentication\t\t= %s\n", RenderAuthentication(settings.m_strAuthentication));
    PrintReport("Try HTTP First\t\t= %s\n", RenderTryHttpFirst(settings.m_strTryHttpFirst));
    PrintReport("Suppress first run\t= %s\n", RenderBool(settings.m_bSuppressFirstRun));
    // Only with -e, so that every other run echoes what it always did.
    if (!settings.m_strSmtpAddress.empty())
        PrintReport("SMTP Address\t\t= %s\n", settings.m_strSmtpAddress.c_str());
}
