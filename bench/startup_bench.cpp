// Times, under Wine or Windows, how long hobrin.exe takes from its start to a
// visible main window with a 4999-game listing, beside the time the stand-in
// emulator alone takes to print that listing. Prints the figures; fails nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int kRounds = 7;
const int kGames = 4999;

std::string moduleDirectory()
{
    char module[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string path = module;
    return path.substr(0, path.find_last_of("\\/"));
}

double nowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool writeFile(const std::string& path, const std::string& content)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    return std::fclose(file) == 0 && ok;
}

PROCESS_INFORMATION start(std::string commandLine, const std::string& directory, HANDLE output)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, output != nullptr, 0, nullptr,
                        directory.c_str(), &startup, &process))
        std::fprintf(stderr, "cannot start %s [%lu]\n", commandLine.c_str(), GetLastError());
    return process;
}

struct Search {
    DWORD processId;
    bool found;
};

BOOL CALLBACK findMainWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char title[32] = "";
    GetWindowTextA(window, title, sizeof title);
    if (owner == search->processId && IsWindowVisible(window) && std::string(title) == "Hobrin") {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

double emulatorListingMs(const std::string& directory, const std::string& emulator)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    std::string listing = directory + "\\bench-listing.tmp";
    HANDLE output = CreateFileA(listing.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    double begin = nowMs();
    PROCESS_INFORMATION process = start("\"" + emulator + "\" -listfull -sortname", directory, output);
    WaitForSingleObject(process.hProcess, INFINITE);
    double elapsed = nowMs() - begin;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(output);
    DeleteFileA(listing.c_str());
    return elapsed;
}

double programStartMs(const std::string& directory, const std::string& program)
{
    double begin = nowMs();
    PROCESS_INFORMATION process = start("\"" + program + "\"", directory, nullptr);
    Search search{process.dwProcessId, false};
    while (!search.found && nowMs() - begin < 30000) {
        EnumWindows(findMainWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            Sleep(1);
    }
    double elapsed = nowMs() - begin;
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return search.found ? elapsed : -1.0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main()
{
    std::string binaries = moduleDirectory();
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    std::string directory = std::string(temp) + "hobrin-startup-bench";
    CreateDirectoryA(directory.c_str(), nullptr);

    std::string listing = "Name:     Description:\n";
    for (int i = 0; i < kGames; ++i)
        listing += "game" + std::to_string(i) + "  \"Benchmark game number " + std::to_string(i) + "\"\n";
    if (!writeFile(directory + "\\standin-listing.txt", listing) ||
        !writeFile(directory + "\\versions.ini", "Bench\n" + binaries + "\\mame-standin.exe\n0.106\nWin32\n")) {
        std::fprintf(stderr, "cannot prepare %s\n", directory.c_str());
        return 1;
    }
    DeleteFileA((directory + "\\standin-calls.txt").c_str());

    std::vector<double> emulator, program;
    for (int round = 0; round < kRounds; ++round) {
        emulator.push_back(emulatorListingMs(directory, binaries + "\\mame-standin.exe"));
        program.push_back(programStartMs(directory, binaries + "\\hobrin.exe"));
    }
    double emulatorMs = median(emulator), programMs = median(program);
    std::printf("start-up with a %d-game listing, median of %d rounds:\n", kGames, kRounds);
    std::printf("  emulator listing alone:           %8.1f ms\n", emulatorMs);
    std::printf("  hobrin.exe to visible main window: %7.1f ms\n", programMs);
    std::printf("  added by hobrin:                  %8.1f ms (goal: under 400 ms)\n", programMs - emulatorMs);
    std::printf("  ratio program / emulator:         %8.2f\n", programMs / emulatorMs);
    return 0;
}
