#pragma once

// The address -e gives, checked before MAPI is touched: Outlook completes the
// profile from Autodiscover for this address alone, and an address that
// Autodiscover cannot use would leave a profile that opens nothing.

#include <string>

enum class ESmtpAddressFault
{
    None,
    BlankOrControl, // a space, a tab, or another control character
    NoAt,
    SeveralAts,
    EmptySide,      // nothing before or after the "@"
    TooLong,        // more than 254 bytes, the longest address SMTP carries
    NotInCodePage,  // bytes that are no text in the code page
};

// uCodePage: the code page the address was typed in, CP_ACP (0) for the ANSI one.
ESmtpAddressFault CheckSmtpAddress(const std::string& strAddress, unsigned int uCodePage);
// One line that tells the administrator what is wrong, ending in a newline.
const char* DescribeSmtpAddressFault(ESmtpAddressFault fault);
