// Start-up under Wine or Windows, from starting hobrin.exe to its visible
// main window with a 4999-game listing, beside its floor in the same run:
// the bare dialog program's start and the stand-in emulator's own listing
// time. Also the memory of both programs once their window shows.
// Prints figures for tools/bench_report.py; it fails nothing.
#include "bench/bench_win.h"

#include <cstdio>

using namespace bench;

namespace {

const int kRounds = 7;
const int kGames = 4999;
// Memory is read this long after the window shows, once the first paint is done.
const DWORD kSettleMs = 300;

double emulatorListingMs(const std::string& folder)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    std::string listing = folder + "\\bench-listing.tmp";
    HANDLE output = CreateFileA(listing.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string commandLine = "\"" + moduleDirectory() + "\\mame-standin.exe\" -listfull -sortname";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process{};
    double elapsed = -1.0;
    double begin = nowMs();
    if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        elapsed = nowMs() - begin;
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(output);
    DeleteFileA(listing.c_str());
    return elapsed;
}

// Start to visible window, then the memory once it has settled.
double startMs(const std::string& path, const std::string& folder, const char* title, Memory& memory)
{
    Program program;
    double begin = nowMs();
    if (!program.start(path, folder))
        return -1.0;
    HWND window = waitForWindow(program.id(), title, 30000, 1);
    double elapsed = nowMs() - begin;
    Sleep(kSettleMs);
    memory = memoryOf(program);
    return window ? elapsed : -1.0;
}

} // namespace

int main()
{
    std::string folder = prepareProgramFolder("hobrin-bench-startup", kGames);
    if (folder.empty())
        return 1;
    std::string binaries = moduleDirectory();
    std::vector<double> emulator, bare, hobrin, added, barePrivate, bareWorking, hobrinPrivate, hobrinWorking;
    for (int round = 0; round < kRounds; ++round) {
        Memory memory{};
        emulator.push_back(emulatorListingMs(folder));
        bare.push_back(startMs(binaries + "\\bench_bare_dialog.exe", folder, "Bare dialog", memory));
        barePrivate.push_back(memory.privateMiB);
        bareWorking.push_back(memory.workingSetMiB);
        hobrin.push_back(startMs(binaries + "\\hobrin.exe", folder, "Hobrin", memory));
        hobrinPrivate.push_back(memory.privateMiB);
        hobrinWorking.push_back(memory.workingSetMiB);
        // Taken within the round: the three starts of one round meet the
        // same load from the rest of the machine.
        added.push_back(hobrin.back() - bare.back() - emulator.back());
    }
    printFigure("startup.emulator_ms", median(emulator));
    printFigure("startup.bare_ms", median(bare));
    printFigure("startup.hobrin_ms", median(hobrin));
    printFigure("startup.added_ms", median(added));
    printFigure("memory.bare_private_mib", median(barePrivate));
    printFigure("memory.bare_working_mib", median(bareWorking));
    printFigure("memory.startup_private_mib", median(hobrinPrivate));
    printFigure("memory.startup_working_mib", median(hobrinWorking));
    return 0;
}
