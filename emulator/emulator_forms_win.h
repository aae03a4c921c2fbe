// Asks an emulator version which command-line forms it takes.
#pragma once

#include "emulator/emulator_forms.h"

// The forms of version `versionIndex`, asking the emulator with
// "-showconfig" the first time this session: hidden, for at most a few
// seconds. Called only for a launch, never while the program starts.
const EmulatorForms& learnEmulatorForms(int versionIndex);
