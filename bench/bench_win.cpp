// What the Windows benchmark programs share.
#include "bench/bench_win.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench {

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

double median(std::vector<double> values)
{
    if (values.empty())
        return -1.0;
    std::sort(values.begin(), values.end());
    std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string workFolder(const std::string& name)
{
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + name;
    removeTree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

bool writeFile(const std::string& path, const std::string& content)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    return std::fclose(file) == 0 && ok;
}

std::string readAll(const char* path)
{
    std::string text;
    if (std::FILE* file = std::fopen(path, "rb")) {
        char chunk[65536];
        std::size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
            text.append(chunk, got);
        std::fclose(file);
    }
    return text;
}

long long fileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

std::string prepareProgramFolder(const std::string& name, const std::vector<std::string>& names)
{
    std::string folder = workFolder(name);
    std::string listing = "Name:     Description:\n";
    for (std::size_t i = 0; i < names.size(); ++i)
        listing += names[i] + "  \"Benchmark game number " + std::to_string(i) + "\"\n";
    std::string versions = "Bench\n" + moduleDirectory() + "\\mame-standin.exe\n0.106\nWin32\n";
    if (!writeFile(folder + "\\standin-listing.txt", listing) || !writeFile(folder + "\\versions.ini", versions)) {
        std::fprintf(stderr, "cannot prepare %s\n", folder.c_str());
        return std::string();
    }
    return folder;
}

std::string prepareProgramFolder(const std::string& name, int games)
{
    std::vector<std::string> names;
    for (int i = 0; i < games; ++i)
        names.push_back("game" + std::to_string(i));
    return prepareProgramFolder(name, names);
}

const char* baselineProgram()
{
    const char* path = std::getenv("HOBRIN_BENCH_BASELINE");
    if (!path || !*path)
        return nullptr;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        std::fprintf(stderr, "HOBRIN_BENCH_BASELINE names no program: %s\n", path);
        return nullptr;
    }
    return path;
}

Program::~Program()
{
    end();
}

bool Program::start(const std::string& path, const std::string& directory, const std::string& arguments)
{
    end();
    path_ = path;
    directory_ = directory;
    std::string commandLine = "\"" + path + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        directory.c_str(), &startup, &process_)) {
        std::fprintf(stderr, "cannot start %s [%lu]\n", path.c_str(), GetLastError());
        process_ = PROCESS_INFORMATION{};
        return false;
    }
    return true;
}

void Program::end()
{
    if (!process_.hProcess)
        return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 10000);
    }
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    process_ = PROCESS_INFORMATION{};
}

HWND findWindow(DWORD processId, const char* title)
{
    return findProcessWindow(processId, title);
}

HWND waitForWindow(DWORD processId, const char* title, DWORD timeoutMs, DWORD pollMs)
{
    double begin = nowMs();
    for (;;) {
        HWND window = findWindow(processId, title);
        if (window || nowMs() - begin > timeoutMs)
            return window;
        Sleep(pollMs);
    }
}

HWND findDialogWithControl(DWORD processId, int id)
{
    return findProcessWindow(processId, nullptr, id);
}

std::string controlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    char text[1024] = "";
    char kind[16] = "";
    GetClassNameA(control, kind, sizeof kind);
    // An edit keeps its text where another process's GetWindowText does not
    // look: it is asked, once the program's thread is free to answer.
    DWORD_PTR copied = 0;
    if (lstrcmpiA(kind, "Edit") == 0)
        SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000,
                            &copied);
    else
        GetWindowTextA(control, text, sizeof text);
    return text;
}

std::string listLine(HWND list, int index)
{
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0 || length > 4096)
        return std::string();
    std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&wide[0]));
    std::string line;
    for (std::size_t i = 0; i < static_cast<std::size_t>(length); ++i)
        line += wide[i] < 128 ? static_cast<char>(wide[i]) : '?';
    return line;
}

namespace {

std::string readWholeFile(const std::string& path)
{
    // Files under /proc say they are empty: read until the end instead.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string content;
    if (file == INVALID_HANDLE_VALUE)
        return content;
    char block[4096];
    DWORD got = 0;
    while (content.size() < (1u << 20) && ReadFile(file, block, sizeof block, &got, nullptr) && got > 0)
        content.append(block, got);
    CloseHandle(file);
    return content;
}

bool sameFile(HANDLE a, HANDLE b)
{
    BY_HANDLE_FILE_INFORMATION first, second;
    return GetFileInformationByHandle(a, &first) && GetFileInformationByHandle(b, &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber && first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

HANDLE openFolder(const std::string& path)
{
    return CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Under Wine, through the drive that maps the Linux root: the Linux process
// that runs the program's file in the program's working folder (Wine starts
// a program's Linux process there; its emulator shares the folder but not
// the file). Empty when there is none.
std::string linuxProcessFolder(const Program& program)
{
    std::string name = program.path().substr(program.path().find_last_of("\\/") + 1);
    HANDLE directory = openFolder(program.directory());
    if (directory == INVALID_HANDLE_VALUE)
        return std::string();
    std::string found;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    while (search != INVALID_HANDLE_VALUE && found.empty()) {
        if (entry.cFileName[0] >= '0' && entry.cFileName[0] <= '9') {
            std::string folder = std::string("Z:\\proc\\") + entry.cFileName;
            std::string commandLine = readWholeFile(folder + "\\cmdline").c_str();
            std::size_t at = commandLine.size() - std::min(commandLine.size(), name.size());
            if (commandLine.size() > name.size() && _stricmp(commandLine.c_str() + at, name.c_str()) == 0 &&
                (commandLine[at - 1] == '/' || commandLine[at - 1] == '\\')) {
                HANDLE working = openFolder(folder + "\\cwd");
                if (working != INVALID_HANDLE_VALUE) {
                    if (sameFile(working, directory))
                        found = folder;
                    CloseHandle(working);
                }
            }
        }
        if (!FindNextFileA(search, &entry))
            break;
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    CloseHandle(directory);
    return found;
}

// A "Name:   N kB" line of a Linux status file, in MiB; negative when missing.
double statusMiB(const std::string& status, const char* name)
{
    std::size_t at = status.find(std::string("\n") + name + ":");
    if (at == std::string::npos)
        return -1.0;
    return std::strtod(status.c_str() + at + std::strlen(name) + 2, nullptr) / 1024.0;
}

} // namespace

Memory memoryOf(const Program& program)
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(program.handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
        return Memory{-1.0, -1.0};
    const double mebibyte = 1024.0 * 1024.0;
    Memory memory{static_cast<double>(counters.PrivateUsage) / mebibyte,
                  static_cast<double>(counters.WorkingSetSize) / mebibyte};
    if (counters.PrivateUsage == 0) {
        std::string folder = linuxProcessFolder(program);
        std::string status = folder.empty() ? std::string() : readWholeFile(folder + "\\status");
        double resident = statusMiB(status, "RssAnon");
        double swapped = statusMiB(status, "VmSwap");
        memory.privateMiB = resident < 0 ? -1.0 : resident + (swapped > 0 ? swapped : 0.0);
    }
    return memory;
}

void printFigure(const char* name, double value)
{
    std::printf("figure %s %.3f\n", name, value);
    std::fflush(stdout);
}

bool typeFileName(HWND dialog, const std::string& path)
{
    HWND nameBox = dialog ? GetDlgItem(dialog, 0x47C) : nullptr;
    if (dialog && !nameBox)
        nameBox = GetDlgItem(dialog, 0x480);
    return nameBox && SetWindowTextA(nameBox, path.c_str());
}

} // namespace bench
