// What the program learns, this session only, about the command-line forms each emulator version takes.
#include "emulator/emulator_forms.h"

EmulatorForms emulatorForms[kMaxVersions];
