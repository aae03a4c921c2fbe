// Keeps what the program learns of each emulator in "emulators.ini", so that a start asks it nothing twice.
#pragma once

// Gives version `versionIndex` what emulators.ini knows of its emulator,
// when the entry is for the same command and the same program file (size
// and last-write time); nothing when the file is missing, unreadable or
// damaged, or the entry is stale. Once a session per version; what this
// session has learned already stays.
void recallEmulatorForms(int versionIndex);

// Stores what has been learned of version `versionIndex`, when that is
// new, by writing the whole file anew beside it and moving it into place.
// Failures are silent: the program is then as it was without the file.
void rememberEmulatorForms(int versionIndex);

// Forgets what this session holds of each slot of the version table, for a
// table read anew: each slot is recalled again at its next use.
void forgetVersionSlots();

// Keeps the version that `versionIndex`'s "-help" banner names.
void rememberHelpVersion(int versionIndex, const char* versionId);

// The size and last-write time of the program file that `command` runs,
// found as CreateProcess finds it; false when there is none. It touches
// nothing shared: any thread may ask.
bool emulatorProgramFile(const char* command, unsigned long long& size, unsigned long long& written);
