// Asking an emulator a question: run hidden, its answer in a file of the program's own, for a limited time.
#include "emulator/emulator_query_win.h"

#include "common/bounded_text.h"
#include "emulator/process_win.h"

#include <cstdio>
#include <cstring>

namespace {

// MAME 0.251 answers "-showconfig" with about 15 KB and "-listxml NAME" with
// a few KB; a larger answer is not one of these.
const std::size_t kMostAnswerBytes = 256 * 1024;

} // namespace

EmulatorAnswer askEmulator(const char* command, const char* question, const char* answerFile, DWORD limitMs)
{
    EmulatorAnswer answer{false, 0, false, kUnknownExitCode, {}};
    char line[1024];
    if (!formatText(line, sizeof line, "%s %s", command, question)) {
        answer.startError = ERROR_FILENAME_EXCED_RANGE;
        return answer;
    }
    HANDLE output = openInheritable(answerFile, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    if (output == INVALID_HANDLE_VALUE) {
        answer.startError = GetLastError();
        return answer;
    }
    HANDLE process = startHiddenRun(line, output, answer.startError);
    CloseHandle(output);
    if (process) {
        answer.started = true;
        answer.exitCode = waitForProcessAtMost(process, limitMs);
        // A process that was ended reports kUnknownExitCode; one that ended by
        // itself with that very code is rare enough to be asked again.
        answer.ended = answer.exitCode != kUnknownExitCode;
        CloseHandle(process);
        answer.text.resize(kMostAnswerBytes);
        std::size_t length = 0;
        if (std::FILE* file = std::fopen(answerFile, "rb")) {
            length = std::fread(answer.text.data(), 1, answer.text.size(), file);
            std::fclose(file);
        }
        answer.text.resize(length);
    }
    deleteRunOutput(answerFile);
    return answer;
}

bool isPlainWord(const char* text)
{
    if (text[0] == '\0')
        return false;
    for (const char* c = text; *c; ++c) {
        if (!std::strchr("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-.", *c))
            return false;
    }
    return true;
}
