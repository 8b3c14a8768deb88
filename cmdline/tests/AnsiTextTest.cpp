// The command line's text between its code page and MAPI's UTF-16. Under
// Wine the test bed's ANSI code page is 1252.

#include "cmdline/AnsiText.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
#ifdef _WIN32
TEST(AnsiText, WidensAndNarrowsByTheAnsiCodePage)
{
    const struct
    {
        const char* m_pszCase;
        std::string m_strNarrow;
        std::wstring m_wstrWide;
    } rows[] = {
        {"ASCII", "webmail.example.com", L"webmail.example.com"},
        {"empty", "", L""},
        {"Latin-1 range", "j\xF6rg\xE9", L"j\x00F6rg\x00E9"},
        // Where 1252 and Latin-1 part: widened byte for byte, these were wrong.
        {"1252's own", "\x80\x8A\x9E", L"\x20AC\x0160\x017E"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        EXPECT_EQ(row.m_wstrWide, WidenAnsiText(row.m_strNarrow));
        EXPECT_EQ(row.m_strNarrow, NarrowAnsiText(row.m_wstrWide));
        std::wstring wstr = L"sentinel";
        EXPECT_TRUE(TryWidenText(row.m_strNarrow, 0, wstr));
        EXPECT_EQ(row.m_wstrWide, wstr);
    }
    // What 1252 cannot hold comes back as its default character.
    EXPECT_EQ("?", NarrowAnsiText(L"\x0416"));
}

// Bytes that are no text in the code page never reach the program from a
// command line, which Windows hands over as UTF-16; other code pages show them.
TEST(AnsiText, RefusesBytesTheCodePageDoesNotDefine)
{
    const struct
    {
        const char* m_pszCase;
        unsigned int m_uCodePage;
        std::string m_strNarrow;
    } rows[] = {
        {"UTF-8, a lone continuation byte", 65001, "jane\x80@example.com"},
        {"UTF-8, a byte no sequence starts with", 65001, "\xFF@example.com"},
        {"932, a lead byte at the end", 932, "jane@example.com\x81"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        std::wstring wstr = L"sentinel";
        EXPECT_FALSE(TryWidenText(row.m_strNarrow, row.m_uCodePage, wstr));
        EXPECT_EQ(L"", wstr);
    }
}
#endif
} // namespace
