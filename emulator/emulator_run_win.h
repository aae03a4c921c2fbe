// Every emulator the program starts: in a job that ends with the program, waited for and heard with bounds.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

// Exit code reported when the end of a run could not be observed.
constexpr DWORD kUnknownExitCode = static_cast<DWORD>(-1);

// How long an emulator has to answer a question ("-help", "-showconfig",
// "-listxml NAME"): MAME 0.251 answers each well within a second.
constexpr DWORD kQuestionLimitMs = 10000;
// The most an answer or a check's report may hold: MAME 0.251 answers
// "-showconfig" with about 15 KB and prints a few hundred bytes in a check.
constexpr std::size_t kMostAnswerBytes = 256 * 1024;

// The program file that CreateProcess starts for `command`, whole: a bare
// name beside this program, in the program's folder or along the search
// path; a relative path from the program's folder (never from the current
// directory, which an open common dialog may change); ".exe" added where
// the file name has none. Empty when there is no such file.
std::string programFileOf(const char* command);

// Opens a file or device whose handle the emulator inherits as a standard handle.
HANDLE openInheritable(const char* name, DWORD access, DWORD share, DWORD disposition);

// How a run ended.
enum class RunEnd {
    ended,      // by itself: `exitCode` holds its code
    noFile,     // its output file could not be made: `error` holds the system's reason
    notStarted, // it could not be started: `error` holds the system's reason
    timedOut,   // it ran past its time, and was ended with all it started
    tooLong,    // its output grew past its bound, and it was ended so
    cancelled,  // the run's cancel event was set, and it was ended so
    waitFailed, // the wait for it failed: `error` holds the system's reason; it was ended so
};

struct RunOutcome {
    RunEnd end;
    DWORD error;
    DWORD exitCode;
};

// A run whose output the program reads: hidden, without a console, its
// standard output (and error) in files of the program's own, created anew.
struct HiddenRun {
    const char* commandLine; // whole; the first word is resolved as any command line is
    const char* outputFile;  // files of the program's own, relative to its folder
    const char* errorFile;   // null: its errors go nowhere
    DWORD limitMs;           // INFINITE for none
    std::size_t mostBytes;   // the bound of each file
    HANDLE cancel;           // an event that ends the run when set; may be null
    const char* folder;      // the folder it runs in, whole; null: the program's folder
};

// Starts the run in a job of its own, with exactly its own standard
// handles, and waits for it. Whatever way it
// ends, the job's whole tree is ended before this returns, so nothing it
// started holds its files: they stay for the caller to read
// (takeRunOutput).
RunOutcome runHidden(const HiddenRun& run);

// A game: shown, with its own console, its standard output and error in
// `console`. It joins the program's one game job, so that a game left
// running ends when the program ends, however it ends; the wait has no
// bound and handles no window messages.
RunOutcome runGame(const char* commandLine, HANDLE console, const char* folder = nullptr);

// An emulator's answer to a question.
struct EmulatorAnswer {
    bool started;           // the program could be started
    DWORD startError;       // why not, when it could not
    bool ended;             // it ended by itself within the time and byte bounds
    bool tooLong;           // its answer ran past kMostAnswerBytes
    bool cancelled;         // the question was ended by its cancel event
    DWORD exitCode;         // its exit code, when it ended
    std::vector<char> text; // what it wrote on its standard output, at most kMostAnswerBytes
};

// Runs `command` followed by a blank and `question` (hidden, its answer in
// `answerFile`, removed afterwards) for at most kQuestionLimitMs, or until
// `cancel` is set.
EmulatorAnswer askEmulator(const char* command, const char* question, const char* answerFile, HANDLE cancel = nullptr);
