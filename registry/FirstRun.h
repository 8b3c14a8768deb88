#pragma once

// Deletes the values that make Outlook 2002, 2003 and 2010 start with their
// first-run wizard. Keys that are absent stay absent.
void SuppressFirstRun();
