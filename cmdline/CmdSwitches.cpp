#include "cmdline/CmdSwitches.h"

namespace
{
// A hyphen followed by anything but a digit, so that "-5" stays a plain argument.
bool IsSwitch(const char* pszArg)
{
    return pszArg[0] == '-' && pszArg[1] != '\0' && !(pszArg[1] >= '0' && pszArg[1] <= '9');
}
} // namespace

int CCmdSwitches::Parse(int nArgs, const char* const rgpszArgs[])
{
    m_mapSwitches.clear();
    std::string strCurrent;

    for (int i = 1; i < nArgs; ++i)
    {
        if (IsSwitch(rgpszArgs[i]))
        {
            strCurrent = rgpszArgs[i];
            CCmdParam param;
            if (i + 1 < nArgs && !IsSwitch(rgpszArgs[i + 1]))
            {
                // The element is consumed even when empty; only a non-empty one is kept.
                if (rgpszArgs[++i][0] != '\0')
                    param.m_vecArguments.emplace_back(rgpszArgs[i]);
            }
            // A repeated switch keeps its first entry; its new first argument is lost.
            m_mapSwitches.emplace(strCurrent, std::move(param));
        }
        else
        {
            auto it = m_mapSwitches.find(strCurrent);
            if (it != m_mapSwitches.end())
                it->second.m_vecArguments.emplace_back(rgpszArgs[i]);
        }
    }
    return static_cast<int>(m_mapSwitches.size());
}

const CCmdParam* CCmdSwitches::FindSwitch(const char* pszSwitch) const
{
    auto it = m_mapSwitches.find(pszSwitch);
    return it == m_mapSwitches.end() ? nullptr : &it->second;
}

bool CCmdSwitches::IsPresent(const char* pszSwitch) const
{
    return FindSwitch(pszSwitch) != nullptr;
}

int CCmdSwitches::CountArguments(const char* pszSwitch) const
{
    const CCmdParam* pParam = FindSwitch(pszSwitch);
    return pParam ? static_cast<int>(pParam->m_vecArguments.size()) : -1;
}

std::string CCmdSwitches::LookupArgument(const char* pszFirst, const char* pszSecond, int nIndex) const
{
    if (nIndex < 0)
        return std::string();
    for (const char* pszSwitch : {pszFirst, pszSecond})
    {
        const CCmdParam* pParam = FindSwitch(pszSwitch);
        if (pParam && pParam->m_vecArguments.size() > static_cast<size_t>(nIndex))
            return pParam->m_vecArguments[static_cast<size_t>(nIndex)];
    }
    return std::string();
}
