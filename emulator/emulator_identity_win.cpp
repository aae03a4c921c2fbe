// Asks a program that the player chose whether it is MAME, and which version.
#include "emulator/emulator_identity_win.h"

#include "common/program_files.h"
#include "emulator/emulator_answers.h"
#include "emulator/emulator_run_win.h"

namespace {

// Exception codes (NTSTATUS errors) are what a crashed program exits with.
bool isExceptionCode(DWORD code)
{
    return code >= 0xC0000000u;
}

} // namespace

EmulatorIdentity identifyEmulator(const char* command, HANDLE cancel)
{
    EmulatorIdentity identity{HelpAnswer::mame, 0, ""};
    EmulatorAnswer answer = askEmulator(command, "-help", kHelpAnswerFile, cancel);
    if (!answer.started)
        identity = {HelpAnswer::notStarted, answer.startError, ""};
    else if (answer.tooLong)
        identity = {HelpAnswer::tooLong, 0, ""};
    else if (!answer.ended)
        identity = {HelpAnswer::noAnswer, 0, ""};
    else if (isExceptionCode(answer.exitCode))
        identity = {HelpAnswer::crashed, answer.exitCode, ""};
    else if (!readHelpBanner(answer.text.data(), answer.text.size(), identity.versionId, sizeof identity.versionId))
        identity = {HelpAnswer::noBanner, answer.exitCode, ""};
    return identity;
}
