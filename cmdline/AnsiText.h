#pragma once

// The command line's text is in the system's ANSI code page; MAPI's wide
// properties take UTF-16. The conversions between the two, so that a letter
// outside ASCII reaches MAPI as the letter that was typed.

#include <string>

// Bytes the code page has no character for become what Windows makes of them.
std::wstring WidenAnsiText(const std::string& strText);
// False, and nothing converted, when a byte sequence is not valid in the code
// page: CP_ACP (0) for the ANSI code page, or any other's number.
bool TryWidenText(const std::string& strText, unsigned int uCodePage, std::wstring& wstrText);
// A character the code page lacks comes out as its default character.
std::string NarrowAnsiText(const std::wstring& wstrText);
