#pragma once

// The text forms the journal and the dump tool print. Each is stable and pure
// ASCII, so that tests can compare whole lines.

#include <windows.h>

#include <mapix.h>

#include <string>

namespace standin
{
std::string FormatHex(ULONG ulValue);       // 0x0000ABCD
std::string FormatPointer(ULONG_PTR ulValue); // 0xABCD, 0x0
std::string FormatStatus(HRESULT hr);        // 0x8004010F MAPI_E_NOT_FOUND
std::string FormatStringA(LPCSTR pszText);   // "text", null
std::string FormatStringW(LPCWSTR pwzText);  // L"text", null
std::string FormatBytes(const BYTE* pb, size_t cb); // <0A1B>
std::string FormatPropValue(const SPropValue& prop);
std::string FormatProp(const SPropValue& prop); // 0x6608001E "text"
std::string FormatProps(ULONG cValues, const SPropValue* pProps);
std::string FormatTags(const SPropTagArray* pTags);
// A property kept in the registry as bytes, in the same form as FormatPropValue.
std::string FormatStoredValue(ULONG ulPropTag, const std::string& strBytes);

// Registry names: a section as 32 lower-case hex digits, a property as its
// tag's type and then its ID ("001e6608").
std::string FormatSectionName(const MAPIUID& uid);
std::string FormatPropValueName(ULONG ulPropTag);
} // namespace standin
