// Every emulator the program starts: in a job that ends with the program, waited for and heard with bounds.
#include "emulator/emulator_run_win.h"

#include "common/bounded_text.h"
#include "common/program_folder.h"
#include "emulator/known_emulators.h"
#include "emulator/run_output_win.h"

#include <atomic>
#include <cstring>
#include <vector>

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

// The attribute lists of a start: Windows Vista brought them, with the
// list of the handles a child inherits; Windows 10 the job a child starts
// in. Looked up, so that the program still loads without them.
struct AttributeCalls {
    BOOL(WINAPI* initialize)(void* list, DWORD count, DWORD flags, SIZE_T* size);
    BOOL(WINAPI* update)
    (void* list, DWORD flags, DWORD_PTR attribute, void* value, SIZE_T size, void* previous, SIZE_T* returned);
    void(WINAPI* remove)(void* list);
};

const AttributeCalls& attributeCalls()
{
    static const AttributeCalls calls = [] {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        AttributeCalls found{};
        found.initialize = reinterpret_cast<decltype(found.initialize)>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "InitializeProcThreadAttributeList")));
        found.update = reinterpret_cast<decltype(found.update)>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "UpdateProcThreadAttribute")));
        found.remove = reinterpret_cast<decltype(found.remove)>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "DeleteProcThreadAttributeList")));
        return found;
    }();
    return calls;
}

const DWORD_PTR kHandleListAttribute = 0x20002; // PROC_THREAD_ATTRIBUTE_HANDLE_LIST
const DWORD_PTR kJobListAttribute = 0x2000D;    // PROC_THREAD_ATTRIBUTE_JOB_LIST
const DWORD kExtendedStartupInfo = 0x80000;     // EXTENDED_STARTUPINFO_PRESENT

// STARTUPINFOEXA, which the headers of Windows XP lack.
struct StartupInfoEx {
    STARTUPINFOA startup;
    void* attributes;
};

// Whether a child can be started inside its job. Cleared, by whichever
// run finds it out first, where the system refuses the job list or starts
// the child outside the job all the same; starts are then suspended until
// the child has joined.
std::atomic<bool> jobListWorks{true};

// The attributes of one start: exactly the child's own standard handles,
// and its job when `job` is given. Empty where the system has no lists.
class StartAttributes {
public:
    StartAttributes(HANDLE* handles, DWORD handleCount, HANDLE* job) : calls_(attributeCalls())
    {
        SIZE_T size = 0;
        if (!calls_.initialize || !calls_.update || !calls_.remove)
            return;
        calls_.initialize(nullptr, 2, 0, &size);
        memory_.resize(size);
        if (size == 0 || !calls_.initialize(memory_.data(), 2, 0, &size))
            return;
        list_ = memory_.data();
        // Without the list (Windows before Vista) it inherits what all did.
        calls_.update(list_, 0, kHandleListAttribute, handles, handleCount * sizeof(HANDLE), nullptr, nullptr);
        jobNamed_ = job && calls_.update(list_, 0, kJobListAttribute, job, sizeof(HANDLE), nullptr, nullptr);
    }
    ~StartAttributes()
    {
        if (list_)
            calls_.remove(list_);
    }
    StartAttributes(const StartAttributes&) = delete;
    StartAttributes& operator=(const StartAttributes&) = delete;

    void* list() const { return list_; }
    bool jobNamed() const { return jobNamed_; }

private:
    const AttributeCalls& calls_;
    std::vector<unsigned char> memory_;
    void* list_ = nullptr;
    bool jobNamed_ = false;
};

// Starts the command with exactly its three standard handles, so that no
// other run's file stays open in it, inside `job` from its first
// instruction where the system allows that (Windows 10). Elsewhere it is
// started suspended, put in the job and only then let run, so that nothing
// it starts can be outside the job. Where it cannot join (Windows before 8,
// when this program already runs in a job of someone else's that allows no
// other), it runs outside, and ending it ends only itself: the program then
// behaves as it did before jobs.
bool startInJob(const char* commandLine, WORD showState, DWORD flags, HANDLE input, HANDLE output, HANDLE errorOutput,
                HANDLE job, const char* folder, Child& child, DWORD& error)
{
    char line[32768];
    if (!copyText(line, sizeof line, commandLine)) {
        error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    HANDLE handles[3];
    DWORD handleCount = 0;
    for (HANDLE handle : {input, output, errorOutput}) {
        bool listed = handle == nullptr || handle == INVALID_HANDLE_VALUE;
        for (DWORD i = 0; i < handleCount; ++i)
            listed = listed || handles[i] == handle;
        if (!listed)
            handles[handleCount++] = handle;
    }
    // Named here as CreateProcess would find it, but relative to the
    // program's folder rather than to a current directory that an open
    // common dialog may have changed.
    const std::string program = programFileOf(commandLine);
    if (!folder || !*folder)
        folder = programFolder().empty() ? nullptr : programFolder().c_str();
    for (bool nameJob : {job != nullptr && jobListWorks.load(), false}) {
        HANDLE jobs[1] = {job};
        StartAttributes attributes(handles, handleCount, nameJob ? jobs : nullptr);
        if (nameJob && !attributes.jobNamed()) {
            jobListWorks = false;
            continue;
        }
        StartupInfoEx startup{};
        startup.startup.cb = attributes.list() ? sizeof startup : sizeof startup.startup;
        startup.startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
        startup.startup.wShowWindow = showState;
        startup.startup.hStdInput = input;
        startup.startup.hStdOutput = output;
        startup.startup.hStdError = errorOutput;
        startup.attributes = attributes.list();
        DWORD creation = flags | (attributes.list() ? kExtendedStartupInfo : 0) | (nameJob ? 0 : CREATE_SUSPENDED);
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(program.empty() ? nullptr : program.c_str(), line, nullptr, nullptr, TRUE, creation,
                            nullptr, folder, &startup.startup, &process)) {
            error = GetLastError();
            // A job that the system will not nest: the suspended start,
            // which runs it outside, is tried next.
            if (nameJob)
                continue;
            return false;
        }
        child.process = process.hProcess;
        BOOL inJob = FALSE;
        if (nameJob && !(IsProcessInJob(process.hProcess, job, &inJob) && inJob)) {
            jobListWorks = false;
            nameJob = false;
        }
        if (!nameJob) {
            child.job = job && AssignProcessToJobObject(job, process.hProcess) ? job : nullptr;
            ResumeThread(process.hThread);
        } else {
            child.job = job;
        }
        CloseHandle(process.hThread);
        return true;
    }
    return false;
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
            return {RunEnd::waitFailed, GetLastError(), kUnknownExitCode};
        if (fileSize(output) > run.mostBytes || fileSize(errors) > run.mostBytes)
            return {RunEnd::tooLong, 0, kUnknownExitCode};
        if (run.limitMs != INFINITE && GetTickCount() - start >= run.limitMs)
            return {RunEnd::timedOut, 0, kUnknownExitCode};
    }
}

} // namespace

std::string programFileOf(const char* command)
{
    char program[MAX_PATH];
    char file[MAX_PATH];
    if (!commandProgram(command, program, sizeof program) || !programFile(program, file, sizeof file))
        return std::string();
    std::string candidates[3];
    if (!std::strpbrk(program, "\\/:")) {
        char module[MAX_PATH];
        DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
        const char* slash = length > 0 && length < sizeof module ? std::strrchr(module, '\\') : nullptr;
        if (slash)
            candidates[0] = std::string(module, static_cast<std::size_t>(slash - module)) + "\\" + file;
        candidates[1] = ownFile(file);
        char found[MAX_PATH];
        length = SearchPathA(nullptr, program, ".exe", sizeof found, found, nullptr);
        if (length > 0 && length < sizeof found)
            candidates[2] = found;
    } else {
        candidates[0] = ownFile(file);
    }
    for (const std::string& candidate : candidates) {
        DWORD attributes = candidate.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(candidate.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return candidate;
    }
    return std::string();
}

HANDLE openInheritable(const char* name, DWORD access, DWORD share, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileA(name, access, share, &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

RunOutcome runHidden(const HiddenRun& run)
{
    RunOutcome outcome{RunEnd::notStarted, 0, kUnknownExitCode};
    HANDLE output = openInheritable(ownFile(run.outputFile).c_str(), GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    HANDLE errors = run.errorFile
                        ? openInheritable(ownFile(run.errorFile).c_str(), GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS)
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
                          errors != INVALID_HANDLE_VALUE ? errors : nul, job, run.folder, child, outcome.error)) {
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

RunOutcome runGame(const char* commandLine, HANDLE console, const char* folder)
{
    RunOutcome outcome{RunEnd::notStarted, 0, kUnknownExitCode};
    HANDLE nul = openInheritable("NUL", GENERIC_READ, 0, OPEN_EXISTING);
    Child child{nullptr, nullptr};
    if (startInJob(commandLine, SW_SHOW, 0, nul, console, console, gameJob(), folder, child, outcome.error)) {
        DWORD result;
        do
            result = WaitForSingleObject(child.process, kGamePollMs);
        while (result == WAIT_TIMEOUT);
        DWORD exitCode = kUnknownExitCode;
        if (result == WAIT_OBJECT_0 && GetExitCodeProcess(child.process, &exitCode))
            outcome = {RunEnd::ended, 0, exitCode};
        else
            outcome = {RunEnd::waitFailed, GetLastError(), kUnknownExitCode};
        // A game that Hobrin can no longer follow is ended, not left to run unseen.
        if (outcome.end == RunEnd::waitFailed)
            TerminateProcess(child.process, kUnknownExitCode);
        CloseHandle(child.process);
    }
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    return outcome;
}

EmulatorAnswer askEmulator(const char* command, const char* question, const char* answerFile, HANDLE cancel)
{
    EmulatorAnswer answer{false, 0, false, false, false, kUnknownExitCode, {}};
    char line[1024];
    if (!formatText(line, sizeof line, "%s %s", command, question)) {
        answer.startError = ERROR_FILENAME_EXCED_RANGE;
        return answer;
    }
    RunOutcome outcome =
        runHidden(HiddenRun{line, answerFile, nullptr, kQuestionLimitMs, kMostAnswerBytes, cancel, nullptr});
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
