#pragma once

// One run at a time for each user. A logon script and a deployment tool may
// start the program at the same logon; two runs for one profile would each
// take the other's work for an earlier run's leftovers, and mix their lines
// in the one step log. The lock is a named mutex of the user's, in the global
// namespace, since the user's console and remote sessions share HKCU.

#include <windows.h>

enum class ERunLock
{
    Taken,
    Busy,        // another run held it for the whole wait
    Unavailable, // no lock could be made: the run goes on without one
};

// How long a second run waits for the first: longer than any run that is not
// stuck takes. A test build may shorten it.
#ifndef QUILLMERE_RUN_LOCK_WAIT_MS
#define QUILLMERE_RUN_LOCK_WAIT_MS 120000
#endif

// A lock taken is the process's until it is gone: the run never gives it back
// itself, so Windows does only after MAPI32 has been unloaded and the output
// flushed, and the next run cannot start MAPI while this one's is still going
// away. Its handle is not closed either: a run that started in between would
// otherwise make a fresh mutex of the same name and take it at once.
ERunLock TakeRunLock(DWORD dwWait);
