#pragma once

// The text forms the journal and the dump tool print. Each is stable and pure
// ASCII, so that tests can compare whole lines.

#include <windows.h>

#include <mapix.h>

#include <string>
#include <utility>
#include <vector>

namespace standin
{
// Names for section UIDs ("1:MSEMS/EMSMDB"): a binary value made of them
// prints the same in every run, though the UIDs are random.
using CUidNames = std::vector<std::pair<MAPIUID, std::string>>;

std::string FormatHex(ULONG ulValue);       // 0x0000ABCD
std::string FormatPointer(ULONG_PTR ulValue); // 0xABCD, 0x0
std::string FormatStatus(HRESULT hr);        // 0x8004010F MAPI_E_NOT_FOUND
std::string FormatStringA(LPCSTR pszText);   // "text", null
std::string FormatStringW(LPCWSTR pwzText);  // L"text", null
std::string FormatIid(REFIID riid);          // {00020304-0000-0000-C000-000000000046}
std::string FormatBytes(const BYTE* pb, size_t cb); // <0A1B>
// Binary values that begin with named UIDs show them by name: <{1:MSEMS/store}0A1B>.
std::string FormatPropValue(const SPropValue& prop, const CUidNames* pNames = nullptr);
std::string FormatProp(const SPropValue& prop, const CUidNames* pNames = nullptr); // 0x6608001E "text"
std::string FormatProps(ULONG cValues, const SPropValue* pProps, const CUidNames* pNames = nullptr);
std::string FormatTags(const SPropTagArray* pTags);
// A property kept in the registry as bytes, in the same form as FormatPropValue.
std::string FormatStoredValue(ULONG ulPropTag, const std::string& strBytes, const CUidNames* pNames = nullptr);

// Registry names: a section as 32 lower-case hex digits, a property as its
// tag's type and then its ID ("001e6608").
std::string FormatSectionName(const MAPIUID& uid);
std::string FormatPropValueName(ULONG ulPropTag);
} // namespace standin
