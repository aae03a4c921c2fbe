// Loads "versions.ini" into the version table and the main window's version combo box.
#pragma once

#include <windows.h>

// Returns -1 when the file cannot be opened (nothing is listed), else 0.
int loadVersions(HWND comboBox);

// Tells the user, under `title`, when `versionIndex` names no listed
// emulator version; returns whether it names one.
bool checkVersionIndex(int versionIndex, const char* title);
