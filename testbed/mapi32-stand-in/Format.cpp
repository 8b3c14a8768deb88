#include "testbed/mapi32-stand-in/Format.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <type_traits>

namespace standin
{
namespace
{
struct CStatusName
{
    HRESULT m_hr;
    const char* m_pszName;
};

constexpr CStatusName g_rgStatusNames[] = {
    {S_OK, "S_OK"},
    {MAPI_W_ERRORS_RETURNED, "MAPI_W_ERRORS_RETURNED"},
    {MAPI_E_CALL_FAILED, "MAPI_E_CALL_FAILED"},
    {MAPI_E_NOT_ENOUGH_MEMORY, "MAPI_E_NOT_ENOUGH_MEMORY"},
    {MAPI_E_INVALID_PARAMETER, "MAPI_E_INVALID_PARAMETER"},
    {MAPI_E_INTERFACE_NOT_SUPPORTED, "MAPI_E_INTERFACE_NOT_SUPPORTED"},
    {MAPI_E_NO_ACCESS, "MAPI_E_NO_ACCESS"},
    {MAPI_E_NO_SUPPORT, "MAPI_E_NO_SUPPORT"},
    {MAPI_E_BAD_CHARWIDTH, "MAPI_E_BAD_CHARWIDTH"},
    {MAPI_E_NOT_FOUND, "MAPI_E_NOT_FOUND"},
    {MAPI_E_LOGON_FAILED, "MAPI_E_LOGON_FAILED"},
    {MAPI_E_NETWORK_ERROR, "MAPI_E_NETWORK_ERROR"},
    {MAPI_E_USER_CANCEL, "MAPI_E_USER_CANCEL"},
    {MAPI_E_UNCONFIGURED, "MAPI_E_UNCONFIGURED"},
    {MAPI_E_TABLE_TOO_BIG, "MAPI_E_TABLE_TOO_BIG"},
    {MAPI_E_NOT_INITIALIZED, "MAPI_E_NOT_INITIALIZED"},
    {MAPI_E_END_OF_SESSION, "MAPI_E_END_OF_SESSION"},
};

std::string Printf(const char* pszFormat, unsigned long long ullValue)
{
    char szBuffer[32];
    snprintf(szBuffer, sizeof(szBuffer), pszFormat, ullValue);
    return szBuffer;
}

template <typename TChar>
std::string FormatQuoted(const char* pszPrefix, const TChar* pText, size_t cch, const char* pszEscape)
{
    std::string strOut = pszPrefix;
    strOut += '"';
    for (size_t i = 0; i < cch; ++i)
    {
        const auto uch = static_cast<std::make_unsigned_t<TChar>>(pText[i]);
        if (uch == '"' || uch == '\\')
            strOut.append(1, '\\').append(1, static_cast<char>(uch));
        else if (uch < 0x20 || uch >= 0x7F)
            strOut += Printf(pszEscape, uch);
        else
            strOut += static_cast<char>(uch);
    }
    return strOut + '"';
}
} // namespace

std::string FormatHex(ULONG ulValue)
{
    return Printf("0x%08llX", ulValue);
}

std::string FormatPointer(ULONG_PTR ulValue)
{
    return Printf("0x%llX", ulValue);
}

std::string FormatStatus(HRESULT hr)
{
    std::string strOut = FormatHex(static_cast<ULONG>(hr));
    for (const CStatusName& status : g_rgStatusNames)
        if (status.m_hr == hr)
            strOut.append(" ").append(status.m_pszName);
    return strOut;
}

std::string FormatStringA(LPCSTR pszText)
{
    return pszText ? FormatQuoted("", pszText, strlen(pszText), "\\x%02llX") : "null";
}

std::string FormatStringW(LPCWSTR pwzText)
{
    return pwzText ? FormatQuoted("L", pwzText, wcslen(pwzText), "\\u%04llX") : "null";
}

std::string FormatBytes(const BYTE* pb, size_t cb)
{
    if (!pb && cb)
        return "<null>";
    std::string strOut = "<";
    for (size_t i = 0; i < cb; ++i)
        strOut += Printf("%02llX", pb[i]);
    return strOut + ">";
}

std::string FormatPropValue(const SPropValue& prop)
{
    switch (PROP_TYPE(prop.ulPropTag))
    {
    case PT_I2:
        return std::to_string(prop.Value.i);
    case PT_LONG:
        return FormatHex(prop.Value.ul);
    case PT_BOOLEAN:
        return prop.Value.b == 1 ? "true" : prop.Value.b == 0 ? "false" : Printf("0x%04llX", prop.Value.b);
    case PT_I8:
    case PT_SYSTIME:
        return Printf("0x%016llX", static_cast<unsigned long long>(prop.Value.li.QuadPart));
    case PT_STRING8:
        return FormatStringA(prop.Value.lpszA);
    case PT_UNICODE:
        return FormatStringW(prop.Value.lpszW);
    case PT_BINARY:
        return FormatBytes(prop.Value.bin.lpb, prop.Value.bin.cb);
    case PT_CLSID:
        return FormatBytes(reinterpret_cast<const BYTE*>(prop.Value.lpguid), prop.Value.lpguid ? sizeof(GUID) : 0);
    case PT_ERROR:
        return "error " + FormatStatus(prop.Value.err);
    case PT_NULL:
        return "null";
    default:
        return "?";
    }
}

std::string FormatProp(const SPropValue& prop)
{
    return FormatHex(prop.ulPropTag) + " " + FormatPropValue(prop);
}

std::string FormatProps(ULONG cValues, const SPropValue* pProps)
{
    if (!pProps)
        return "null";
    std::string strOut = "[";
    for (ULONG i = 0; i < cValues; ++i)
        strOut.append(i ? ", " : "").append(FormatProp(pProps[i]));
    return strOut + "]";
}

std::string FormatTags(const SPropTagArray* pTags)
{
    if (!pTags)
        return "null";
    std::string strOut = "[";
    for (ULONG i = 0; i < pTags->cValues; ++i)
        strOut.append(i ? ", " : "").append(FormatHex(pTags->aulPropTag[i]));
    return strOut + "]";
}

std::string FormatStoredValue(ULONG ulPropTag, const std::string& strBytes)
{
    // The registry's bytes, copied to an aligned buffer the union can point into.
    std::wstring wstrCopy((strBytes.size() + 1) / sizeof(wchar_t) + 1, L'\0');
    memcpy(&wstrCopy[0], strBytes.data(), strBytes.size());
    const void* pData = wstrCopy.data();
    const size_t cb = strBytes.size();

    SPropValue prop = {};
    prop.ulPropTag = ulPropTag;
    switch (PROP_TYPE(ulPropTag))
    {
    case PT_STRING8:
        prop.Value.lpszA = static_cast<LPSTR>(const_cast<void*>(pData));
        break;
    case PT_UNICODE:
        prop.Value.lpszW = static_cast<LPWSTR>(const_cast<void*>(pData));
        break;
    case PT_BINARY:
        prop.Value.bin.cb = static_cast<ULONG>(cb);
        prop.Value.bin.lpb = static_cast<LPBYTE>(const_cast<void*>(pData));
        break;
    case PT_CLSID:
        if (cb != sizeof(GUID))
            return "bad size " + FormatBytes(static_cast<const BYTE*>(pData), cb);
        prop.Value.lpguid = static_cast<LPGUID>(const_cast<void*>(pData));
        break;
    default:
    {
        const size_t cbExpected = PROP_TYPE(ulPropTag) == PT_I2 || PROP_TYPE(ulPropTag) == PT_BOOLEAN ? 2
                                  : PROP_TYPE(ulPropTag) == PT_LONG                                    ? 4
                                                                                                       : 8;
        if (cb != cbExpected)
            return "bad size " + FormatBytes(static_cast<const BYTE*>(pData), cb);
        memcpy(&prop.Value, pData, cb);
    }
    }
    return FormatPropValue(prop);
}

std::string FormatSectionName(const MAPIUID& uid)
{
    std::string strOut;
    for (BYTE b : uid.ab)
        strOut += Printf("%02llx", b);
    return strOut;
}

std::string FormatPropValueName(ULONG ulPropTag)
{
    return Printf("%04llx", PROP_TYPE(ulPropTag)) + Printf("%04llx", PROP_ID(ulPropTag));
}
} // namespace standin
