#pragma once

// What the end-to-end tests of profile creation share: the road's arguments
// and echo, and a fixture that starts each case over an empty store with a
// fresh journal of the stand-in, and reads the journal, the step log and the
// end of a run back.

#include <gtest/gtest.h>

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "app/tests/ExpectedOutput.h"

namespace creation
{
constexpr char g_szProgramKey[] = "Software\\Quillmere";
constexpr char g_szLoggingKey[] = "Software\\Quillmere\\Logging";
constexpr char g_szUnfinishedKey[] = "Software\\Quillmere\\Unfinished";
constexpr char g_szOptionsKey[] = "Software\\Microsoft\\Exchange\\Client\\Options";
constexpr char g_szSetupKey[] = "SOFTWARE\\Microsoft\\Office\\14.0\\Outlook\\Setup";
constexpr const char* g_szProfile = expected::szRoadProfile;

// The stand-in operation whose status each step reports, for forcing it.
extern const std::string g_rgForcedOperations[expected::NUM_STEPS];

// -s, -m and -p: the road without its options (its echo is expected::RoadEcho).
extern const std::vector<std::string> g_vecRoadArgs;
// The road with a personal folders file, its arguments and their echo.
std::vector<std::string> PstArgs();
expected::CEcho PstEcho();

// The journal's configuration calls of a run of PstArgs() without -c.
extern const std::string g_strConfigureExchange;
extern const std::string g_strConfigurePst;

// The profile administration's journal lines of a run of the road: the
// profile created, refused as there, deleted, and looked up in the profile
// table (the first table of the run).
extern const std::string g_strCreated;
extern const std::string g_strRefused;
extern const std::string g_strDeleted;
extern const std::string g_strLookedUp;

std::vector<std::string> Concat(std::vector<std::string> vecHead, const std::vector<std::string>& vecTail);
std::vector<std::string> Sorted(std::vector<std::string> vec);

// The profile's key in the stand-in's store.
std::string ProfileKey(const std::string& strProfile = g_szProfile);
// Lists the profile as one that an earlier run created and did not finish.
void ListAsUnfinished(const std::string& strProfile = g_szProfile);

class CreationTest : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A run whose only purpose is to leave the profile behind; its journal is dropped.
    void MakeProfile();

    std::vector<std::string> ReadJournal() const;
    // The journal lines of the calls whose name starts with one of the prefixes.
    std::vector<std::string> ReadJournal(std::initializer_list<const char*> prefixes) const;
    // What ends every journal: the releases, MAPI's uninitialisation, and the
    // unload that reports whatever the program left alive.
    std::vector<std::string> ReadReleases() const;

    // The step log as "label=outcome", sorted, the time stamp by its name alone.
    static std::vector<std::string> ReadLog();
    // What ReadLog should give after a run that printed these step lines: each
    // label with the outcome its line shows.
    static std::vector<std::string> ExpectedLog(const std::string& strStepLines);

    // The releases with the profile administration calls among them: where the
    // undo stands, and that no failed run makes a default.
    std::vector<std::string> ReadEnd() const;
    // What ReadEnd gives after a run with personal folders that failed at the
    // step: what was obtained before it goes back in MAPI's order, the session
    // logged off first, and a profile this run created is deleted, and found
    // gone in the profile table.
    // nNextLabel: the number the profile table gets, where the run made
    // objects of its own besides the steps'.
    static std::vector<std::string> ExpectedEnd(expected::EStep failing, int nNextLabel = 0);

    std::string m_strJournal;
};
} // namespace creation
