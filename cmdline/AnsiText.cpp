#include "cmdline/AnsiText.h"

#ifdef _WIN32
#include <windows.h>

#include <climits>

namespace
{
bool Widen(const std::string& strText, UINT uCodePage, DWORD dwFlags, std::wstring& wstrText)
{
    wstrText.clear();
    if (strText.empty())
        return true;
    if (strText.size() > static_cast<size_t>(INT_MAX))
        return false;
    const int cchText = static_cast<int>(strText.size());
    const int cwch = MultiByteToWideChar(uCodePage, dwFlags, strText.data(), cchText, nullptr, 0);
    if (cwch <= 0)
        return false;
    wstrText.resize(static_cast<size_t>(cwch));
    return MultiByteToWideChar(uCodePage, dwFlags, strText.data(), cchText, &wstrText[0], cwch) == cwch;
}
} // namespace

std::wstring WidenAnsiText(const std::string& strText)
{
    std::wstring wstrText;
    Widen(strText, CP_ACP, 0, wstrText);
    return wstrText;
}

bool TryWidenText(const std::string& strText, unsigned int uCodePage, std::wstring& wstrText)
{
    if (Widen(strText, uCodePage, MB_ERR_INVALID_CHARS, wstrText))
        return true;
    wstrText.clear();
    return false;
}

std::string NarrowAnsiText(const std::wstring& wstrText)
{
    std::string strText;
    if (wstrText.empty() || wstrText.size() > static_cast<size_t>(INT_MAX))
        return strText;
    const int cwchText = static_cast<int>(wstrText.size());
    const int cch = WideCharToMultiByte(CP_ACP, 0, wstrText.data(), cwchText, nullptr, 0, nullptr, nullptr);
    if (cch <= 0)
        return strText;
    strText.resize(static_cast<size_t>(cch));
    WideCharToMultiByte(CP_ACP, 0, wstrText.data(), cwchText, &strText[0], cch, nullptr, nullptr);
    return strText;
}
#else
// Built natively only for the fuzzer and the sanitizers, where no ANSI code
// page exists: there each byte stands for the Latin-1 character of its value.
std::wstring WidenAnsiText(const std::string& strText)
{
    std::wstring wstrText;
    for (char ch : strText)
        wstrText.push_back(static_cast<wchar_t>(static_cast<unsigned char>(ch)));
    return wstrText;
}

bool TryWidenText(const std::string& strText, unsigned int, std::wstring& wstrText)
{
    wstrText = WidenAnsiText(strText);
    return true;
}

std::string NarrowAnsiText(const std::wstring& wstrText)
{
    std::string strText;
    for (wchar_t wch : wstrText)
        strText.push_back(wch <= 0xFF ? static_cast<char>(wch) : '?');
    return strText;
}
#endif
