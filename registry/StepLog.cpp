#include "registry/StepLog.h"

#include <cstdio>

#include "app/PrintReport.h"
#include "registry/RegKey.h"
#include "registry/RegistryPaths.h"
#include "registry/StatusNames.h"

namespace
{
void RecordInLog(const char* pszName, const std::string& strText)
{
    SetExpandSzValue(CreateRegKey(HKEY_CURRENT_USER, g_szLoggingKey), pszName, strText);
}

// Standard output and the log say only "Failed"; standard error says why,
// in a line of its own that leaves both as they are.
void ReportStatus(const char* pszLabel, HRESULT hrResult)
{
    std::string strLabel = pszLabel;
    strLabel.erase(strLabel.find_last_not_of('\t') + 1);
    const char* const pszDescription = DescribeStatus(hrResult);
    fprintf(stderr, "%s: 0x%08lX%s%s\n", strLabel.c_str(), static_cast<unsigned long>(hrResult),
            pszDescription ? " " : "", pszDescription ? pszDescription : "");
    fflush(stderr);
}
} // namespace

bool LogStep(const char* pszLabel, HRESULT hrResult)
{
    // Warnings are not successes, but the sequence goes on through them.
    const char* const pszOutcome = hrResult == S_OK ? "Successful" : "Failed";
    PrintReport("%s\t\t= %s\n", pszLabel, pszOutcome);
    RecordInLog(pszLabel, pszOutcome);
    if (hrResult != S_OK)
        ReportStatus(pszLabel, hrResult);
    if (FAILED(hrResult))
    {
        PrintReport("Action Failed\n");
        return false;
    }
    return true;
}

std::string FormatTimestamp(const std::tm& localTime)
{
    // strftime's %a and %b follow the C locale, which the program never changes:
    // the English names asctime gives.
    char szStamp[32] = {};
    const size_t cch = strftime(szStamp, sizeof(szStamp), "%a %b %d %H:%M:%S %Y\n", &localTime);
    return std::string(szStamp, cch);
}

void LogTimestamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm localTime = {};
    localtime_s(&localTime, &now);
    RecordInLog("timestamp", FormatTimestamp(localTime));
}
