#include "testbed/mapi32-stand-in/PropertyBytes.h"

#include <cstring>
#include <cwchar>

namespace standin
{
bool IsStorableType(ULONG ulPropTag)
{
    switch (PROP_TYPE(ulPropTag))
    {
    case PT_I2:
    case PT_LONG:
    case PT_BOOLEAN:
    case PT_I8:
    case PT_SYSTIME:
    case PT_CLSID:
    case PT_STRING8:
    case PT_UNICODE:
    case PT_BINARY:
        return true;
    default:
        return false;
    }
}

bool PointsToValue(const SPropValue& prop)
{
    switch (PROP_TYPE(prop.ulPropTag))
    {
    case PT_STRING8:
        return prop.Value.lpszA != nullptr;
    case PT_UNICODE:
        return prop.Value.lpszW != nullptr;
    case PT_BINARY:
        return prop.Value.bin.lpb != nullptr || prop.Value.bin.cb == 0;
    case PT_CLSID:
        return prop.Value.lpguid != nullptr;
    default:
        return true;
    }
}

std::string EncodeProperty(const SPropValue& prop)
{
    switch (PROP_TYPE(prop.ulPropTag))
    {
    case PT_I2:
        return BytesOf(prop.Value.i);
    case PT_LONG:
        return BytesOf(prop.Value.l);
    case PT_BOOLEAN:
        return BytesOf(prop.Value.b);
    case PT_I8:
    case PT_SYSTIME:
        return BytesOf(prop.Value.li);
    case PT_CLSID:
        return prop.Value.lpguid ? BytesOf(*prop.Value.lpguid) : std::string();
    case PT_STRING8:
        return prop.Value.lpszA ? std::string(prop.Value.lpszA, strlen(prop.Value.lpszA) + 1) : std::string();
    case PT_UNICODE:
        return prop.Value.lpszW ? std::string(reinterpret_cast<const char*>(prop.Value.lpszW),
                                              (wcslen(prop.Value.lpszW) + 1) * sizeof(WCHAR))
                                : std::string();
    case PT_BINARY:
        return std::string(reinterpret_cast<const char*>(prop.Value.bin.lpb), prop.Value.bin.cb);
    default:
        return std::string();
    }
}

bool DecodeProperty(ULONG ulPropTag, const std::string& strBytes, const std::function<void*(size_t)>& fnAllocate,
                    SPropValue& prop)
{
    const size_t cb = strBytes.size();
    // Zeroed past the bytes: text that lost its terminator still ends.
    const auto Copy = [&]() -> void* {
        void* pv = fnAllocate(cb + sizeof(WCHAR));
        if (pv)
        {
            memset(pv, 0, cb + sizeof(WCHAR));
            memcpy(pv, strBytes.data(), cb);
        }
        return pv;
    };
    prop.ulPropTag = ulPropTag;
    prop.dwAlignPad = 0;
    switch (PROP_TYPE(ulPropTag))
    {
    case PT_STRING8:
        prop.Value.lpszA = static_cast<LPSTR>(Copy());
        return prop.Value.lpszA != nullptr;
    case PT_UNICODE:
        prop.Value.lpszW = static_cast<LPWSTR>(Copy());
        return prop.Value.lpszW != nullptr;
    case PT_BINARY:
        prop.Value.bin.cb = static_cast<ULONG>(cb);
        prop.Value.bin.lpb = static_cast<LPBYTE>(Copy());
        return prop.Value.bin.lpb != nullptr;
    case PT_CLSID:
        prop.Value.lpguid = cb == sizeof(GUID) ? static_cast<LPGUID>(Copy()) : nullptr;
        return prop.Value.lpguid != nullptr;
    default:
    {
        const size_t cbExpected = PROP_TYPE(ulPropTag) == PT_I2 || PROP_TYPE(ulPropTag) == PT_BOOLEAN ? 2
                                  : PROP_TYPE(ulPropTag) == PT_LONG                                    ? 4
                                                                                                       : 8;
        memset(&prop.Value, 0, sizeof(prop.Value));
        if (cb != cbExpected)
            return false;
        memcpy(&prop.Value, strBytes.data(), cb);
        return true;
    }
    }
}
} // namespace standin
