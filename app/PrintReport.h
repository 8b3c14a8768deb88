#pragma once

// Formatted printing to standard output that hands over what it printed at
// once. Windows' C runtime buffers a redirected standard output whole (it
// takes line buffering for full buffering too), so a run that a deployment
// tool kills while MAPI hangs would leave its log without the very lines
// that say how far it came. Whatever ends with a call of this reaches the
// output before the next step starts.

#include <cstdarg>
#include <cstdio>

#ifdef __MINGW_PRINTF_FORMAT
__attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)))
#endif
inline void PrintReport(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    vprintf(pszFormat, args);
    va_end(args);
    fflush(stdout);
}
