#include "testbed/harness/StandInSteering.h"

#include <fstream>
#include <sstream>

#include "testbed/harness/RegistryProbe.h"
#include "testbed/mapi32-stand-in/StandInControl.h"

namespace harness
{
std::string TempPath(const std::string& strName)
{
    char szTemp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, szTemp);
    return szTemp + strName;
}

std::string ReadWholeFile(const std::string& strPath)
{
    std::ifstream stream(strPath, std::ios::binary);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

std::vector<std::string> SplitLines(const std::string& strText)
{
    std::vector<std::string> vecLines;
    std::istringstream stream(strText);
    for (std::string strLine; std::getline(stream, strLine);)
    {
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        vecLines.push_back(strLine);
    }
    return vecLines;
}

std::string StartStandInJournal(const std::string& strFileName)
{
    DeleteRegTree(HKEY_CURRENT_USER, standin::szControlKey);
    const std::string strJournal = TempPath(strFileName);
    DeleteFileA(strJournal.c_str());
    SetStandInText(standin::szJournalValue, strJournal);
    return strJournal;
}

void SetStandInText(const std::string& strName, const std::string& strText)
{
    WriteRegValue(HKEY_CURRENT_USER, standin::szControlKey, strName.c_str(), {REG_SZ, strText + '\0'});
}

void SetStandInNumber(const std::string& strName, DWORD dwValue)
{
    WriteRegValue(HKEY_CURRENT_USER, standin::szControlKey, strName.c_str(),
                  {REG_DWORD, std::string(reinterpret_cast<const char*>(&dwValue), sizeof(dwValue))});
}

void SetStandInStatus(const std::string& strOperation, HRESULT hr)
{
    SetStandInNumber(strOperation, static_cast<DWORD>(hr));
}

bool WaitUntilBlocked(const std::string& strJournal, const std::string& strOperation, const CRunningProgram& run)
{
    const std::string strBlocking = strOperation + " -> blocks until killed\n";
    for (int nWait = 0; nWait < 1200 && !run.WaitForExit(100); ++nWait)
    {
        const std::string strText = ReadWholeFile(strJournal);
        if (strText.size() >= strBlocking.size() &&
            strText.compare(strText.size() - strBlocking.size(), strBlocking.size(), strBlocking) == 0)
            return true;
    }
    return false;
}

std::string InSystemDirectory(const char* pszFileName)
{
    char szSystem[MAX_PATH] = {};
    GetSystemDirectoryA(szSystem, MAX_PATH);
    return std::string(szSystem) + "\\" + pszFileName;
}

CSystemMapi32Swap::CSystemMapi32Swap(const std::string& strReplacement)
    : m_strSystemMapi32(InSystemDirectory("mapi32.dll")), m_strSaved(TempPath("quillmere-saved-mapi32.dll"))
{
    m_bSaved = CopyFileA(m_strSystemMapi32.c_str(), m_strSaved.c_str(), FALSE) != FALSE;
    m_bInPlace = m_bSaved && CopyFileA(strReplacement.c_str(), m_strSystemMapi32.c_str(), FALSE) != FALSE;
}

CSystemMapi32Swap::~CSystemMapi32Swap()
{
    if (!m_bSaved)
        return;
    CopyFileA(m_strSaved.c_str(), m_strSystemMapi32.c_str(), FALSE);
    DeleteFileA(m_strSaved.c_str());
}
} // namespace harness
