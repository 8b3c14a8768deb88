#include "profile/SmtpAddress.h"

#include <algorithm>

#include "cmdline/AnsiText.h"

namespace
{
constexpr size_t cbMaxAddress = 254;

bool IsBlankOrControl(char ch)
{
    const auto uch = static_cast<unsigned char>(ch);
    return uch <= 0x20 || uch == 0x7F;
}
} // namespace

ESmtpAddressFault CheckSmtpAddress(const std::string& strAddress, unsigned int uCodePage)
{
    if (std::any_of(strAddress.begin(), strAddress.end(), IsBlankOrControl))
        return ESmtpAddressFault::BlankOrControl;
    const size_t ichAt = strAddress.find('@');
    if (ichAt == std::string::npos)
        return ESmtpAddressFault::NoAt;
    if (strAddress.find('@', ichAt + 1) != std::string::npos)
        return ESmtpAddressFault::SeveralAts;
    if (ichAt == 0 || ichAt + 1 == strAddress.size())
        return ESmtpAddressFault::EmptySide;
    if (strAddress.size() > cbMaxAddress)
        return ESmtpAddressFault::TooLong;
    std::wstring wstrAddress;
    if (!TryWidenText(strAddress, uCodePage, wstrAddress))
        return ESmtpAddressFault::NotInCodePage;
    return ESmtpAddressFault::None;
}

const char* DescribeSmtpAddressFault(ESmtpAddressFault fault)
{
    switch (fault)
    {
    case ESmtpAddressFault::None: break;
    case ESmtpAddressFault::BlankOrControl:
        return "The SMTP address holds a space, a tab or another control character.\n";
    case ESmtpAddressFault::NoAt: return "The SMTP address has no \"@\".\n";
    case ESmtpAddressFault::SeveralAts: return "The SMTP address has more than one \"@\".\n";
    case ESmtpAddressFault::EmptySide: return "The SMTP address needs text before and after its \"@\".\n";
    case ESmtpAddressFault::TooLong: return "The SMTP address is longer than 254 bytes.\n";
    case ESmtpAddressFault::NotInCodePage: return "The SMTP address is not text in the ANSI code page.\n";
    }
    return "";
}
