// The "Add MAME version" dialog, and the main window's "Add..." and "Remove" of emulator versions.
#pragma once

#include <windows.h>

// Lets the player choose an emulator's program, asks it what it is, lets
// the player name it and appends it to versions.ini, then loads the
// versions again into the combo box `versions`. Returns the new version's
// index, or -1 when nothing was added (the player was told why).
int addEmulatorVersion(HWND owner, HWND versions);

// Asks the player whether to remove version `versionIndex` and removes it
// from versions.ini, then loads the versions again into `versions`. Returns
// whether they were loaded again (also when the file had been changed
// outside the program, and so was left alone).
bool removeEmulatorVersion(HWND owner, HWND versions, int versionIndex);
