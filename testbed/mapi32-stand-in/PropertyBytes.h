#pragma once

// A property's value as the registry keeps it: its bytes, in the layout the
// value has in memory (text with its terminator).

#include <windows.h>

#include <mapix.h>

#include <functional>
#include <string>

namespace standin
{
template <typename T>
std::string BytesOf(const T& value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof(value));
}

// Whether the registry can hold a property of this type.
bool IsStorableType(ULONG ulPropTag);
// False for a property whose value lies behind a pointer that is null.
bool PointsToValue(const SPropValue& prop);
std::string EncodeProperty(const SPropValue& prop);
// The property kept as strBytes, its pointers into memory fnAllocate gives;
// false when the bytes do not fit its type.
bool DecodeProperty(ULONG ulPropTag, const std::string& strBytes, const std::function<void*(size_t)>& fnAllocate,
                    SPropValue& prop);
} // namespace standin
