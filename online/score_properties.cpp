// The Score Properties window: every field of one score, and the download of its recording.
#include "online/score_properties.h"

#include "online/recording_playback.h"
#include "online/score_record.h"
#include "online/score_text.h"
#include "shell/app.h"
#include "common/bounded_text.h"
#include "resource.h"

#include <cstdarg>
#include <ctime>

int selectedScore;

namespace {

// Made when the window opens, deleted when it closes.
HFONT scoreFont;

void setScoreFont(HWND window)
{
    HWND scoreControl = GetDlgItem(window, IDC_SCORE_VALUE);
    HDC context = GetDC(scoreControl);
    int height = -MulDiv(8, GetDeviceCaps(context, LOGPIXELSY), 72);
    ReleaseDC(scoreControl, context);
    scoreFont = CreateFontA(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, nullptr);
    SendMessageA(scoreControl, WM_SETFONT, reinterpret_cast<WPARAM>(scoreFont), FALSE);
}

void setFormatted(HWND window, int id, const char* format, ...)
{
    char text[512];
    std::va_list args;
    va_start(args, format);
    formatTextV(text, sizeof text, format, args);
    va_end(args);
    SetDlgItemTextA(window, id, text);
}

void showRecord(HWND window, const ScoreRecord& record)
{
    setFormatted(window, IDC_SCORE_VALUE, "%.0f", record.score);
    SetDlgItemTextA(window, IDC_SCORE_GAME_NAME, record.gameName);
    setFormatted(window, IDC_SCORE_PLAYER, "Recorded by %s", record.playerName);
    SetDlgItemTextA(window, IDC_SCORE_DESCRIPTION, record.description);
    setFormatted(window, IDC_SCORE_VERSION_USED, "MAME version used: %s", record.versionUsed);
    setFormatted(window, IDC_SCORE_POSITION, "Position: %i", static_cast<int>(record.position));
    setFormatted(window, IDC_SCORE_POINTS, "Leaderboard points: %i", truncateToInt(record.points));
    std::time_t uploaded = record.uploadTime;
    char text[512];
    formatUploadTime(std::localtime(&uploaded), text, sizeof text);
    SetDlgItemTextA(window, IDC_SCORE_UPLOADED, text);
    SetDlgItemTextA(window, IDC_SCORE_CONFIRMED, record.confirmed == 1 ? "Score is confirmed." : "");
}

void onOpen(HWND window, int listIndex)
{
    selectedScore = listIndex;
    // A snapshot: a feed worker may be rewriting the table meanwhile.
    ScoreRecord record = scoreTable[selectedScore];
    record.gameName[sizeof record.gameName - 1] = '\0';
    record.playerName[sizeof record.playerName - 1] = '\0';
    record.description[sizeof record.description - 1] = '\0';
    record.versionUsed[sizeof record.versionUsed - 1] = '\0';
    ShowWindow(window, SW_SHOW);
    setScoreFont(window);
    showRecord(window, record);
}

INT_PTR CALLBACK scorePropertiesProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: onOpen(window, static_cast<int>(lParam)); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SCORE_OK: SendMessageA(window, WM_CLOSE, 0, 0); break;
        case IDC_SCORE_DOWNLOAD: downloadAndPlayback(window); break;
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

int openScoreProperties(HWND parent, int listIndex)
{
    if (listIndex < 0 || listIndex >= kMaxScores)
        return 0;
    return static_cast<int>(
        DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_SCORE_PROPERTIES), parent, scorePropertiesProc, listIndex));
}
