// Asks a program that the player chose whether it is MAME, and which version.
#pragma once

#include "emulator/versions.h"

#include <windows.h>

enum class HelpAnswer {
    mame,       // it printed MAME's banner
    notStarted, // it could not be started: `detail` is the system error
    noAnswer,   // it did not end within the time limit, and was ended
    tooLong,    // it printed more than an answer holds, and was ended
    crashed,    // it ended abnormally: `detail` is the exception code
    noBanner,   // it ended without MAME's banner: `detail` is its exit code
};

struct EmulatorIdentity {
    HelpAnswer answer;
    DWORD detail;
    char versionId[sizeof(EmulatorVersion::versionId)]; // when mame
};

// Runs `command` once with "-help", hidden, its answer in a file of the
// program's own. Never without arguments: old MAMEs then show a message
// box, and newer ones open their own menu and wait. Setting the event
// `cancel` ends the question.
EmulatorIdentity identifyEmulator(const char* command, HANDLE cancel = nullptr);
