// The Score Properties window: every field of one score, and the download of its recording.
#include "shell/score_properties.h"

#include "common/program_folder.h"
#include "common/bounded_text.h"
#include "online/recording_playback.h"
#include "online/score_record.h"
#include "online/score_text.h"
#include "shell/app.h"
#include "shell/console_output.h"
#include "shell/download_window.h"
#include "shell/main_games.h"
#include "shell/recording_check.h"
#include "emulator/versions.h"
#include "resource.h"

#include <cstdarg>
#include <ctime>

namespace {

// Made when the window opens, deleted when it closes.
HFONT scoreFont;

// The score the window shows: a copy taken when it opens, so that the
// download and playback are of that score whatever feed arrives meanwhile.
ScoreRecord shownScore;

void setScoreFont(HWND window)
{
    HWND scoreControl = GetDlgItem(window, IDC_SCORE_VALUE);
    HDC context = GetDC(scoreControl);
    int height = -MulDiv(8, GetDeviceCaps(context, LOGPIXELSY), 72);
    ReleaseDC(scoreControl, context);
    scoreFont = CreateFontA(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, nullptr);
    SendMessageA(scoreControl, WM_SETFONT, reinterpret_cast<WPARAM>(scoreFont), FALSE);
}

void showRecord(HWND window, const ScoreRecord& record)
{
    setDlgItemFormat(window, IDC_SCORE_VALUE, "%.0f", record.score);
    SetDlgItemTextA(window, IDC_SCORE_GAME_NAME, record.gameName);
    setDlgItemFormat(window, IDC_SCORE_PLAYER, "Recorded by %s", record.playerName);
    SetDlgItemTextA(window, IDC_SCORE_DESCRIPTION, record.description);
    setDlgItemFormat(window, IDC_SCORE_VERSION_USED, "MAME version used: %s", record.versionUsed);
    setDlgItemFormat(window, IDC_SCORE_POSITION, "Position: %i", static_cast<int>(record.position));
    setDlgItemFormat(window, IDC_SCORE_POINTS, "Leaderboard points: %i", truncateToInt(record.points));
    std::time_t uploaded = record.uploadTime;
    char text[512];
    formatUploadTime(std::localtime(&uploaded), text, sizeof text);
    SetDlgItemTextA(window, IDC_SCORE_UPLOADED, text);
    SetDlgItemTextA(window, IDC_SCORE_CONFIRMED, record.confirmed == 1 ? "Score is confirmed." : "");
}

void onOpen(HWND window, const ScoreRecord* record)
{
    shownScore = *record;
    shownScore.gameName[sizeof shownScore.gameName - 1] = '\0';
    shownScore.playerName[sizeof shownScore.playerName - 1] = '\0';
    shownScore.description[sizeof shownScore.description - 1] = '\0';
    shownScore.versionUsed[sizeof shownScore.versionUsed - 1] = '\0';
    ShowWindow(window, SW_SHOW);
    setScoreFont(window);
    showRecord(window, shownScore);
}

// "Download and playback": the recording of the score shown, played back
// in the version that made it (else the main window's), both windows
// hidden while the emulator runs.
void onDownload(HWND window)
{
    if (runDownloadWindow(window, shownScore) != 0)
        return;
    HWND mainWindow = GetWindow(window, GW_OWNER);
    DownloadedRecording recording;
    if (!prepareDownloadedRecording(shownScore, selectedVersion(mainWindow), recording))
        return;
    ShowWindow(window, SW_HIDE);
    ShowWindow(mainWindow, SW_HIDE);
    showConsoleAfterRun(runInputLog(recording.game, recording.version, static_cast<int>(LaunchMode::playback), ".",
                                    recording.fileName, launchOptions()));
    ShowWindow(mainWindow, SW_SHOW);
    ShowWindow(window, SW_SHOW);
    removeDownloadedRecording(recording);
}

// "Download and check": the recording of the score shown, checked in the
// version that made it (else the main window's).
void onDownloadAndCheck(HWND window)
{
    if (runDownloadWindow(window, shownScore) != 0)
        return;
    char fileName[256];
    if (!extractDownloadedRecording(fileName, sizeof fileName))
        return;
    HWND mainWindow = GetWindow(window, GW_OWNER);
    CheckFallback fallback{selectedGame(mainWindow), scoreVersion(shownScore, selectedVersion(mainWindow))};
    runRecordingCheck(window, ".", fileName, fallback);
    char path[MAX_PATH];
    formatText(path, sizeof path, ".\\%s", fileName);
    DeleteFileA(ownFile(path).c_str());
}

INT_PTR CALLBACK scorePropertiesProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: onOpen(window, reinterpret_cast<const ScoreRecord*>(lParam)); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SCORE_OK: SendMessageA(window, WM_CLOSE, 0, 0); break;
        case IDC_SCORE_DOWNLOAD: onDownload(window); break;
        case IDC_SCORE_DOWNLOAD_CHECK: onDownloadAndCheck(window); break;
        }
        return TRUE;
    case WM_CLOSE: EndDialog(window, 0); return TRUE;
    case WM_DESTROY:
        DeleteObject(scoreFont);
        scoreFont = nullptr;
        return TRUE;
    }
    return FALSE;
}

} // namespace

int openScoreProperties(HWND parent, const ScoreRecord& record)
{
    return static_cast<int>(DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_SCORE_PROPERTIES), parent,
                                            scorePropertiesProc, reinterpret_cast<LPARAM>(&record)));
}
