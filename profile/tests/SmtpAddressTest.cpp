// The address -e gives, against each rule it must keep, before MAPI is
// touched. Under Wine the ANSI code page is 1252, where every byte is text:
// bytes that are none show under other code pages.

#include "profile/SmtpAddress.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace
{
TEST(SmtpAddress, EachRuleOfTheAddress)
{
    const std::string strLocal242(242, 'a');
    const struct
    {
        const char* m_pszCase;
        std::string m_strAddress;
        UINT m_uCodePage;
        ESmtpAddressFault m_expected;
    } rows[] = {
        {"plain", "jane.doe@example.com", CP_ACP, ESmtpAddressFault::None},
        {"a letter of the code page", "j\xF6rg@example.com", CP_ACP, ESmtpAddressFault::None},
        {"254 bytes", strLocal242 + "@example.com", CP_ACP, ESmtpAddressFault::None},
        {"255 bytes", strLocal242 + "a@example.com", CP_ACP, ESmtpAddressFault::TooLong},
        {"no @", "jane.example.com", CP_ACP, ESmtpAddressFault::NoAt},
        {"two @", "jane@doe@example.com", CP_ACP, ESmtpAddressFault::SeveralAts},
        {"nothing before @", "@example.com", CP_ACP, ESmtpAddressFault::EmptySide},
        {"nothing after @", "jane@", CP_ACP, ESmtpAddressFault::EmptySide},
        {"a space", "jane doe@example.com", CP_ACP, ESmtpAddressFault::BlankOrControl},
        {"a tab", "jane@example.com\t", CP_ACP, ESmtpAddressFault::BlankOrControl},
        {"a control character", "jane@exa\x1Fmple.com", CP_ACP, ESmtpAddressFault::BlankOrControl},
        {"DEL", "jane@example.com\x7F", CP_ACP, ESmtpAddressFault::BlankOrControl},
        {"UTF-8, a letter", "j\xC3\xB6rg@example.com", CP_UTF8, ESmtpAddressFault::None},
        {"UTF-8, a sequence cut short", "j\xC3rg@example.com", CP_UTF8, ESmtpAddressFault::NotInCodePage},
        {"932, a lead byte without its trail", "jane@example.com\x81", 932, ESmtpAddressFault::NotInCodePage},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        EXPECT_EQ(static_cast<int>(row.m_expected), static_cast<int>(CheckSmtpAddress(row.m_strAddress, row.m_uCodePage)));
    }
}
} // namespace
