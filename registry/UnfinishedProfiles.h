#pragma once

// The profiles a run created and did not finish: one that was killed, or one
// that failed and could not delete what it had made. Such a profile is no
// profile anyone set up, and the next run for it replaces it rather than
// taking it for done. Kept under HKCU\Software\Quillmere\Unfinished, one
// value a profile, named by the profile.

bool IsProfileUnfinished(const char* pszProfile);
void MarkProfileUnfinished(const char* pszProfile);
// The key goes with its last value, so that a run that ends well leaves the
// record as it found it.
void ClearProfileUnfinished(const char* pszProfile);
