// Loads "versions.ini" into the version table and the main window's version combo box, and edits it.
#pragma once

#include "emulator/versions_edit.h"

#include <windows.h>

// Returns -1 when the file cannot be opened (nothing is listed), else 0.
int loadVersions(HWND comboBox);

// The same in two steps: the table alone, then its names into `comboBox`.
int readVersionTable();
void listVersions(HWND comboBox);

// Empties `comboBox` and the table and loads the file again. What the
// program learned of each slot is recalled anew from emulators.ini.
void reloadVersions(HWND comboBox);

// The first listed version whose command starts the same program file as
// `command` with the same arguments, or -1. The programs are compared by
// the full paths that CreateProcess would start, as Windows compares file
// names: "C:\MAME\mame.exe", C:\MAME\mame.exe, c:\mame\MAME and a
// relative path to that file are one program.
int findSameCommand(const char* command);

// Tells the user, under `title`, when `versionIndex` names no listed
// emulator version; returns whether it names one.
bool checkVersionIndex(int versionIndex, const char* title);

enum class VersionsFileChange {
    done,
    refused,        // the edit itself was refused: see `edit`
    changedOutside, // the file no longer holds the record shown
    readOnly,       // the file is marked read-only
    tooLarge,       // the file is larger than any list of versions
    failed,         // reading or writing failed: see `error`
};

struct VersionsFileResult {
    VersionsFileChange change;
    VersionsEdit edit;
    DWORD error; // a system error code
};

// Appends `version` to the file, written whole through a temporary file.
// The file is left as it was unless `done`.
VersionsFileResult addVersionToFile(const NewVersion& version);

// Removes the record of slot `versionIndex`, when the file still holds it
// there; the same way.
VersionsFileResult removeVersionFromFile(int versionIndex);
