// Asking an emulator a question: run hidden, its answer in a file of the program's own, for a limited time.
#pragma once

#include <windows.h>

#include <vector>

struct EmulatorAnswer {
    bool started;           // the program could be started
    DWORD startError;       // why not, when it could not
    bool ended;             // it ended by itself within the time limit
    DWORD exitCode;         // its exit code, when it ended
    std::vector<char> text; // what it wrote on its standard output, up to 256 KiB
};

// A word that goes on a command line as it is: letters, digits, "_", "-"
// and "."; any other character could reshape the line.
bool isPlainWord(const char* text);

// Runs `command` followed by a blank and `question` without a window or a
// console, its standard output in `answerFile` (deleted afterwards), and
// ends it after `limitMs`.
EmulatorAnswer askEmulator(const char* command, const char* question, const char* answerFile, DWORD limitMs);
