// What the Windows benchmark programs share: a clock, programs started and
// found by their window, list and memory readings, and the figures they print.
#pragma once

#include "tests/e2e/win_shared.h"

#include <windows.h>

#include <string>
#include <vector>

namespace bench {

// Milliseconds from an arbitrary start, to the microsecond.
double nowMs();
double median(std::vector<double> values);

// A fresh folder below the temporary folder, emptied first.
std::string workFolder(const std::string& name);
bool writeFile(const std::string& path, const std::string& content);
// The whole file, or nothing when it cannot be read.
std::string readAll(const char* path);
// Size of a file in bytes, or -1.
long long fileSize(const std::string& path);

// A working folder for hobrin.exe: a versions.ini with the stand-in emulator
// beside this program, and a listing of `games` games named game0, game1...
// (or `names` when given). Returns the folder, or an empty text.
std::string prepareProgramFolder(const std::string& name, int games);
std::string prepareProgramFolder(const std::string& name, const std::vector<std::string>& names);

// The hobrin.exe of another build that HOBRIN_BENCH_BASELINE names, timed
// beside this one in the same run; null when none is named or it is missing.
const char* baselineProgram();

// A started program; ended by force when it goes out of scope.
class Program {
public:
    Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();

    // Starts `path` in `directory`, without a console, as the desktop
    // starts a program. False, with the reason on standard error, when it
    // cannot be started.
    bool start(const std::string& path, const std::string& directory, const std::string& arguments = "");
    void end();

    DWORD id() const { return process_.dwProcessId; }
    HANDLE handle() const { return process_.hProcess; }
    const std::string& path() const { return path_; }
    const std::string& directory() const { return directory_; }

private:
    PROCESS_INFORMATION process_{};
    std::string path_;
    std::string directory_;
};

// A visible top-level window of the process whose title is `title`, or null.
HWND findWindow(DWORD processId, const char* title);
// Polls with `pollMs` between looks until the window shows; null after `timeoutMs`.
HWND waitForWindow(DWORD processId, const char* title, DWORD timeoutMs = 15000, DWORD pollMs = 1);
// A visible dialog of the process that has a control `id` (for windows
// without a caption, such as the download window).
HWND findDialogWithControl(DWORD processId, int id);

// Polls `condition` every millisecond for up to `timeoutMs`.
template <typename Condition>
bool waitFor(Condition condition, DWORD timeoutMs)
{
    double begin = nowMs();
    while (!condition()) {
        if (nowMs() - begin > timeoutMs)
            return false;
        Sleep(1);
    }
    return true;
}

// Types `path` into the file-name box of the common file dialog `dialog`
// (a combo box in the explorer style, else an edit); false when it has none.
// Confirming it is the caller's, who may start a clock first.
bool typeFileName(HWND dialog, const std::string& path);

// A control's text, read without a message to the program's thread; an
// edit's is asked of it (its text is not where another process looks).
std::string controlText(HWND dialog, int id);
// The text of line `index` of another process's list box (Wine answers in
// UTF-16 even to the ANSI message, so it is read wide).
std::string listLine(HWND list, int index);

struct Memory {
    double privateMiB;
    double workingSetMiB;
};
// The program's private bytes and working set; negative when unknown.
// Wine reports only swapped-out pages as another process's private bytes,
// so there the figure is the resident private memory of its Linux process.
Memory memoryOf(const Program& program);

// The events by which `bench_wininet --memory` says that it has made its
// 10th or 100th fetch and waits to be told to carry on.
constexpr char kFetchedEvent[] = "HobrinBenchFetched";
constexpr char kCarryOnEvent[] = "HobrinBenchCarryOn";

// One figure for tools/bench_report.py: "figure NAME VALUE" on standard output.
void printFigure(const char* name, double value);

} // namespace bench
