// The second floor: a program that does nothing but loads the DLLs
// Quillmere.exe imports, so that what is left above it is Quillmere's own work.
#include <windows.h>

#include <process.h>

int main()
{
    // One harmless call into each DLL keeps it imported, whatever the C
    // runtime's startup happens to need.
    const DWORD dwProcessId = GetCurrentProcessId();
    const DWORD cbSid = GetSidLengthRequired(1);
    const int nProcessId = _getpid();
    return dwProcessId == static_cast<DWORD>(nProcessId) && cbSid > 0 ? 0 : 1;
}
