#pragma once

#include <windows.h>

// Deletes a key with its values and everything below it. A registry symbolic
// link is deleted as the link it is, wherever it stands in the tree: what it
// points to is not the program's to delete. False when something is left.
bool DeleteKeyTree(HKEY hParent, const char* pszSubkey);
