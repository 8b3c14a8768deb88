#include "cmdline/CmdSwitches.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace
{
using Entries = std::vector<std::pair<std::string, std::vector<std::string>>>;

// argv as the C runtime hands it over: the program path first.
struct CArgv
{
    std::vector<std::string> m_vecStorage;
    std::vector<const char*> m_vecPointers;

    explicit CArgv(std::vector<std::string> vecArgs)
    {
        m_vecStorage.push_back("C:\\Tools\\Quillmere.exe");
        m_vecStorage.insert(m_vecStorage.end(), vecArgs.begin(), vecArgs.end());
        for (const std::string& str : m_vecStorage)
            m_vecPointers.push_back(str.c_str());
        m_vecPointers.push_back(nullptr);
    }
    int Count() const { return static_cast<int>(m_vecStorage.size()); }
    const char* const* Vector() const { return m_vecPointers.data(); }
};

int ParseArgs(CCmdSwitches& switches, const std::vector<std::string>& vecArgs)
{
    CArgv argv(vecArgs);
    return switches.Parse(argv.Count(), argv.Vector());
}

void ExpectEntries(const CCmdSwitches& switches, const Entries& expected)
{
    for (const auto& [strSwitch, vecArgs] : expected)
    {
        SCOPED_TRACE(strSwitch);
        EXPECT_TRUE(switches.IsPresent(strSwitch.c_str()));
        ASSERT_EQ(static_cast<int>(vecArgs.size()), switches.CountArguments(strSwitch.c_str()));
        for (size_t i = 0; i < vecArgs.size(); ++i)
            EXPECT_EQ(vecArgs[i], switches.LookupArgument(strSwitch.c_str(), strSwitch.c_str(), static_cast<int>(i)));
        EXPECT_EQ("", switches.LookupArgument(strSwitch.c_str(), strSwitch.c_str(), static_cast<int>(vecArgs.size())));
    }
}

// CTest names each row by what it prints; without these, by the row's raw
// bytes, pointers included, so that names change between runs and collide.
void PrintArgs(const std::vector<std::string>& vecArgs, std::ostream* os)
{
    for (const std::string& str : vecArgs)
        *os << '[' << str << ']';
}

struct ParseCase
{
    std::vector<std::string> m_vecArgs;
    Entries m_expected;
};

void PrintTo(const ParseCase& c, std::ostream* os)
{
    PrintArgs(c.m_vecArgs, os);
}

class ParseTest : public testing::TestWithParam<ParseCase>
{
};

TEST_P(ParseTest, BuildsTheTable)
{
    const ParseCase& c = GetParam();
    CCmdSwitches switches;
    const int nEntries = ParseArgs(switches, c.m_vecArgs);

    EXPECT_EQ(static_cast<int>(c.m_expected.size()), nEntries);
    ExpectEntries(switches, c.m_expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, ParseTest, testing::Values(
    ParseCase{{}, {}},
    ParseCase{{"a", "b", "-s", "x", "y"}, {{"-s", {"x", "y"}}}},
    ParseCase{{"-s", "-m", "x"}, {{"-s", {}}, {"-m", {"x"}}}},
    ParseCase{{"-c", "-1"}, {{"-c", {"-1"}}}},
    ParseCase{{"-p", "-"}, {{"-p", {"-"}}}},
    ParseCase{{"--x", "1"}, {{"--x", {"1"}}}},
    ParseCase{{"/s", "x"}, {}},
    ParseCase{{"-m", "x", "-s"}, {{"-m", {"x"}}, {"-s", {}}}},
    ParseCase{{"-s", ""}, {{"-s", {}}}},
    ParseCase{{"-b", "", "y"}, {{"-b", {"y"}}}},
    ParseCase{{"-b", "x", "", "y"}, {{"-b", {"x", "", "y"}}}},
    ParseCase{{"-s", "a", "-s", "b", "c"}, {{"-s", {"a", "c"}}}},
    ParseCase{{"-s", "a", "-S", "b"}, {{"-S", {"b"}}, {"-s", {"a"}}}},
    // Bytes above 0x7F and a digit after the hyphen of a longer element.
    ParseCase{{"-\xE9", "\xFF\x80", "-9x"}, {{"-\xE9", {"\xFF\x80", "-9x"}}}}));

TEST(CmdSwitches, AbsentSwitchAnswersFalseMinusOneAndEmpty)
{
    CCmdSwitches switches;
    ParseArgs(switches, {"-s", "x"});

    EXPECT_FALSE(switches.IsPresent("-S"));
    EXPECT_FALSE(switches.IsPresent("-"));
    EXPECT_FALSE(switches.IsPresent(""));
    EXPECT_EQ(-1, switches.CountArguments("-m"));
    EXPECT_EQ("", switches.LookupArgument("-m", "-M", 0));
}

struct LookupCase
{
    std::vector<std::string> m_vecArgs;
    const char* m_pszFirst;
    const char* m_pszSecond;
    int m_nIndex;
    std::string m_strExpected;
};

void PrintTo(const LookupCase& c, std::ostream* os)
{
    PrintArgs(c.m_vecArgs, os);
    *os << '{' << c.m_pszFirst << ',' << c.m_pszSecond << ',' << c.m_nIndex << '}';
}

class LookupTest : public testing::TestWithParam<LookupCase>
{
};

TEST_P(LookupTest, TriesEachSpellingPerIndex)
{
    const LookupCase& c = GetParam();
    CCmdSwitches switches;
    ParseArgs(switches, c.m_vecArgs);

    EXPECT_EQ(c.m_strExpected, switches.LookupArgument(c.m_pszFirst, c.m_pszSecond, c.m_nIndex));
}

INSTANTIATE_TEST_SUITE_P(Rows, LookupTest, testing::Values(
    LookupCase{{"-s", "a", "-S", "b"}, "-s", "-S", 0, "a"},
    LookupCase{{"-s", "a", "-S", "b"}, "-S", "-s", 0, "b"},
    LookupCase{{"-b", "x", "-B", "y", "z"}, "-b", "-B", 0, "x"},
    LookupCase{{"-b", "x", "-B", "y", "z"}, "-b", "-B", 1, "z"},
    LookupCase{{"-b", "x", "-B", "y", "z"}, "-b", "-B", 2, ""},
    LookupCase{{"-s", "a"}, "-s", "-S", -1, ""},
    LookupCase{{"-s", "a"}, "-s", "-S", -2147483647 - 1, ""}));

TEST(CmdSwitches, SecondParseLeavesNothingOfTheFirst)
{
    CCmdSwitches switches;
    ParseArgs(switches, {"-s", "a", "-m", "b"});

    EXPECT_EQ(1, ParseArgs(switches, {"-p", "c"}));

    EXPECT_FALSE(switches.IsPresent("-s"));
    EXPECT_FALSE(switches.IsPresent("-m"));
    ExpectEntries(switches, {{"-p", {"c"}}});
}

TEST(CmdSwitches, CopySharesNothingWithItsSource)
{
    CCmdSwitches original;
    ParseArgs(original, {"-s", "a"});
    CCmdSwitches copy = original;

    ParseArgs(original, {"-m", "b"});

    ExpectEntries(copy, {{"-s", {"a"}}});
    EXPECT_FALSE(copy.IsPresent("-m"));
}
} // namespace
