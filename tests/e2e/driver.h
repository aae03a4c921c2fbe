// Drives hobrin.exe from outside its process, as a user would: windows by
// title, controls by id, message boxes and the common file dialogs.
#pragma once

#include "tests/e2e/win_shared.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Every wait polls with this bound unless a test gives its own.
constexpr DWORD kDefaultTimeoutMs = 15000;

// Polls `condition` until it holds or `timeoutMs` has passed.
bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kDefaultTimeoutMs);

// A visible top-level window of process `processId` whose title is exactly
// `title`, or null.
HWND findWindow(DWORD processId, const std::string& title);
HWND waitForWindow(DWORD processId, const std::string& title, DWORD timeoutMs = kDefaultTimeoutMs);
bool waitUntilGone(HWND window, DWORD timeoutMs = kDefaultTimeoutMs);
bool waitUntilHidden(HWND window, DWORD timeoutMs = kDefaultTimeoutMs);
bool waitUntilShown(HWND window, DWORD timeoutMs = kDefaultTimeoutMs);

// Clicks a control as the mouse would (posted, so a handler that opens a
// modal box does not block the driver). A disabled control ignores it.
void press(HWND dialog, int id);
// Clicks a control with the mouse itself, at its centre, as a player
// would: the click goes where the system sends it, so a disabled window
// never sees it. False when another window covers that point.
bool clickWithMouse(HWND dialog, int id);
// Posts a command straight to the dialog, for ids without a control (Escape).
void postCommand(HWND dialog, int id);
// Presses a key in the dialog's focused control, through the dialog manager.
void pressKey(HWND dialog, WORD virtualKey);
// Puts the caret into control `id` the way the dialog itself moves it (from
// the dialog's own thread) and waits until it is there.
bool focusControl(HWND dialog, int id);
// Types `text` into the focused control, one character at a time.
void typeText(HWND dialog, const std::string& text);

// Returns once the program has handled every message posted to its thread
// before this call: it posts a pushed state to button `buttonId` and waits
// for it (the state is then released again).
void flushPostedMessages(HWND dialog, int buttonId);

std::string text(HWND dialog, int id);
void setText(HWND dialog, int id, const std::string& value);
bool isChecked(HWND dialog, int id);
bool isEnabled(HWND dialog, int id);
std::vector<std::string> listLines(HWND dialog, int id);
int listSelection(HWND dialog, int id);
// The same, read wide: the characters that the control shows.
std::wstring wideText(HWND dialog, int id);
std::vector<std::wstring> wideListLines(HWND dialog, int id);
std::vector<std::string> comboLines(HWND dialog, int id);
int comboSelection(HWND dialog, int id);
void selectComboItem(HWND dialog, int id, int index);
void selectListItem(HWND dialog, int id, int index);

// A visible dialog of process `processId` that has a control `id` whose text
// is `controlText`: for windows without a caption, such as the splash.
HWND findDialogByControlText(DWORD processId, int id, const std::string& controlText);
int upDownPosition(HWND dialog, int id);

// The titles of the visible top-level windows of process `processId`.
std::vector<std::string> visibleWindowTitles(DWORD processId);

// The processes that run the program file `fileName` ("mame-standin.exe").
std::vector<DWORD> processesNamed(const std::string& fileName);

// Waits for a message box, returns its text and presses OK (or `button`).
std::string answerMessageBox(DWORD processId, const std::string& title, DWORD timeoutMs = kDefaultTimeoutMs,
                             int button = IDOK);

// Drives an open or save dialog: types `fileName` and confirms.
void chooseFile(DWORD processId, const std::string& title, const std::string& fileName);
void cancelFileDialog(DWORD processId, const std::string& title);

// The commands of the two stand-in emulator versions: "MAME 0.106" (index 0)
// and "MAME 0.251" (index 1, with " -version 0.251"). By default both are the
// stand-in beside hobrin.exe, by its bare name. Where the test run installed
// them as Windows places a player's emulators (HOBRIN_E2E_MAME_0106 and
// HOBRIN_E2E_MAME_0251 name them), they are those programs' full paths, in
// quotes since they hold blanks.
std::string standinCommand(int version);
// A versions file listing both versions, in that order.
std::string standinVersions();
// The real MAME 0.251's command, quoted, where the test run installed it
// (HOBRIN_E2E_MAME_REAL names it: the 64-bit prefix), else "".
std::string realMameCommand();

// Each test gets a fresh working directory holding standinVersions() as its
// versions.ini, and its own hobrin.exe process, which is ended at the end of
// the test whatever happened.
class HobrinTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string path(const std::string& name) const;
    const std::string& directory() const { return directory_; }
    void writeFile(const std::string& name, const std::string& bytes);
    bool fileExists(const std::string& name) const;
    std::string readFile(const std::string& name) const;
    void makeDirectory(const std::string& name);

    // Starts the program and waits until its main window shows.
    HWND start();
    // Starts the program (another build of it beside the driver, or one at a
    // full path) without waiting for its main window, for tests that must
    // first answer a message box of the opening. It runs in directory().
    bool launch(const std::string& program = "hobrin.exe");
    // Moves the test to a fresh working directory `folder` (removed at the
    // end), holding the same versions.ini: for folders on another disk.
    void useDirectory(const std::string& folder);
    HWND waitForMainWindow(DWORD timeoutMs = kDefaultTimeoutMs);
    // Waits for the end of an emulator run: `window` shown again, or a
    // "Problem calling MAME" box, which it answers. Returns that box's text,
    // "" when the run went well.
    std::string waitForRunEnd(HWND window, DWORD timeoutMs = kDefaultTimeoutMs);
    // Presses the launch button `button`, answers "Commandline view" and
    // waits for the run's end (waitForRunEnd).
    std::string runAndWait(HWND window, int button, DWORD timeoutMs = kDefaultTimeoutMs);
    void deleteFile(const std::string& name);

    // What the stand-in emulator received, one command line per run.
    std::vector<std::string> emulatorCalls() const;
    // Ends the program through the main window's close box and waits for it.
    DWORD closeWithCloseBox();
    DWORD waitForExit(DWORD timeoutMs = kDefaultTimeoutMs);
    bool running() const;

    DWORD processId() const { return process_.dwProcessId; }
    HWND mainWindow() const { return mainWindow_; }

private:
    void stopOwnProgram();

    std::string directory_;
    PROCESS_INFORMATION process_{};
    HWND mainWindow_ = nullptr;
};

// Starts hobrin.exe in `directory`, without a console as from the desktop.
// False (with a test failure) when it cannot start.
bool startProgram(const std::string& directory, PROCESS_INFORMATION& process,
                  const std::string& program = "hobrin.exe");
// Ends `process` if it still runs and releases its handles.
void stopProgram(PROCESS_INFORMATION& process);
// Waits for `process` to end and returns its exit code (STILL_ACTIVE, with a
// test failure, when it did not end in time).
DWORD waitForExitOf(const PROCESS_INFORMATION& process, DWORD timeoutMs = kDefaultTimeoutMs);

// Folders of a player's machine that the test run made (tools/test.sh): one
// that no one can write, holding a versions.ini, and a 512 KiB disk. ""
// when the run could not make them.
std::string readOnlyFolder();
std::string smallDisk();
// Fills the disk of `folder` with a file "filler" there until at most
// `leaveBytes` are free.
void fillDisk(const std::string& folder, unsigned long long leaveBytes);

// The stand-in YORL service's data directory, shared by the tests that talk
// to it: answers go into files there and every request is logged.
std::string yorlPath(const std::string& name);
// Its plain and TLS addresses, which the programs beside the driver were
// built for: the two suites of a run have a service each.
std::string serviceUrl();
std::string tlsServiceUrl();
void writeYorlFile(const std::string& name, const std::string& bytes);
void removeYorlFile(const std::string& name);
// Empties the data directory's answers and its request log.
void resetYorlData();
std::vector<std::string> yorlRequests();
// The Cookie and Authorization headers that reached the service, one line each.
std::vector<std::string> yorlCredentials();
// Serves the test archive `archive` (made by make_test_zips.py) as the
// recording `recordingName`.
void serveRecording(const std::string& archive, const std::string& recordingName);
// The bytes of a test file that make_test_zips.py wrote (a recording of
// recordings\, say), "" with a test failure when there is none.
std::string testFile(const std::string& name);

// How many of the screen's pixels inside `control` are of `colour`; -1 when
// the screen could not be read.
int pixelsOfColour(HWND control, COLORREF colour);
// Saves what the screen shows of `window` as NAME.bmp in the folder that
// HOBRIN_E2E_PICTURES names, for a person to look at; nothing without it.
void savePictureToLookAt(HWND window, const std::string& name);

// What bytes in the system's legacy ANSI code page stand for. The driver,
// as the program, runs in UTF-8: its narrow texts and paths are UTF-8.
// utf8 gives a text's UTF-8.
std::wstring fromCodePage(const std::string& bytes);
std::string utf8(const std::wstring& text);

// The lines of a text, split at CR LF or LF.
std::vector<std::string> splitLines(const std::string& text);

// The 13 slots of a settings file, read little-endian.
std::vector<std::uint32_t> settingsSlots(const std::string& bytes);
std::string settingsBytes(const std::vector<std::uint32_t>& slots);

} // namespace e2e
