// Start-up under Wine or Windows, from starting hobrin.exe to its visible
// main window with a 4999-game listing, beside its floor in the same run:
// the bare dialog program's start and the stand-in emulator's own listing
// time. Also the memory of both programs once their window shows.
// With HOBRIN_BENCH_MAME_LISTING naming a listing captured from MAME 0.251,
// the same for that listing printed by the stand-in as today's emulators
// print theirs (it refuses the sort switch, and the program sorts). Those
// are a player's starts after the first: the emulator is known from
// emulators.ini, so the floor is the bare dialog running the one listing
// that a player needs, start by start in turns, in the classic look and in
// today's (the manifest of Common Controls 6, as hobrin.exe has it). The
// list holds the systems alone, not the devices after them. "Refresh game
// list" is timed beside that same listing.
// Prints figures for tools/bench_report.py; it fails nothing.
#include "bench/bench_win.h"

#include "resource.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace bench;

namespace {

const int kRounds = 7;
const int kGames = 4999;

// Memory is read this long after the window shows, once the first paint is done.
const DWORD kSettleMs = 300;

const int kTodayRounds = 9;

std::string standinCommand()
{
    return "\"" + moduleDirectory() + "\\mame-standin.exe\"";
}

// The stand-in's listing `arguments` in `folder`, its output in a file.
// `detached`: hidden and without a console, as hobrin.exe runs it.
double emulatorListingMs(const std::string& folder, const std::string& arguments = " -listfull -sortname",
                         bool detached = false)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    std::string listing = folder + "\\bench-listing.tmp";
    HANDLE output = CreateFileA(listing.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string commandLine = standinCommand() + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | (detached ? STARTF_USESHOWWINDOW : 0);
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process{};
    double elapsed = -1.0;
    double begin = nowMs();
    if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, detached ? DETACHED_PROCESS : 0, nullptr,
                       folder.c_str(), &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        elapsed = nowMs() - begin;
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(output);
    DeleteFileA(listing.c_str());
    return elapsed;
}

// Start to visible window, then the memory once it has settled. `program`
// runs on, its window in `window`, for what the caller does next.
double startMs(Program& program, const std::string& path, const std::string& folder, const char* title, Memory& memory,
               HWND& window)
{
    double begin = nowMs();
    window = program.start(path, folder) ? waitForWindow(program.id(), title, 60000, 1) : nullptr;
    double elapsed = nowMs() - begin;
    Sleep(kSettleMs);
    memory = memoryOf(program);
    return window ? elapsed : -1.0;
}

double startMs(const std::string& path, const std::string& folder, const char* title, Memory& memory)
{
    Program program;
    HWND window = nullptr;
    return startMs(program, path, folder, title, memory, window);
}

// From pressing "Refresh game list" to the main window shown again.
double refreshMs(HWND window)
{
    double begin = nowMs();
    PostMessageA(GetDlgItem(window, IDC_MAIN_REFRESH), BM_CLICK, 0, 0);
    double limit = begin + 30000;
    while (IsWindowVisible(window) && nowMs() < limit)
        Sleep(0);
    while (!IsWindowVisible(window) && nowMs() < limit)
        Sleep(1);
    return nowMs() < limit ? nowMs() - begin : -1.0;
}

// The listing of today's MAME: start-up and refresh, and the memory.
bool benchTodaysListing(const char* listingPath)
{
    std::string listing = readAll(listingPath);
    // The systems: the lines of a game, sorted by short name, up to the
    // first device, where that order breaks.
    int games = 0;
    std::string previous;
    for (std::size_t start = 0; start < listing.size();) {
        std::size_t end = listing.find('\n', start);
        std::string line = listing.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? listing.size() : end + 1;
        if (line.find('"') == std::string::npos)
            continue;
        std::string name = line.substr(0, line.find(' '));
        if (!previous.empty() && name < previous)
            break;
        previous = name;
        ++games;
    }
    // The baseline build, when given, starts in a folder of its own, so
    // that neither learns the emulator from the other's emulators.ini.
    const char* baseline = baselineProgram();
    std::string folders[2];
    for (int i = 0; i < (baseline ? 2 : 1); ++i) {
        folders[i] = prepareProgramFolder(i == 0 ? "hobrin-bench-today" : "hobrin-bench-today-baseline", 0);
        if (folders[i].empty() || listing.empty() || !writeFile(folders[i] + "\\standin-listing.txt", listing) ||
            !writeFile(folders[i] + "\\standin-control.txt", "kind=today\n") ||
            !writeFile(folders[i] + "\\bare-listings.txt", standinCommand() + " -listfull\n")) {
            std::fprintf(stderr, "cannot prepare the listing of %s\n", listingPath);
            return false;
        }
    }
    const std::string& folder = folders[0];
    std::string binaries = moduleDirectory();
    {
        // The player's first start, which learns the emulator.
        Memory memory{};
        startMs(binaries + "\\hobrin.exe", folder, "Hobrin", memory);
        if (baseline)
            startMs(baseline, folders[1], "Hobrin", memory);
    }
    std::vector<double> bare, bareThemed, hobrin, added, addedThemed, refresh, refreshFloor, refreshAdded,
        hobrinPrivate, hobrinWorking, base, overBase;
    // The baseline's start, within each round, in turns that change sides:
    // both builds meet the same load from the rest of the machine.
    const auto baselineTurn = [&](int round, int side) {
        if (!baseline || round % 2 != side)
            return;
        Memory memory{};
        base.push_back(startMs(baseline, folders[1], "Hobrin", memory));
    };
    for (int round = 0; round < kTodayRounds; ++round) {
        Memory memory{};
        bare.push_back(startMs(binaries + "\\bench_bare_dialog.exe", folder, "Bare dialog", memory));
        bareThemed.push_back(startMs(binaries + "\\bench_bare_dialog_themed.exe", folder, "Bare dialog", memory));
        baselineTurn(round, 1);
        Program program;
        HWND window = nullptr;
        hobrin.push_back(startMs(program, binaries + "\\hobrin.exe", folder, "Hobrin", memory, window));
        hobrinPrivate.push_back(memory.privateMiB);
        hobrinWorking.push_back(memory.workingSetMiB);
        added.push_back(hobrin.back() - bare.back());
        addedThemed.push_back(hobrin.back() - bareThemed.back());
        refreshFloor.push_back(emulatorListingMs(folder, " -listfull", true));
        refresh.push_back(window ? refreshMs(window) : -1.0);
        refreshAdded.push_back(refresh.back() - refreshFloor.back());
        program.end();
        baselineTurn(round, 0);
        if (baseline)
            overBase.push_back(hobrin.back() - base.back());
    }
    if (baseline) {
        printFigure("today.baseline_ms", median(base));
        printFigure("today.over_baseline_ms", median(overBase));
    }
    printFigure("today.games", games);
    printFigure("today.bare_ms", median(bare));
    printFigure("today.hobrin_ms", median(hobrin));
    printFigure("today.added_ms", median(added));
    printFigure("today.bare_themed_ms", median(bareThemed));
    printFigure("today.added_themed_ms", median(addedThemed));
    printFigure("today.refresh_emulator_ms", median(refreshFloor));
    printFigure("today.refresh_ms", median(refresh));
    printFigure("today.refresh_added_ms", median(refreshAdded));
    printFigure("memory.today_private_mib", median(hobrinPrivate));
    printFigure("memory.today_working_mib", median(hobrinWorking));
    return true;
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
    const char* todaysListing = std::getenv("HOBRIN_BENCH_MAME_LISTING");
    if (todaysListing && *todaysListing && !benchTodaysListing(todaysListing))
        return 1;
    return 0;
}
