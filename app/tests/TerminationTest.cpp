// How a program linked as Quillmere.exe is ends when an exception escapes
// main: with the exit status an abort gives, and without a word on either
// output. It no longer aborts, since Windows' msvcrt says on standard error
// that the runtime was asked to end the program in an unusual way; Wine's
// abort says nothing, so under Wine this cannot tell the two apart.

#include <gtest/gtest.h>

#include "testbed/harness/Harness.h"

namespace
{
// The status msvcrt's abort gives a process, which scripts know.
constexpr DWORD dwAbortExitCode = 3;

TEST(Termination, UncaughtBadAllocEndsWithTheStatusOfAnAbortAndNothingPrinted)
{
    harness::CRunOptions options;
    options.m_strProgram = harness::LocateBesideSelf("uncaught_bad_alloc_program.exe");
    const harness::CRunResult result = harness::RunQuillmere({}, options);

    EXPECT_EQ(dwAbortExitCode, result.m_dwExitCode);
    EXPECT_EQ("", result.m_strStdout);
    EXPECT_EQ("", result.m_strStderr);
}
} // namespace
