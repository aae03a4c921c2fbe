// Asks an emulator version which command-line forms it takes.
#pragma once

#include "emulator/emulator_forms.h"

#include <windows.h>

// The forms of version `versionIndex`, asking the emulator with
// "-showconfig" only when neither this session nor emulators.ini knows its
// answer: hidden, for at most a few seconds. Called only for a launch,
// never while the program starts. Setting the event `cancel` ends the
// question; the answer is then not kept.
const EmulatorForms& learnEmulatorForms(int versionIndex, HANDLE cancel = nullptr);
