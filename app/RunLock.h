#pragma once

// One run at a time for each user. A logon script and a deployment tool may
// start the program at the same logon; two runs for one profile would each
// take the other's work for an earlier run's leftovers, and mix their lines
// in the one step log. The lock is a named mutex of the user's, in the global
// namespace, since the user's console and remote sessions share HKCU.

#include <windows.h>

#include <memory>

// Gives the lock back when the run ends; Windows hands a lock that a killed
// run held to the next run that waits for it.
struct CRunLockReleaser
{
    void operator()(HANDLE hMutex) const
    {
        ReleaseMutex(hMutex);
        CloseHandle(hMutex);
    }
};
using CRunLock = std::unique_ptr<void, CRunLockReleaser>;

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

ERunLock TakeRunLock(CRunLock& lock, DWORD dwWait);
