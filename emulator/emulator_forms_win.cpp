// Asks an emulator version which command-line forms it takes.
#include "emulator/emulator_forms_win.h"

#include "common/program_files.h"
#include "emulator/emulator_run_win.h"
#include "emulator/known_emulators_win.h"

const EmulatorForms& learnEmulatorForms(int versionIndex, HANDLE cancel)
{
    recallEmulatorForms(versionIndex);
    EmulatorForms& forms = emulatorForms[versionIndex];
    if (!forms.configAsked) {
        // MAME 0.251 answers with 404 lines, about 15 KB, within a second.
        EmulatorAnswer answer =
            askEmulator(versionTable[versionIndex].command, "-showconfig", kConfigAnswerFile, cancel);
        // A question broken off says nothing of the emulator: it is asked again.
        if (answer.cancelled)
            return forms;
        forms.config = answer.started ? readConfigAnswer(answer.text.data(), answer.text.size())
                                      : ConfigAnswer{false, false, false, false, false};
        // The answer holds for good when the emulator ran and ended by itself.
        forms.configKept = answer.ended;
        forms.configAsked = true;
        rememberEmulatorForms(versionIndex);
    }
    return forms;
}
