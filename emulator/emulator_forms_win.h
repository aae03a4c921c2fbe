// Asks an emulator version which command-line forms it takes.
#pragma once

#include "emulator/emulator_forms.h"

// The forms of version `versionIndex`, asking the emulator with
// "-showconfig" only when neither this session nor emulators.ini knows its
// answer: hidden, for at most a few seconds. Called only for a launch,
// never while the program starts.
const EmulatorForms& learnEmulatorForms(int versionIndex);
