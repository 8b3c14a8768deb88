#pragma once

#include <map>
#include <string>
#include <vector>

// The plain arguments that followed one switch, in command-line order.
struct CCmdParam
{
    std::vector<std::string> m_vecArguments;
};

// The command line as a lookup table: each switch, exactly as typed, with the
// plain arguments after it. It knows nothing of what a switch means.
class CCmdSwitches
{
public:
    int Parse(int nArgs, const char* const rgpszArgs[]);

    bool IsPresent(const char* pszSwitch) const;
    int CountArguments(const char* pszSwitch) const;
    std::string LookupArgument(const char* pszFirst, const char* pszSecond, int nIndex) const;

private:
    const CCmdParam* FindSwitch(const char* pszSwitch) const;

    // Byte-wise order, bytes unsigned: "-S" sorts before "-s".
    std::map<std::string, CCmdParam> m_mapSwitches;
};
