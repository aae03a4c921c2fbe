// The main window itself: its procedure, which hands each message to the part that owns it, its opening and its end.
#include "shell/main_window.h"

#include "common/app_messages.h"
#include "common/dialog_controls.h"
#include "emulator/rom_audit_win.h"
#include "shell/about.h"
#include "shell/main_launches.h"
#include "shell/main_options.h"
#include "shell/main_window_state.h"
#include "shell/working_folder.h"
#include "resource.h"

#include <new>

namespace {

const int kControlsEnabledAtOpening[] = {IDC_MAIN_RECORD, IDC_MAIN_PLAYBACK, IDC_MAIN_PLAY, IDC_MAIN_VERSION};

// Returns whether the dialog manager is to set the first focus. Without
// room for its state the window ends at once, and its caller says so.
INT_PTR onOpen(HWND window)
{
    MainWindowState* state = new (std::nothrow) MainWindowState;
    if (!state) {
        EndDialog(window, -1);
        return FALSE;
    }
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    announceMainWindow(window);
    openOptions(window);
    openScores(window, state->scores);
    listFirstVersion(window, state->games);
    enableControls(window, kControlsEnabledAtOpening, true);
    return showFirstGames(window, state->games) ? TRUE : FALSE;
}

void onClose(HWND window)
{
    saveOptions(window);
    endRomAuditBeforeExit();
    EndDialog(window, 0);
}

void onEnd(HWND window, MainWindowState* state)
{
    SetWindowLongPtrA(window, DWLP_USER, 0);
    delete state;
}

// Enter presses the default button. While the caret is in "Go to:" or
// "Split:" the player has typed a name, and Enter does what the button
// beside that field does; everywhere else it plays the selected game.
void onFieldFocus(HWND window, WORD notification, int buttonOfField)
{
    if (notification == EN_SETFOCUS)
        SendMessageA(window, DM_SETDEFID, static_cast<WPARAM>(buttonOfField), 0);
    else if (notification == EN_KILLFOCUS)
        SendMessageA(window, DM_SETDEFID, IDC_MAIN_PLAY, 0);
}

void onCommand(HWND window, MainWindowState& state, WORD id, WORD notification)
{
    switch (id) {
    case IDC_MAIN_EXIT: SendMessageA(window, WM_CLOSE, 0, 0); break;
    case IDC_MAIN_PLAYBACK: onPlayback(window); break;
    case IDC_MAIN_RECORD: onRecord(window); break;
    case IDC_MAIN_PLAY: onPlay(window); break;
    case IDC_MAIN_CHECK: onCheckRecording(window); break;
    case IDC_MAIN_NO_SOUND: onToggleSound(window); break;
    case IDC_MAIN_ONLY_FOUND: onToggleOnlyFound(window, state.games); break;
    case IDC_MAIN_ABOUT: runAboutBox(window); break;
    case IDC_MAIN_REFRESH: onRefresh(window, state.games); break;
    case IDC_MAIN_ADD_VERSION: onAddVersion(window, state.games); break;
    case IDC_MAIN_REMOVE_VERSION: onRemoveVersion(window, state.games); break;
    case IDC_MAIN_FIND: onFind(window, state.games); break;
    case IDC_MAIN_GOTO: onFieldFocus(window, notification, IDC_MAIN_FIND); break;
    case IDC_MAIN_SPLIT: onFieldFocus(window, notification, IDC_MAIN_HIGH_SCORES); break;
    case IDC_MAIN_CHECK_ALL: onCheckAll(window); break;
    case IDC_MAIN_SCORE_LIST: onScoreList(window, state.scores, notification); break;
    case IDC_MAIN_HIGH_SCORES: onHighScores(window, state.scores); break;
    case IDC_MAIN_RECENT_UPLOADS: onRecentUploads(window, state.scores); break;
    default: toggleOption(id); break;
    }
}

} // namespace

MainWindowState* mainWindowState(HWND window)
{
    return reinterpret_cast<MainWindowState*>(GetWindowLongPtrA(window, DWLP_USER));
}

INT_PTR CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return onOpen(window);
    // Before the opening and after the end the window has nothing of its own to handle.
    MainWindowState* state = mainWindowState(window);
    if (!state)
        return FALSE;
    switch (message) {
    case WM_COMMAND: onCommand(window, *state, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_CLOSE: onClose(window); return TRUE;
    case kFeedAnswerMessage: onFeedAnswer(state->scores, reinterpret_cast<const FeedAnswer*>(lParam)); return TRUE;
    case kShowFoundMessage: showFound(window, state->games); return TRUE;
    case kAuditLookingMessage: onAuditLooking(window, state->games); return TRUE;
    case kAuditAnswerMessage: onAuditAnswer(window, state->games); return TRUE;
    case WM_DESTROY: closeScores(state->scores); return TRUE;
    // Left to the dialog manager too, which frees what it keeps of the window.
    case WM_NCDESTROY: onEnd(window, state); return FALSE;
    }
    return FALSE;
}
