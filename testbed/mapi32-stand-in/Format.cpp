#include "testbed/mapi32-stand-in/Format.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <type_traits>

#include "testbed/mapi32-stand-in/PropertyBytes.h"

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
    {MAPI_E_UNKNOWN_FLAGS, "MAPI_E_UNKNOWN_FLAGS"},
    {MAPI_E_OBJECT_DELETED, "MAPI_E_OBJECT_DELETED"},
    {MAPI_E_INVALID_TYPE, "MAPI_E_INVALID_TYPE"},
    {MAPI_E_CORRUPT_DATA, "MAPI_E_CORRUPT_DATA"},
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

std::string FormatHexDigits(const BYTE* pb, size_t cb)
{
    std::string strOut;
    for (size_t i = 0; i < cb; ++i)
        strOut += Printf("%02llX", pb[i]);
    return strOut;
}

// The name of the UID that begins with the cb bytes given.
const std::string* FindUidName(const CUidNames& names, const BYTE* pb, size_t cb = sizeof(MAPIUID))
{
    for (const auto& [uid, strName] : names)
        if (memcmp(uid.ab, pb, cb) == 0)
            return &strName;
    return nullptr;
}

std::string FormatBinary(const BYTE* pb, size_t cb, const CUidNames* pNames)
{
    if (!pb && cb)
        return "<null>";
    std::string strNamed;
    size_t ib = 0;
    while (pNames && ib + sizeof(MAPIUID) <= cb)
    {
        const std::string* pstrName = FindUidName(*pNames, pb + ib);
        if (!pstrName)
            break;
        strNamed += "{" + *pstrName + "}";
        ib += sizeof(MAPIUID);
    }
    // A UID cut short, as a test may have GetProps give it, by name too.
    const std::string* pstrCut = pNames && ib < cb && cb - ib < sizeof(MAPIUID) ? FindUidName(*pNames, pb + ib, cb - ib)
                                                                              : nullptr;
    if (pstrCut)
        return "<" + strNamed + "{" + *pstrCut + ", first " + std::to_string(cb - ib) + " bytes}>";
    return "<" + strNamed + FormatHexDigits(pb + ib, cb - ib) + ">";
}
} // namespace

std::string FormatIid(REFIID riid)
{
    char szIid[40];
    snprintf(szIid, sizeof(szIid), "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", riid.Data1, riid.Data2,
             riid.Data3, riid.Data4[0], riid.Data4[1], riid.Data4[2], riid.Data4[3], riid.Data4[4], riid.Data4[5],
             riid.Data4[6], riid.Data4[7]);
    return szIid;
}

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
    return FormatBinary(pb, cb, nullptr);
}

std::string FormatPropValue(const SPropValue& prop, const CUidNames* pNames)
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
        return FormatBinary(prop.Value.bin.lpb, prop.Value.bin.cb, pNames);
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

std::string FormatProp(const SPropValue& prop, const CUidNames* pNames)
{
    return FormatHex(prop.ulPropTag) + " " + FormatPropValue(prop, pNames);
}

std::string FormatProps(ULONG cValues, const SPropValue* pProps, const CUidNames* pNames)
{
    if (!pProps)
        return "null";
    std::string strOut = "[";
    for (ULONG i = 0; i < cValues; ++i)
        strOut.append(i ? ", " : "").append(FormatProp(pProps[i], pNames));
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

std::string FormatStoredValue(ULONG ulPropTag, const std::string& strBytes, const CUidNames* pNames)
{
    std::vector<std::unique_ptr<std::max_align_t[]>> vecStorage;
    const auto Allocate = [&](size_t cb) -> void* {
        vecStorage.emplace_back(new std::max_align_t[cb / sizeof(std::max_align_t) + 1]);
        return vecStorage.back().get();
    };
    SPropValue prop = {};
    if (!DecodeProperty(ulPropTag, strBytes, Allocate, prop))
        return "bad size " + FormatBytes(reinterpret_cast<const BYTE*>(strBytes.data()), strBytes.size());
    return FormatPropValue(prop, pNames);
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
