// Drives hobrin.exe from outside its process, as a user would.
#include "tests/e2e/driver.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace e2e {

namespace {

const DWORD kPollMs = 20;
// The static control that holds a message box's text.
const int kMessageBoxTextId = 0xFFFF;
// The file-name box of the common file dialogs (a combo box in the explorer style).
const int kFileNameComboId = 0x47C;
const int kFileNameEditId = 0x480;

// Messages to the program wait at most this long: a program that hangs then
// fails the test instead of stalling the whole run. Two suites share the
// processors with the native build, so a busy moment may take seconds.
constexpr UINT kAnswerTimeoutMs = 15000;

LRESULT sendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool wide = false)
{
    DWORD_PTR result = 0;
    LRESULT answered =
        wide ? SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result)
             : SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result);
    if (!answered && window && GetLastError() == ERROR_TIMEOUT)
        ADD_FAILURE() << "the program did not answer message " << message << " within " << kAnswerTimeoutMs
                      << " ms: it hangs";
    return answered ? static_cast<LRESULT>(result) : 0;
}

std::string fromWide(const std::wstring& wide, UINT codePage)
{
    int size =
        WideCharToMultiByte(codePage, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(codePage, 0, wide.c_str(), static_cast<int>(wide.size()), &bytes[0], size, nullptr,
                            nullptr);
    return bytes;
}

// The text message takes no size: an item that the program replaces with a
// longer one after its length was asked would overrun a buffer of that
// length (the lists change while a test polls them). Every item is read
// into one buffer longer than any line the program makes.
void readWideItems(HWND control, UINT lengthMessage, UINT textMessage, std::vector<std::wstring>& lines,
                   std::size_t first, std::size_t end)
{
    const LRESULT kRoom = 32768;
    std::vector<wchar_t> buffer(static_cast<std::size_t>(kRoom) + 1);
    for (std::size_t i = first; i < end; ++i) {
        LRESULT length = sendBounded(control, lengthMessage, i, 0, true);
        if (length < 0 || length >= kRoom)
            continue;
        buffer[0] = L'\0';
        LRESULT copied = sendBounded(control, textMessage, i, reinterpret_cast<LPARAM>(buffer.data()), true);
        if (copied > 0 && copied < kRoom)
            lines[i].assign(buffer.data(), static_cast<std::size_t>(copied));
    }
}

// Wine hands the items of another process's list or combo box back in UTF-16
// even to the ANSI messages, so they are read wide. Each item costs round
// trips through the Wine server, so a long list is read by several threads
// at once, which keep the program's thread busy in between.
std::vector<std::wstring> wideItemLines(HWND control, UINT countMessage, UINT lengthMessage, UINT textMessage)
{
    LRESULT count = sendBounded(control, countMessage, 0, 0, true);
    std::vector<std::wstring> lines(static_cast<std::size_t>(count > 0 ? count : 0));
    const std::size_t kReaders = lines.size() > 1000 ? 4 : 1;
    std::vector<std::thread> readers;
    for (std::size_t r = 0; r < kReaders; ++r) {
        std::size_t first = lines.size() * r / kReaders, end = lines.size() * (r + 1) / kReaders;
        readers.emplace_back(readWideItems, control, lengthMessage, textMessage, std::ref(lines), first, end);
    }
    for (std::thread& reader : readers)
        reader.join();
    return lines;
}

std::vector<std::string> itemLines(HWND control, UINT countMessage, UINT lengthMessage, UINT textMessage)
{
    std::vector<std::string> lines;
    for (const std::wstring& wide : wideItemLines(control, countMessage, lengthMessage, textMessage))
        lines.push_back(fromWide(wide, CP_ACP));
    return lines;
}

// Waits for `handle` or `milliseconds`, whichever comes first, handling the
// driver's own messages meanwhile: the program sends messages to other
// top-level threads while its windows go away, and a driver that does not
// answer stalls it.
DWORD pumpingWait(HANDLE handle, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds)
            return handle && WaitForSingleObject(handle, 0) == WAIT_OBJECT_0 ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
        DWORD result = MsgWaitForMultipleObjects(handle ? 1 : 0, &handle, FALSE, milliseconds - elapsed, QS_ALLINPUT);
        if (handle && result == WAIT_OBJECT_0)
            return WAIT_OBJECT_0;
        if (result == WAIT_FAILED)
            return WAIT_FAILED;
    }
}

} // namespace

bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return condition();
        pumpingWait(nullptr, kPollMs);
    }
}

HWND findWindow(DWORD processId, const std::string& title)
{
    return findProcessWindow(processId, title.c_str());
}

HWND waitForWindow(DWORD processId, const std::string& title, DWORD timeoutMs)
{
    HWND found = nullptr;
    waitUntil([&] { return (found = findWindow(processId, title)) != nullptr; }, timeoutMs);
    return found;
}

bool waitUntilGone(HWND window, DWORD timeoutMs)
{
    return waitUntil([&] { return !IsWindow(window); }, timeoutMs);
}

bool waitUntilHidden(HWND window, DWORD timeoutMs)
{
    return waitUntil([&] { return !IsWindowVisible(window); }, timeoutMs);
}

namespace {

// Shown as a user sees it: visible, and its thread free to answer. Under
// load the main window has been seen visible while its thread still waited
// for MAME's end.
bool shownAndAnswering(HWND window)
{
    DWORD_PTR ignored = 0;
    return IsWindowVisible(window) != FALSE &&
           SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &ignored) != 0;
}

} // namespace

bool waitUntilShown(HWND window, DWORD timeoutMs)
{
    return waitUntil([&] { return shownAndAnswering(window); }, timeoutMs);
}

void press(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    ASSERT_NE(control, nullptr) << "no control " << id;
    PostMessageA(control, BM_CLICK, 0, 0);
}

bool clickWithMouse(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    RECT rect{};
    GetWindowRect(control, &rect);
    POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    if (!control || WindowFromPoint(centre) != control)
        return false;
    SetCursorPos(centre.x, centre.y);
    INPUT clicks[2]{};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return SendInput(2, clicks, sizeof(INPUT)) == 2;
}

void postCommand(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

namespace {

HWND focusedControl(HWND dialog)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

} // namespace

void pressKey(HWND dialog, WORD virtualKey)
{
    HWND focus = focusedControl(dialog);
    HWND target = focus ? focus : dialog;
    UINT scanCode = MapVirtualKeyA(virtualKey, 0);
    PostMessageA(target, WM_KEYDOWN, virtualKey, 1 | (scanCode << 16));
    PostMessageA(target, WM_KEYUP, virtualKey, 1 | (scanCode << 16) | 0xC0000000u);
}

bool focusControl(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    return waitUntil([&] { return focusedControl(dialog) == control; });
}

void typeText(HWND dialog, const std::string& text)
{
    HWND target = focusedControl(dialog);
    for (char c : text)
        PostMessageA(target ? target : dialog, WM_CHAR, static_cast<unsigned char>(c), 1);
}

void flushPostedMessages(HWND dialog, int buttonId)
{
    HWND button = GetDlgItem(dialog, buttonId);
    ASSERT_NE(button, nullptr);
    PostMessageA(button, BM_SETSTATE, TRUE, 0);
    EXPECT_TRUE(waitUntil([&] { return (sendBounded(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; }));
    sendBounded(button, BM_SETSTATE, FALSE, 0);
}

std::string text(HWND dialog, int id)
{
    char buffer[4096] = "";
    sendBounded(GetDlgItem(dialog, id), WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

void setText(HWND dialog, int id, const std::string& value)
{
    sendBounded(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
}

bool isChecked(HWND dialog, int id)
{
    return sendBounded(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool isEnabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

std::vector<std::string> listLines(HWND dialog, int id)
{
    return itemLines(GetDlgItem(dialog, id), LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

std::wstring wideText(HWND dialog, int id)
{
    wchar_t buffer[4096] = L"";
    sendBounded(GetDlgItem(dialog, id), WM_GETTEXT, sizeof buffer / sizeof buffer[0], reinterpret_cast<LPARAM>(buffer),
                true);
    return buffer;
}

std::vector<std::wstring> wideListLines(HWND dialog, int id)
{
    return wideItemLines(GetDlgItem(dialog, id), LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

int listSelection(HWND dialog, int id)
{
    return static_cast<int>(sendBounded(GetDlgItem(dialog, id), LB_GETCURSEL, 0, 0));
}

std::vector<std::string> comboLines(HWND dialog, int id)
{
    return itemLines(GetDlgItem(dialog, id), CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

int comboSelection(HWND dialog, int id)
{
    return static_cast<int>(sendBounded(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0));
}

void selectComboItem(HWND dialog, int id, int index)
{
    sendBounded(GetDlgItem(dialog, id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void selectListItem(HWND dialog, int id, int index)
{
    sendBounded(GetDlgItem(dialog, id), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

namespace {

struct WindowVisit {
    DWORD processId;
    const std::function<bool(HWND)>* visit;
};

BOOL CALLBACK visitWindow(HWND window, LPARAM parameter)
{
    auto* state = reinterpret_cast<WindowVisit*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != state->processId || !IsWindowVisible(window))
        return TRUE;
    return (*state->visit)(window) ? TRUE : FALSE;
}

// The visible top-level windows of process `processId`, each handed to
// `visit` until it returns false. Window texts are read with
// GetWindowText, which reads another process's text without a message, so
// this works while the program's thread is busy (as during a list build).
void visitWindows(DWORD processId, const std::function<bool(HWND)>& visit)
{
    WindowVisit state{processId, &visit};
    EnumWindows(visitWindow, reinterpret_cast<LPARAM>(&state));
}

std::string windowText(HWND window)
{
    char buffer[512] = "";
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

// A message box titled "Hobrin" shares its title with the main window,
// which has a game list and no text of a box.
HWND findMessageBox(DWORD processId, const std::string& title)
{
    HWND found = nullptr;
    visitWindows(processId, [&](HWND window) {
        if (windowText(window) != title || GetDlgItem(window, 1000) || !GetDlgItem(window, kMessageBoxTextId))
            return true;
        found = window;
        return false;
    });
    return found;
}

} // namespace

HWND findDialogByControlText(DWORD processId, int id, const std::string& controlText)
{
    HWND found = nullptr;
    visitWindows(processId, [&](HWND window) {
        HWND control = GetDlgItem(window, id);
        if (!control || windowText(control) != controlText)
            return true;
        found = window;
        return false;
    });
    return found;
}

int upDownPosition(HWND dialog, int id)
{
    return LOWORD(sendBounded(GetDlgItem(dialog, id), UDM_GETPOS, 0, 0));
}

std::vector<DWORD> processesNamed(const std::string& fileName)
{
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, fileName.c_str()) == 0)
            found.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return found;
}

std::vector<std::string> visibleWindowTitles(DWORD processId)
{
    std::vector<std::string> titles;
    visitWindows(processId, [&](HWND window) {
        titles.push_back(windowText(window));
        return true;
    });
    return titles;
}

std::string answerMessageBox(DWORD processId, const std::string& title, DWORD timeoutMs, int button)
{
    HWND box = nullptr;
    waitUntil([&] { return (box = findMessageBox(processId, title)) != nullptr; }, timeoutMs);
    if (!box) {
        ADD_FAILURE() << "no message box titled \"" << title << "\"";
        return std::string();
    }
    // A thread that has not looked at its messages for 5 s (a worker that
    // waited that long on the network) counts as hung until its box's own
    // loop starts, and messages that abort on a hung thread fail meanwhile.
    waitUntil([&] { return !IsHungAppWindow(box); });
    std::string message = text(box, kMessageBoxTextId);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    EXPECT_TRUE(waitUntilGone(box)) << "message box \"" << title << "\" stayed open";
    return message;
}

void chooseFile(DWORD processId, const std::string& title, const std::string& fileName)
{
    HWND dialog = waitForWindow(processId, title);
    ASSERT_NE(dialog, nullptr) << "no file dialog titled \"" << title << "\"";
    HWND nameBox = GetDlgItem(dialog, kFileNameComboId);
    if (!nameBox)
        nameBox = GetDlgItem(dialog, kFileNameEditId);
    ASSERT_NE(nameBox, nullptr) << "file dialog has no file-name box";
    SetWindowTextA(nameBox, fileName.c_str());
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    EXPECT_TRUE(waitUntilGone(dialog)) << "file dialog did not accept " << fileName;
}

void cancelFileDialog(DWORD processId, const std::string& title)
{
    HWND dialog = waitForWindow(processId, title);
    ASSERT_NE(dialog, nullptr) << "no file dialog titled \"" << title << "\"";
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    EXPECT_TRUE(waitUntilGone(dialog)) << "file dialog did not close";
}

std::string standinCommand(int version)
{
    const char* installed = std::getenv(version == 0 ? "HOBRIN_E2E_MAME_0106" : "HOBRIN_E2E_MAME_0251");
    std::string program = installed && *installed ? "\"" + std::string(installed) + "\"" : "mame-standin.exe";
    return version == 0 ? program : program + " -version 0.251";
}

std::string standinVersions()
{
    return "MAME 0.106 (stand-in)\n" + standinCommand(0) + "\n0.106\nWin32\n" + "MAME 0.251 (stand-in)\n" +
           standinCommand(1) + "\n0.251\nWin64\n";
}

std::string realMameCommand()
{
    const char* mame = std::getenv("HOBRIN_E2E_MAME_REAL");
    return mame && *mame ? "\"" + std::string(mame) + "\"" : std::string();
}

void HobrinTest::SetUp()
{
    // Each test works in a folder named in another script, as players'
    // folders are: Greek, Polish, Japanese, French.
    static const char* const kScripts[] = {"\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC",
                                           "Gry \xC5\x81\xC3\xB3"
                                           "d\xC5\xBA",
                                           "\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0", "\xC3\x89mulateurs"};
    static int counter = 0;
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    std::ostringstream name;
    ++counter;
    name << temp << "hobrin-e2e-" << GetCurrentProcessId() << "-" << counter << " " << kScripts[counter % 4];
    directory_ = name.str();
    removeTree(directory_);
    ASSERT_TRUE(CreateDirectoryA(directory_.c_str(), nullptr)) << "cannot create " << directory_;
    writeFile("versions.ini", standinVersions());
}

void HobrinTest::TearDown()
{
    stopOwnProgram();
    removeTree(directory_);
}

void HobrinTest::useDirectory(const std::string& folder)
{
    ASSERT_FALSE(folder.empty()) << "no such folder in this test run: run the tests through tools/test.sh";
    removeTree(directory_);
    directory_ = folder;
    removeTree(directory_);
    ASSERT_TRUE(CreateDirectoryA(directory_.c_str(), nullptr)) << "cannot create " << directory_;
    writeFile("versions.ini", standinVersions());
}

std::string HobrinTest::path(const std::string& name) const
{
    return directory_ + "\\" + name;
}

void HobrinTest::writeFile(const std::string& name, const std::string& bytes)
{
    std::ofstream file(path(name), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file.good()) << "cannot write " << name;
}

bool HobrinTest::fileExists(const std::string& name) const
{
    return GetFileAttributesA(path(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string HobrinTest::readFile(const std::string& name) const
{
    std::ifstream file(path(name), std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

void HobrinTest::makeDirectory(const std::string& name)
{
    ASSERT_TRUE(CreateDirectoryA(path(name).c_str(), nullptr)) << "cannot create " << name;
}

HWND HobrinTest::start()
{
    return launch() ? waitForMainWindow() : nullptr;
}

HWND HobrinTest::waitForMainWindow(DWORD timeoutMs)
{
    mainWindow_ = waitForWindow(process_.dwProcessId, "Hobrin", timeoutMs);
    EXPECT_NE(mainWindow_, nullptr) << "the main window did not show";
    return mainWindow_;
}

std::string HobrinTest::waitForRunEnd(HWND window, DWORD timeoutMs)
{
    HWND problem = nullptr;
    EXPECT_TRUE(waitUntil(
        [&] {
            problem = findWindow(process_.dwProcessId, "Problem calling MAME");
            return problem || shownAndAnswering(window);
        },
        timeoutMs))
        << "the run did not end";
    return problem ? answerMessageBox(process_.dwProcessId, "Problem calling MAME") : std::string();
}

std::string HobrinTest::runAndWait(HWND window, int button, DWORD timeoutMs)
{
    press(window, button);
    answerMessageBox(processId(), "Commandline view", timeoutMs);
    return waitForRunEnd(window, timeoutMs);
}

void HobrinTest::deleteFile(const std::string& name)
{
    DeleteFileA(path(name).c_str());
}

std::vector<std::string> HobrinTest::emulatorCalls() const
{
    return splitLines(readFile("standin-calls.txt"));
}

bool startProgram(const std::string& directory, PROCESS_INFORMATION& process, const std::string& programName)
{
    bool fullPath = programName.find(':') != std::string::npos;
    std::string program = fullPath ? programName : moduleDirectory() + "\\" + programName;
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    // Without a console, as when started from the desktop: the emulator then
    // gets a console of its own, with whatever comes with it.
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        directory.c_str(), &startup, &process)) {
        ADD_FAILURE() << "cannot start " << program << " [" << GetLastError() << "]";
        process = PROCESS_INFORMATION{};
        return false;
    }
    return true;
}

void stopProgram(PROCESS_INFORMATION& process)
{
    if (!process.hProcess)
        return;
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 1);
        pumpingWait(process.hProcess, kDefaultTimeoutMs);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    process = PROCESS_INFORMATION{};
}

std::string readOnlyFolder()
{
    const char* folder = std::getenv("HOBRIN_E2E_READONLY_DIR");
    return folder ? folder : "";
}

std::string smallDisk()
{
    const char* folder = std::getenv("HOBRIN_E2E_SMALL_DISK");
    return folder ? folder : "";
}

void fillDisk(const std::string& folder, unsigned long long leaveBytes)
{
    ULARGE_INTEGER free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA(folder.c_str(), &free, nullptr, nullptr)) << folder;
    std::ofstream filler(folder + "\\filler", std::ios::binary | std::ios::app);
    const std::string block(4096, 'f');
    for (unsigned long long left = free.QuadPart; left >= leaveBytes + block.size() && filler.good();
         left -= block.size())
        filler.write(block.data(), static_cast<std::streamsize>(block.size()));
}

bool HobrinTest::launch(const std::string& programName)
{
    stopOwnProgram();
    return startProgram(directory_, process_, programName);
}

DWORD HobrinTest::closeWithCloseBox()
{
    PostMessageA(mainWindow_, WM_SYSCOMMAND, SC_CLOSE, 0);
    return waitForExit();
}

DWORD waitForExitOf(const PROCESS_INFORMATION& process, DWORD timeoutMs)
{
    if (!process.hProcess)
        return static_cast<DWORD>(-1);
    EXPECT_EQ(pumpingWait(process.hProcess, timeoutMs), WAIT_OBJECT_0) << "the program did not end";
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &code);
    return code;
}

DWORD HobrinTest::waitForExit(DWORD timeoutMs)
{
    return waitForExitOf(process_, timeoutMs);
}

bool HobrinTest::running() const
{
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

void HobrinTest::stopOwnProgram()
{
    stopProgram(process_);
    mainWindow_ = nullptr;
}

std::string yorlPath(const std::string& name)
{
    const char* data = std::getenv("HOBRIN_E2E_YORL_DATA");
    if (!data || !*data) {
        ADD_FAILURE() << "HOBRIN_E2E_YORL_DATA names no directory: run the tests through tools/test.sh";
        return name;
    }
    return std::string(data) + "\\" + name;
}

namespace {

std::string variableOr(const char* name, const char* otherwise)
{
    const char* value = std::getenv(name);
    return value && *value ? value : otherwise;
}

} // namespace

std::string serviceUrl()
{
    return variableOr("HOBRIN_E2E_SERVICE_URL", HOBRIN_SERVICE_URL);
}

std::string tlsServiceUrl()
{
    return variableOr("HOBRIN_E2E_TLS_URL", HOBRIN_TEST_TLS_URL);
}

void writeYorlFile(const std::string& name, const std::string& bytes)
{
    std::ofstream file(yorlPath(name), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file.good()) << "cannot write " << yorlPath(name);
}

void removeYorlFile(const std::string& name)
{
    DeleteFileA(yorlPath(name).c_str());
}

void resetYorlData()
{
    for (const char* folder : {"scores", "inp"}) {
        std::string directory = yorlPath(folder);
        removeTree(directory);
        CreateDirectoryA(directory.c_str(), nullptr);
    }
    for (const char* name : {"requests.log", "credentials.log", "recent.txt", "recent.mode", "tls.mode"})
        removeYorlFile(name);
}

void serveRecording(const std::string& archive, const std::string& recordingName)
{
    const char* zips = std::getenv("HOBRIN_E2E_ZIPS");
    ASSERT_TRUE(zips && *zips) << "HOBRIN_E2E_ZIPS names no directory: run the tests through tools/test.sh";
    std::string from = std::string(zips) + "\\" + archive;
    std::string to = yorlPath("inp\\" + recordingName + ".zip");
    ASSERT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << "cannot copy " << from << " to " << to;
}

std::string testFile(const std::string& name)
{
    const char* zips = std::getenv("HOBRIN_E2E_ZIPS");
    EXPECT_TRUE(zips && *zips) << "HOBRIN_E2E_ZIPS names no directory: run the tests through tools/test.sh";
    std::ifstream file(std::string(zips ? zips : "") + "\\" + name, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    EXPECT_FALSE(content.str().empty()) << "no test file " << name;
    return content.str();
}

namespace {

// What the screen shows of `window`, 32-bit pixels from its top row down;
// empty when the screen could not be read.
std::vector<DWORD> screenPixels(HWND window, int& width, int& height)
{
    RECT rect;
    if (!GetWindowRect(window, &rect))
        return {};
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<DWORD> pixels;
    if (bitmap) {
        HGDIOBJ before = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY)) {
            GdiFlush();
            const DWORD* first = static_cast<const DWORD*>(bits);
            pixels.assign(first, first + static_cast<std::size_t>(width) * height);
        }
        SelectObject(memory, before);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

} // namespace

int pixelsOfColour(HWND control, COLORREF colour)
{
    int width = 0, height = 0;
    const std::vector<DWORD> pixels = screenPixels(control, width, height);
    if (pixels.empty())
        return -1;
    const DWORD wanted = GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
    return static_cast<int>(
        std::count_if(pixels.begin(), pixels.end(), [&](DWORD pixel) { return (pixel & 0xFFFFFF) == wanted; }));
}

void savePictureToLookAt(HWND window, const std::string& name)
{
    const char* folder = std::getenv("HOBRIN_E2E_PICTURES");
    int width = 0, height = 0;
    const std::vector<DWORD> pixels = folder ? screenPixels(window, width, height) : std::vector<DWORD>();
    if (pixels.empty())
        return;
    const DWORD bytes = static_cast<DWORD>(pixels.size() * 4);
    BITMAPFILEHEADER file{0x4D42, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + bytes, 0, 0,
                          sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    BITMAPINFOHEADER info{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, bytes, 0, 0, 0, 0};
    std::ofstream out(std::string(folder) + "\\" + name + ".bmp", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(reinterpret_cast<const char*>(pixels.data()), bytes);
    EXPECT_TRUE(out.good()) << "cannot save " << name;
}

namespace {

std::vector<std::string> yorlLogLines(const char* name)
{
    std::ifstream file(yorlPath(name), std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return splitLines(content.str());
}

} // namespace

std::vector<std::string> yorlRequests()
{
    return yorlLogLines("requests.log");
}

std::vector<std::string> yorlCredentials()
{
    return yorlLogLines("credentials.log");
}

std::wstring fromCodePage(const std::string& bytes)
{
    // The driver itself runs in UTF-8, as the program does.
    DWORD codePage = 0;
    if (!GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                        reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(WCHAR)))
        codePage = 1252;
    int size = MultiByteToWideChar(codePage, 0, bytes.c_str(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(codePage, 0, bytes.c_str(), static_cast<int>(bytes.size()), &wide[0], size);
    return wide;
}

std::string utf8(const std::wstring& text)
{
    return fromWide(text, CP_UTF8);
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<std::uint32_t> settingsSlots(const std::string& bytes)
{
    std::vector<std::uint32_t> slots;
    for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        std::uint32_t value = 0;
        for (int b = 3; b >= 0; --b)
            value = value << 8 | static_cast<unsigned char>(bytes[i + b]);
        slots.push_back(value);
    }
    return slots;
}

std::string settingsBytes(const std::vector<std::uint32_t>& slots)
{
    std::string bytes;
    for (std::uint32_t value : slots) {
        for (int b = 0; b < 4; ++b)
            bytes.push_back(static_cast<char>(value >> (8 * b)));
    }
    return bytes;
}

} // namespace e2e
