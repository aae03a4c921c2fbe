// The "Recording checks" window: every listed score's recording checked in one table, side by side on every core.
#include "shell/check_table.h"

#include "common/bounded_text.h"
#include "common/file_replace.h"
#include "common/late_dlls.h"
#include "common/message.h"
#include "common/shown_text.h"
#include "emulator/check_report.h"
#include "emulator/recording_check.h"
#include "shell/app.h"
#include "shell/long_text.h"
#include "shell/picture.h"
#include "resource.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

const UINT_PTR kTickTimer = 1;

enum Column { kPosition, kScore, kPlayer, kVersion, kVerdict, kFrames, kLength, kSpeed, kColumnCount };

struct ListColumn {
    const char* title;
    int width; // at 96 DPI
    int format;
};

// The verdict's width is what the others leave of the list.
const ListColumn kColumns[kColumnCount] = {
    {"#", 26, LVCFMT_RIGHT},       {"Score", 64, LVCFMT_RIGHT}, {"Player", 82, LVCFMT_LEFT},
    {"Version", 100, LVCFMT_LEFT}, {"Verdict", 0, LVCFMT_LEFT}, {"Frames", 50, LVCFMT_RIGHT},
    {"Length", 52, LVCFMT_RIGHT},  {"Speed", 44, LVCFMT_RIGHT},
};

// What one row shows, in the window's own storage.
struct RowView {
    RowState state = RowState::waiting;
    DWORD started = 0; // when its MAME run began
    std::string checkedWith;
    std::string verdict, frames, length, speed, picture;
};

// The state of the window, its own (DWLP_USER): made by the caller,
// changed only by this window's procedure.
struct TableWindow {
    const TableOrder* order;
    std::vector<RowView> rows;
    CheckTable* work; // null once its end has come, or once it was left to end alone
    DWORD cancelled;  // when Cancel was pressed; 0 before
    DWORD started;
    DWORD ended;
    int checked;
    HBITMAP picture;
};

TableWindow& stateOf(HWND window)
{
    return *reinterpret_cast<TableWindow*>(GetWindowLongPtrA(window, DWLP_USER));
}

HWND listOf(HWND window)
{
    return GetDlgItem(window, IDC_TABLE_LIST);
}

// The selected row, or -1.
int selectedRow(HWND window)
{
    return static_cast<int>(SendMessageA(listOf(window), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void setCell(HWND window, int row, int column, const char* text)
{
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    SendMessageA(listOf(window), LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::string elapsedText(DWORD milliseconds)
{
    char text[32];
    formatPlayLength(milliseconds / 1000.0, text, sizeof text);
    return text;
}

// The score's version, and the one that checks it where that differs.
std::string versionText(const ScoreRecord& record, const std::string& checkedWith)
{
    char named[sizeof record.versionUsed];
    copyText(named, sizeof named, record.versionUsed);
    std::string text = named;
    if (!checkedWith.empty() && checkedWith != named)
        text += " (checked with " + checkedWith + ")";
    return text;
}

std::string verdictCell(const RowView& view, DWORD now)
{
    switch (view.state) {
    case RowState::waiting: return "Waiting";
    case RowState::downloading: return "Downloading...";
    case RowState::checking: return "Checking... " + elapsedText(now - view.started);
    case RowState::checked: break;
    }
    return view.verdict;
}

void showRow(HWND window, int row)
{
    const TableWindow& state = stateOf(window);
    const RowView& view = state.rows[static_cast<std::size_t>(row)];
    const ScoreRecord& record = state.order->scores[static_cast<std::size_t>(row)].record;
    setCell(window, row, kVersion, versionText(record, view.checkedWith).c_str());
    setCell(window, row, kVerdict, verdictCell(view, GetTickCount()).c_str());
    setCell(window, row, kFrames, view.frames.c_str());
    setCell(window, row, kLength, view.length.c_str());
    setCell(window, row, kSpeed, view.speed.c_str());
}

void showProgress(HWND window)
{
    const TableWindow& state = stateOf(window);
    DWORD until = state.work ? GetTickCount() : state.ended;
    char text[96];
    formatText(text, sizeof text, "%d of %d checked, %s", state.checked, static_cast<int>(state.rows.size()),
               elapsedText(until - state.started).c_str());
    SetDlgItemTextA(window, IDC_TABLE_PROGRESS, text);
}

// The selected row's picture and whole verdict.
void showSelected(HWND window)
{
    TableWindow& state = stateOf(window);
    int row = selectedRow(window);
    HWND picture = GetDlgItem(window, IDC_TABLE_PICTURE);
    if (row < 0 || row >= static_cast<int>(state.rows.size())) {
        showLongText(window, IDC_TABLE_VERDICT, "");
        showPicture(picture, nullptr, state.picture);
        return;
    }
    const RowView& view = state.rows[static_cast<std::size_t>(row)];
    showLongText(window, IDC_TABLE_VERDICT, verdictCell(view, GetTickCount()).c_str());
    RECT room;
    GetClientRect(picture, &room);
    HBITMAP bitmap =
        view.picture.empty() ? nullptr : loadPicture(view.picture.c_str(), room.right - 4, room.bottom - 4);
    showPicture(picture, bitmap, state.picture);
}

void fillList(HWND window)
{
    HWND list = listOf(window);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    HDC context = GetDC(window);
    int dpi = GetDeviceCaps(context, LOGPIXELSX);
    ReleaseDC(window, context);
    RECT room;
    GetClientRect(list, &room);
    int left = room.right - GetSystemMetrics(SM_CXVSCROLL);
    for (const ListColumn& fixed : kColumns)
        left -= MulDiv(fixed.width, dpi, 96);
    for (int i = 0; i < kColumnCount; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = kColumns[i].format;
        column.cx = kColumns[i].width > 0 ? MulDiv(kColumns[i].width, dpi, 96) : (left > 40 ? left : 40);
        column.pszText = const_cast<char*>(kColumns[i].title);
        column.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    const TableWindow& state = stateOf(window);
    for (std::size_t row = 0; row < state.order->scores.size(); ++row) {
        const ScoreRecord& record = state.order->scores[row].record;
        char position[16];
        formatText(position, sizeof position, "%d", static_cast<int>(record.position));
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(row);
        item.pszText = position;
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        setCell(window, static_cast<int>(row), kScore, record.scoreText);
        setCell(window, static_cast<int>(row), kPlayer, record.playerName);
        showRow(window, static_cast<int>(row));
    }
    // The first row is selected, so that its picture and verdict show as
    // soon as it is checked.
    LVITEMA selected{};
    selected.stateMask = selected.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&selected));
}

void onOpen(HWND window, TableWindow* state)
{
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    state->rows.assign(state->order->scores.size(), RowView());
    state->started = GetTickCount();
    fillList(window);
    showProgress(window);
    state->work = startCheckTable(*state->order, window);
    if (!state->work) {
        SetDlgItemTextA(window, IDC_TABLE_PROGRESS, "The checks could not start: the system has no thread to give.");
        EnableWindow(GetDlgItem(window, IDC_TABLE_CANCEL), FALSE);
        EnableWindow(GetDlgItem(window, IDC_TABLE_CLOSE), TRUE);
        return;
    }
    SetTimer(window, kTickTimer, 500, nullptr);
}

// A row's news, taken whole from the work.
void onRowNews(HWND window, TableRowNews* news)
{
    TableWindow& state = stateOf(window);
    if (news && news->row >= 0 && news->row < static_cast<int>(state.rows.size())) {
        RowView& view = state.rows[static_cast<std::size_t>(news->row)];
        view.state = news->state;
        if (news->checkedWith[0] != '\0')
            view.checkedWith = news->checkedWith;
        if (news->state == RowState::checking)
            view.started = GetTickCount();
        if (news->state == RowState::checked) {
            const CheckEndReport& end = news->end;
            view.verdict = end.verdict;
            view.picture = end.picture;
            char text[64];
            if (end.playedFrames >= 0 && formatText(text, sizeof text, "%lld", end.playedFrames))
                view.frames = text;
            if (news->lengthKnown) {
                formatPlayLength(news->frames.lastFrameSeconds, text, sizeof text);
                view.length = text;
            }
            if (end.speed >= 0 && formatText(text, sizeof text, "%d%%", end.speed))
                view.speed = text;
            ++state.checked;
        }
        showRow(window, news->row);
        showProgress(window);
        if (selectedRow(window) == news->row)
            showSelected(window);
    }
    delete news;
}

void showEnd(HWND window);

// A second after Cancel, work that has not ended is waiting for a download
// whose read is blocked: it is left to end alone, and the window is free.
const DWORD kCancelWaitMs = 1000;

void onTick(HWND window)
{
    TableWindow& state = stateOf(window);
    if (state.work && state.cancelled && GetTickCount() - state.cancelled >= kCancelWaitMs) {
        leaveCheckTable(state.work);
        state.work = nullptr;
        showEnd(window);
        return;
    }
    for (std::size_t row = 0; row < state.rows.size(); ++row) {
        if (state.rows[row].state == RowState::checking)
            setCell(window, static_cast<int>(row), kVerdict, verdictCell(state.rows[row], GetTickCount()).c_str());
    }
    showProgress(window);
}

// Every run has ended: the rows that were never reached say so, and Close
// takes over from Cancel.
void onEnd(HWND window)
{
    TableWindow& state = stateOf(window);
    if (!state.work)
        return;
    finishCheckTable(state.work);
    state.work = nullptr;
    showEnd(window);
}

void showEnd(HWND window)
{
    TableWindow& state = stateOf(window);
    state.ended = GetTickCount();
    KillTimer(window, kTickTimer);
    for (std::size_t row = 0; row < state.rows.size(); ++row) {
        RowView& view = state.rows[row];
        if (view.state != RowState::checked) {
            view.state = RowState::checked;
            view.verdict = kNotCheckedVerdict;
            showRow(window, static_cast<int>(row));
        }
    }
    showProgress(window);
    EnableWindow(GetDlgItem(window, IDC_TABLE_CANCEL), FALSE);
    EnableWindow(GetDlgItem(window, IDC_TABLE_SAVE), TRUE);
    EnableWindow(GetDlgItem(window, IDC_TABLE_CLOSE), TRUE);
    SendMessageA(window, DM_SETDEFID, IDC_TABLE_CLOSE, 0);
    SetFocus(GetDlgItem(window, IDC_TABLE_CLOSE));
}

void onCancel(HWND window)
{
    TableWindow& state = stateOf(window);
    if (!state.work)
        return;
    EnableWindow(GetDlgItem(window, IDC_TABLE_CANCEL), FALSE);
    cancelCheckTable(*state.work);
    state.cancelled = GetTickCount() | 1;
}

void onClose(HWND window)
{
    TableWindow& state = stateOf(window);
    // Closed at once, even with a download's read blocked: the work ends alone.
    leaveCheckTable(state.work);
    state.work = nullptr;
    EndDialog(window, 0);
}

std::string reportOf(const TableWindow& state)
{
    std::vector<CheckReportRow> rows;
    for (std::size_t row = 0; row < state.rows.size(); ++row) {
        const RowView& view = state.rows[row];
        const ScoreRecord& record = state.order->scores[row].record;
        char versionUsed[sizeof record.versionUsed];
        copyText(versionUsed, sizeof versionUsed, record.versionUsed);
        char position[16];
        formatText(position, sizeof position, "%d", static_cast<int>(record.position));
        // The report is UTF-8 whatever Hobrin's code page.
        rows.push_back(CheckReportRow{position, utf8Text(record.scoreText), utf8Text(record.playerName),
                                      utf8Text(versionUsed), utf8Text(view.checkedWith),
                                      utf8Text(verdictCell(view, GetTickCount())), view.frames, view.length, view.speed,
                                      utf8Text(view.picture)});
    }
    return checkReportCsv(rows);
}

// Writes `text` at `path`, the player's choice, through a new file and a
// place for the old one that bear names no file there has (GetTempFileName
// makes each), so that no file of the player's is overwritten or removed
// but the one chosen. Returns 0, or the system's error code.
DWORD saveBesidePlayersFiles(const char* path, const std::string& text)
{
    std::string folder(path);
    std::size_t slash = folder.find_last_of("\\/");
    folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash == 2 ? 3 : slash);
    char temporary[MAX_PATH], old[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "~rp", 0, temporary))
        return GetLastError();
    if (!GetTempFileNameA(folder.c_str(), "~rp", 0, old)) {
        DWORD error = GetLastError();
        DeleteFileA(temporary);
        return error;
    }
    DWORD error = replaceFileWhole(path, temporary, old, text.data(), static_cast<DWORD>(text.size()));
    // The place made for the old file is still empty where the save failed
    // before the replace; where the replace itself failed it may hold the
    // old report, which stays.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(old, GetFileExInfoStandard, &data) && data.nFileSizeLow == 0 && data.nFileSizeHigh == 0)
        DeleteFileA(old);
    return error;
}

// "Save report...": the table as a CSV file where the player chooses.
void onSave(HWND window)
{
    char path[512] = "recording-checks.csv";
    prepareFileDialog(window, "CSV files (*.csv)\0*.csv\0All files\0*.*\0", path, sizeof path, "Save report");
    fileDialog.lpstrInitialDir = nullptr;
    fileDialog.lpstrDefExt = "csv";
    fileDialog.Flags |= OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!late::GetSaveFileNameA(&fileDialog))
        return;
    const std::string report = reportOf(stateOf(window));
    DWORD error = saveBesidePlayersFiles(path, report);
    if (error != 0) {
        char reason[256], message[1024];
        systemErrorText(error, reason, sizeof reason);
        formatText(message, sizeof message, "The report could not be saved in %s: %s", path, reason);
        showMessage(message, "Save report");
    }
}

void onNotify(HWND window, const NMHDR* header)
{
    if (header->idFrom == IDC_TABLE_LIST && header->code == LVN_ITEMCHANGED) {
        const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
        if (change->uChanged & LVIF_STATE)
            showSelected(window);
    }
}

INT_PTR CALLBACK checkTableProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: onOpen(window, reinterpret_cast<TableWindow*>(lParam)); return TRUE;
    case WM_TIMER: onTick(window); return TRUE;
    case kTableRowMessage: onRowNews(window, reinterpret_cast<TableRowNews*>(lParam)); return TRUE;
    case kTableEndMessage: onEnd(window); return TRUE;
    case WM_NOTIFY: onNotify(window, reinterpret_cast<const NMHDR*>(lParam)); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_TABLE_CANCEL: onCancel(window); break;
        case IDC_TABLE_CLOSE: onClose(window); break;
        case IDC_TABLE_SAVE: onSave(window); break;
        }
        return TRUE;
    case WM_CLOSE: onClose(window); return TRUE;
    case WM_DESTROY: showPicture(GetDlgItem(window, IDC_TABLE_PICTURE), nullptr, stateOf(window).picture); return TRUE;
    }
    return FALSE;
}

} // namespace

void runCheckTable(HWND owner, const TableOrder& order)
{
    // The picture's imaging component is a COM one; the list is Common
    // Controls' list view, whose class is registered at its first use.
    static bool comReady = SUCCEEDED(late::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    (void)comReady;
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    TableWindow state{&order, {}, nullptr, 0, 0, 0, 0, nullptr};
    DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_CHECK_TABLE), owner, checkTableProc,
                    reinterpret_cast<LPARAM>(&state));
}
