// The working folder, where the program keeps every file of its own: one copy at a time, and writable.
#pragma once

#include <windows.h>

// Claims the working folder for this copy of the program. False when another
// copy already runs in it: that copy's main window is then brought to the
// front (restored if minimized), unless it is hidden while an emulator runs
// or the list is built, and nothing else is done. Copies in other folders
// run side by side. Touches no file.
bool claimWorkingFolder();

// Tells later copies which window to bring to the front.
void announceMainWindow(HWND window);

// True when a file can be created in the working folder. Otherwise tells the
// user where the program must be moved, and returns false.
bool checkWorkingFolderWritable();

// Tells the user that the options could not be saved, and why (`error`, a
// system error code).
void reportSettingsNotSaved(DWORD error);
