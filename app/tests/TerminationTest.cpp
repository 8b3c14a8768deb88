// How a program linked as Quillmere.exe is ends when an exception escapes
// main: through the C runtime's abort, with its exit status, and without a
// word of its own on either output.

#include <gtest/gtest.h>

#include "testbed/harness/Harness.h"

namespace
{
// The status msvcrt's abort gives the process.
constexpr DWORD dwAbortExitCode = 3;

TEST(Termination, UncaughtBadAllocEndsThroughTheRuntimesAbort)
{
    harness::CRunOptions options;
    options.m_strProgram = harness::LocateBesideSelf("uncaught_bad_alloc_program.exe");
    const harness::CRunResult result = harness::RunQuillmere({}, options);

    EXPECT_EQ(dwAbortExitCode, result.m_dwExitCode);
    EXPECT_EQ("", result.m_strStdout);
    EXPECT_EQ("", result.m_strStderr);
}
} // namespace
