#pragma once

#include <mapidefs.h>

// A SizedSPropTagArray as the LPSPropTagArray MAPI's functions take; they
// never write through it.
template <typename TSizedTagArray>
LPSPropTagArray AsTagArray(const TSizedTagArray& tags)
{
    return const_cast<LPSPropTagArray>(reinterpret_cast<const SPropTagArray*>(&tags));
}
