// Every emulator the program starts: in a job that ends with the program, waited for and heard with bounds.
#include "emulator/emulator_run_win.h"

#include "common/bounded_text.h"
#include "common/shown_text.h"

#include <cstdio>

namespace {

// A run's end is seen at once; its output's size and its time are looked
// at this often, so an emulator that prints as fast as the disk takes it
// passes its bound by at most what it writes in this time.
const DWORD kLookMs = 20;
// A game's wait looks this often: it only waits.
const DWORD kGamePollMs = 250;
// How long the processes of an ended job get to be gone.
const DWORD kJobEndMs = 2000;

// A job whose processes all end when its last handle closes: when the
// program closes it, and when the program ends in any way, since the
// system then closes every handle the program held. Null when the system
// has none to give.
HANDLE createKillingJob()
{
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    if (!job)
        return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

// Every game joins this one job, which the program never closes: its
// games end with the program.
HANDLE gameJob()
{
    static HANDLE job = createKillingJob();
    return job;
}

struct Child {
    HANDLE process;
    HANDLE job; // null when it runs outside one (see startInJob)
};

// Starts the command suspended, puts it in `job`, and only then lets it
// run, so that nothing it starts can be outside the job. Where it cannot
// join (Windows before 8, when this program already runs in a job of
// someone else's that allows no other), it runs outside, and ending it
// ends only itself: the program then behaves as it did before jobs.
bool startInJob(const char* commandLine, WORD showState, DWORD flags, HANDLE input, HANDLE output, HANDLE errorOutput,
                HANDLE job, Child& child, DWORD& error)
{
    char line[32768];
    if (!copyText(line, sizeof line, commandLine)) {
        error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = showState;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = errorOutput;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line, nullptr, nullptr, TRUE, flags | CREATE_SUSPENDED, nullptr, nullptr, &startup,
                        &process)) {
        error = GetLastError();
        return false;
    }
    child.process = process.hProcess;
    child.job = job && AssignProcessToJobObject(job, process.hProcess) ? job : nullptr;
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    return true;
}

// Ends the child and all it started, and waits a moment for them to be gone.
void endTree(const Child& child)
{
    if (!child.job) {
        TerminateProcess(child.process, kUnknownExitCode);
        WaitForSingleObject(child.process, kJobEndMs);
        return;
    }
    TerminateJobObject(child.job, kUnknownExitCode);
    DWORD start = GetTickCount();
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    while (QueryInformationJobObject(child.job, JobObjectBasicAccountingInformation, &accounting, sizeof accounting,
                                     nullptr) &&
           accounting.ActiveProcesses > 0 && GetTickCount() - start < kJobEndMs)
        Sleep(10);
}

unsigned long long fileSize(HANDLE file)
{
    LARGE_INTEGER size{};
    return file != INVALID_HANDLE_VALUE && GetFileSizeEx(file, &size) ? static_cast<unsigned long long>(size.QuadPart)
                                                                      : 0;
}

// Waits for the hidden run's end, or for the first bound it passes.
RunOutcome watch(const Child& child, const HiddenRun& run, HANDLE output, HANDLE errors)
{
    HANDLE waited[] = {child.process, run.cancel};
    DWORD count = run.cancel ? 2 : 1;
    DWORD start = GetTickCount();
    for (;;) {
        DWORD result = WaitForMultipleObjects(count, waited, FALSE, kLookMs);
        if (result == WAIT_OBJECT_0) {
            // The handle, not the exit code, tells that it ended: an
            // emulator may itself exit with 259, "still active".
            DWORD exitCode = kUnknownExitCode;
            GetExitCodeProcess(child.process, &exitCode);
            return {RunEnd::ended, 0, exitCode};
        }
        if (result == WAIT_OBJECT_0 + 1)
            return {RunEnd::cancelled, 0, kUnknownExitCode};
        if (result == WAIT_FAILED)
            return {RunEnd::cancelled, GetLastError(), kUnknownExitCode};
        if (fileSize(output) > run.mostBytes || fileSize(errors) > run.mostBytes)
            return {RunEnd::tooLong, 0, kUnknownExitCode};
        if (run.limitMs != INFINITE && GetTickCount() - start >= run.limitMs)
            return {RunEnd::timedOut, 0, kUnknownExitCode};
    }
}

} // namespace

HANDLE openInheritable(const char* name, DWORD access, DWORD share, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileA(name, access, share, &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

RunOutcome runHidden(const HiddenRun& run)
{
    RunOutcome outcome{RunEnd::notStarted, 0, kUnknownExitCode};
    HANDLE output = openInheritable(run.outputFile, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    HANDLE errors = run.errorFile ? openInheritable(run.errorFile, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS)
                                  : INVALID_HANDLE_VALUE;
    HANDLE nul =
        openInheritable("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    HANDLE job = createKillingJob();
    // Started without a console (DETACHED_PROCESS): the program, started
    // from the desktop, has none, and a console made for such a run costs
    // more than the run itself (about 130 ms under Wine).
    Child child{nullptr, nullptr};
    if (output == INVALID_HANDLE_VALUE || (run.errorFile && errors == INVALID_HANDLE_VALUE)) {
        outcome = {RunEnd::noFile, GetLastError(), kUnknownExitCode};
    } else if (run.cancel && WaitForSingleObject(run.cancel, 0) == WAIT_OBJECT_0) {
        outcome.end = RunEnd::cancelled;
    } else if (startInJob(run.commandLine, SW_HIDE, DETACHED_PROCESS, nul, output,
                          errors != INVALID_HANDLE_VALUE ? errors : nul, job, child, outcome.error)) {
        outcome = watch(child, run, output, errors);
        // Whatever it left running (a launcher's emulator, a helper) would
        // hold the files and outlive the question.
        endTree(child);
        CloseHandle(child.process);
    }
    for (HANDLE handle : {output, errors, nul}) {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    if (job)
        CloseHandle(job);
    return outcome;
}

RunOutcome runGame(const char* commandLine, HANDLE console)
{
    RunOutcome outcome{RunEnd::notStarted, 0, kUnknownExitCode};
    HANDLE nul = openInheritable("NUL", GENERIC_READ, 0, OPEN_EXISTING);
    Child child{nullptr, nullptr};
    if (startInJob(commandLine, SW_SHOW, 0, nul, console, console, gameJob(), child, outcome.error)) {
        DWORD result;
        do
            result = WaitForSingleObject(child.process, kGamePollMs);
        while (result == WAIT_TIMEOUT);
        DWORD exitCode = kUnknownExitCode;
        if (result == WAIT_OBJECT_0 && GetExitCodeProcess(child.process, &exitCode))
            outcome = {RunEnd::ended, 0, exitCode};
        else
            outcome = {RunEnd::cancelled, GetLastError(), kUnknownExitCode};
        CloseHandle(child.process);
    }
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    return outcome;
}

std::string takeRunOutput(const char* name, std::size_t mostBytes)
{
    std::string text;
    if (std::FILE* file = std::fopen(name, "rb")) {
        text.resize(mostBytes);
        text.resize(std::fread(&text[0], 1, text.size(), file));
        std::fclose(file);
    }
    removeRunOutput(name);
    // Today's emulators answer in UTF-8, older ones in the legacy code
    // page; a full read may have stopped inside a character.
    const TextForm form =
        text.size() == mostBytes ? cutTextFormOf(text.data(), text.size()) : textFormOf(text.data(), text.size());
    return programText(text.data(), text.size(), form);
}

void removeRunOutput(const char* name)
{
    // Nothing of the run holds the file any longer; the delete is tried
    // again a moment only for a scanner that opened it meanwhile.
    for (int attempt = 0; attempt < 40; ++attempt) {
        if (DeleteFileA(name) || GetLastError() == ERROR_FILE_NOT_FOUND)
            return;
        Sleep(50);
    }
}

EmulatorAnswer askEmulator(const char* command, const char* question, const char* answerFile, HANDLE cancel)
{
    EmulatorAnswer answer{false, 0, false, false, false, kUnknownExitCode, {}};
    char line[1024];
    if (!formatText(line, sizeof line, "%s %s", command, question)) {
        answer.startError = ERROR_FILENAME_EXCED_RANGE;
        return answer;
    }
    RunOutcome outcome = runHidden(HiddenRun{line, answerFile, nullptr, kQuestionLimitMs, kMostAnswerBytes, cancel});
    answer.started = outcome.end != RunEnd::notStarted && outcome.end != RunEnd::noFile;
    answer.startError = outcome.error;
    answer.ended = outcome.end == RunEnd::ended;
    answer.tooLong = outcome.end == RunEnd::tooLong;
    answer.cancelled = outcome.end == RunEnd::cancelled;
    answer.exitCode = outcome.exitCode;
    std::string text = takeRunOutput(answerFile, kMostAnswerBytes);
    answer.text.assign(text.begin(), text.end());
    return answer;
}
