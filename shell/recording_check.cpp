// The "Recording check" window: MAME plays a recording to its end without a screen, and the window tells how far.
#include "shell/recording_check.h"

#include "common/bounded_text.h"
#include "common/message.h"
#include "emulator/game_list.h"
#include "emulator/recording_check.h"
#include "emulator/recording_check_win.h"
#include "shell/app.h"
#include "shell/check_window.h"
#include "shell/long_text.h"
#include "shell/picture.h"
#include "shell/speed_graph.h"
#include "resource.h"

#include <algorithm>
#include <cstring>
#include <ctime>

namespace {

const UINT_PTR kElapsedTimer = 1;

// The state of one check window, its own (keepWindowState).
struct CheckWindow {
    CheckOrder order;
    RecordingCheck* work; // the check under way, null once it has ended
    bool closeWhenEnded;
    DWORD started; // when MAME started
    HBITMAP picture;
};

constexpr auto stateOf = windowState<CheckWindow>;

void showCheckPicture(HWND window, CheckWindow& state, const char* path)
{
    HWND control = GetDlgItem(window, IDC_CHECK_PICTURE);
    if (HBITMAP bitmap = pictureToFit(control, path))
        showPicture(control, bitmap, state.picture);
}

// What the file's head and frames tell, before MAME runs.
void onFile(HWND window, const CheckFileReport& report)
{
    const RecordingHeader& header = report.header;
    SetDlgItemTextA(window, IDC_CHECK_FILE, report.frames);
    showSpeedGraph(GetDlgItem(window, IDC_CHECK_GRAPH), &report.graph, kNoSpeedDrawn);
    if (!header.present)
        return;
    setDlgItemFormat(window, IDC_CHECK_SYSTEM, "System: %s", header.system);
    setDlgItemFormat(window, IDC_CHECK_MADE_BY, "Recorded using %s", header.madeBy);
    std::time_t created = static_cast<std::time_t>(header.created);
    // As MAME reports it: "Tue Dec  8 20:31:53 2026".
    char date[64] = "?";
    if (std::tm* local = std::localtime(&created)) {
        char dayAndMonth[16], time[32];
        std::strftime(dayAndMonth, sizeof dayAndMonth, "%a %b", local);
        std::strftime(time, sizeof time, "%H:%M:%S %Y", local);
        formatText(date, sizeof date, "%s %2d %s", dayAndMonth, local->tm_mday, time);
    }
    setDlgItemFormat(window, IDC_CHECK_CREATED, "Created %s", date);
}

void onRun(HWND window)
{
    stateOf(window).started = GetTickCount();
    SetDlgItemTextA(window, IDC_CHECK_STATUS, "Checking... 0:00");
    SetTimer(window, kElapsedTimer, 250, nullptr);
}

void onElapsed(HWND window)
{
    char elapsed[32];
    formatElapsed(GetTickCount() - stateOf(window).started, elapsed, sizeof elapsed);
    setDlgItemFormat(window, IDC_CHECK_STATUS, "Checking... %s", elapsed);
}

// The check's verdict, or why there is none; Close takes over from Cancel.
void finish(HWND window, const char* verdict)
{
    KillTimer(window, kElapsedTimer);
    // Read-only, so that MAME's longest words show whole.
    showLongText(window, IDC_CHECK_VERDICT, verdict);
    offerClose(window, IDC_CHECK_CANCEL, IDC_CHECK_CLOSE);
}

void onEnd(HWND window)
{
    CheckWindow& state = stateOf(window);
    if (!state.work)
        return;
    CheckEndReport report = checkEndReport(*state.work);
    finishRecordingCheck(state.work);
    state.work = nullptr;
    if (state.closeWhenEnded) {
        EndDialog(window, 0);
        return;
    }
    SetDlgItemTextA(window, IDC_CHECK_PLAYED, report.played);
    finish(window, report.verdict);
    SetDlgItemTextA(window, IDC_CHECK_STATUS, report.status);
    if (report.picture[0] != '\0') {
        showCheckPicture(window, state, report.picture);
        setDlgItemFormat(window, IDC_CHECK_STATUS, "Picture: %s", report.picture);
    }
}

// Every text is set here, so nothing of an earlier check shows; the
// reading, the questions and MAME's run go on on the check's own thread.
void onOpen(HWND window, CheckWindow* state)
{
    keepWindowState(window, state);
    setDlgItemFormat(window, IDC_CHECK_RECORDING, "Recording: %s\\%s", state->order.directory, state->order.fileName);
    for (int id :
         {IDC_CHECK_SYSTEM, IDC_CHECK_MADE_BY, IDC_CHECK_CREATED, IDC_CHECK_FILE, IDC_CHECK_PLAYED, IDC_CHECK_VERDICT})
        SetDlgItemTextA(window, id, "");
    SetDlgItemTextA(window, IDC_CHECK_STATUS, "Reading the recording...");
    state->work = startRecordingCheck(state->order, window);
    if (!state->work)
        finish(window, "The check could not start: the system has no thread to give it.");
}

void onCancel(HWND window)
{
    CheckWindow& state = stateOf(window);
    if (!state.work)
        return;
    EnableWindow(GetDlgItem(window, IDC_CHECK_CANCEL), FALSE);
    cancelRecordingCheck(*state.work);
}

void onClose(HWND window)
{
    CheckWindow& state = stateOf(window);
    if (state.work) {
        state.closeWhenEnded = true;
        cancelRecordingCheck(*state.work);
        return;
    }
    EndDialog(window, 0);
}

INT_PTR CALLBACK recordingCheckProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: onOpen(window, reinterpret_cast<CheckWindow*>(lParam)); return TRUE;
    case WM_TIMER: onElapsed(window); return TRUE;
    case kCheckFileMessage: onFile(window, checkFileReport(*stateOf(window).work)); return TRUE;
    case kCheckRunMessage: onRun(window); return TRUE;
    case kCheckEndMessage: onEnd(window); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_CHECK_CANCEL: onCancel(window); break;
        case IDC_CHECK_CLOSE: onClose(window); break;
        }
        return TRUE;
    case WM_CLOSE: onClose(window); return TRUE;
    case WM_DESTROY: forgetPicture(window, IDC_CHECK_PICTURE, stateOf(window).picture); return TRUE;
    }
    return FALSE;
}

} // namespace

void runRecordingCheck(HWND owner, const char* directory, const char* fileName, const CheckFallback& fallback)
{
    readyPictures();
    readySpeedGraph();
    CheckWindow state{};
    if (!copyText(state.order.directory, sizeof state.order.directory, directory) ||
        !copyText(state.order.fileName, sizeof state.order.fileName, fileName)) {
        showMessage("The path of this recording is too long to check it.", "Check INP");
        return;
    }
    if (isGameIndex(fallback.game))
        copyText(state.order.fallbackSystem, sizeof state.order.fallbackSystem,
                 gameTable[static_cast<std::size_t>(fallback.game)].shortName);
    state.order.fallbackVersion = fallback.version;
    state.order.forcedVersion = -1;
    DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_RECORDING_CHECK), owner, recordingCheckProc,
                    reinterpret_cast<LPARAM>(&state));
}
