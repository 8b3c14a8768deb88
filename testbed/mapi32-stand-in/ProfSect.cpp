// The sections of a profile beside a service's own.

#include "testbed/mapi32-stand-in/ProfSect.h"

#include <ntsecapi.h>

#include "testbed/mapi32-stand-in/StandInControl.h"

namespace standin
{
namespace
{
bool GenerateUid(MAPIUID& uid)
{
    return RtlGenRandom(&uid, sizeof(uid)) != FALSE;
}

SPropValue MakeUidProp(ULONG ulPropTag, MAPIUID& uid)
{
    SPropValue prop = {};
    prop.ulPropTag = ulPropTag;
    prop.Value.bin.cb = sizeof(uid.ab);
    prop.Value.bin.lpb = uid.ab;
    return prop;
}
} // namespace

bool AddProviderSections(const std::string& strProfile, const CService& service)
{
    if (service.m_strName != "MSEMS")
        return true;
    MAPIUID uidEmsmdb = {};
    MAPIUID uidStore = {};
    const SPropValue propEmsmdb = MakeUidProp(PR_EMSMDB_SECTION_UID, uidEmsmdb);
    const SPropValue propStore = MakeUidProp(PR_STORE_PROVIDERS, uidStore);
    return GenerateUid(uidEmsmdb) && GenerateUid(uidStore) &&
           AddProviderSection(strProfile, service.m_uid, uidEmsmdb, szSectionEmsmdb) &&
           AddProviderSection(strProfile, service.m_uid, uidStore, szSectionStore) &&
           WriteProperty(strProfile, service.m_uid, propEmsmdb) && WriteProperty(strProfile, uidEmsmdb, propStore);
}
} // namespace standin
