// The MAPI interface IDs the stand-in answers QueryInterface for, defined here
// once: no MinGW import library carries them.
#include <windows.h>

#include <initguid.h>

#define USES_IID_IMAPISession
#define USES_IID_IMAPITable
#define USES_IID_IProfAdmin
#define USES_IID_IMsgServiceAdmin
#define USES_IID_IMAPIProp
#define USES_IID_IProfSect
#include <mapiguid.h>
