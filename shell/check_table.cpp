// The "Recording checks" window: every listed score's recording checked in one table, side by side on every core.
#include "shell/check_table.h"

#include "common/bounded_text.h"
#include "common/file_replace.h"
#include "common/late_dlls.h"
#include "common/message.h"
#include "emulator/check_report.h"
#include "shell/app.h"
#include "shell/check_table_rows.h"
#include "shell/check_window.h"
#include "shell/long_text.h"
#include "shell/picture.h"
#include "shell/speed_graph.h"
#include "resource.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

const UINT_PTR kTickTimer = 1;

// The state of the window, its own (keepWindowState).
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

constexpr auto stateOf = windowState<TableWindow>;

// The selected row, or -1.
int selectedRow(HWND window)
{
    return static_cast<int>(
        SendDlgItemMessageA(window, IDC_TABLE_LIST, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void showRow(HWND window, int row)
{
    const TableWindow& state = stateOf(window);
    showTableRow(window, row, state.order->scores[static_cast<std::size_t>(row)].record,
                 state.rows[static_cast<std::size_t>(row)]);
}

void showProgress(HWND window)
{
    const TableWindow& state = stateOf(window);
    DWORD until = state.work ? GetTickCount() : state.ended;
    char elapsed[32], text[96];
    formatElapsed(until - state.started, elapsed, sizeof elapsed);
    formatText(text, sizeof text, "%d of %d checked, %s", state.checked, static_cast<int>(state.rows.size()), elapsed);
    SetDlgItemTextA(window, IDC_TABLE_PROGRESS, text);
}

// The selected row's picture, whole verdict and speed.
void showSelected(HWND window)
{
    TableWindow& state = stateOf(window);
    int row = selectedRow(window);
    HWND picture = GetDlgItem(window, IDC_TABLE_PICTURE);
    if (row < 0 || row >= static_cast<int>(state.rows.size())) {
        showLongText(window, IDC_TABLE_VERDICT, "");
        showPicture(picture, nullptr, state.picture);
        showSpeedGraph(GetDlgItem(window, IDC_TABLE_GRAPH), nullptr, "");
        return;
    }
    const RowView& view = state.rows[static_cast<std::size_t>(row)];
    showLongText(window, IDC_TABLE_VERDICT, verdictCell(view, GetTickCount()).c_str());
    showSpeedGraph(GetDlgItem(window, IDC_TABLE_GRAPH), view.graph.get(),
                   view.state == RowState::checked ? kNoSpeedDrawn : "");
    showPicture(picture, view.picture.empty() ? nullptr : pictureToFit(picture, view.picture.c_str()), state.picture);
}

void onOpen(HWND window, TableWindow* state)
{
    keepWindowState(window, state);
    state->rows.assign(state->order->scores.size(), RowView());
    state->started = GetTickCount();
    fillTableList(window, *state->order, state->rows);
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

// A row's update, taken whole from the work.
void onRowUpdate(HWND window, RowUpdate* update)
{
    TableWindow& state = stateOf(window);
    if (update && update->row >= 0 && update->row < static_cast<int>(state.rows.size())) {
        takeRowUpdate(state.rows[static_cast<std::size_t>(update->row)], *update);
        if (update->state == RowState::checked)
            ++state.checked;
        showRow(window, update->row);
        showProgress(window);
        if (selectedRow(window) == update->row)
            showSelected(window);
    }
    delete update;
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
            showVerdictCell(window, static_cast<int>(row), state.rows[row]);
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
    EnableWindow(GetDlgItem(window, IDC_TABLE_SAVE), TRUE);
    offerClose(window, IDC_TABLE_CANCEL, IDC_TABLE_CLOSE);
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
    const TableWindow& state = stateOf(window);
    const std::string report = checkReportCsv(reportRows(*state.order, state.rows));
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
    case kTableRowMessage: onRowUpdate(window, reinterpret_cast<RowUpdate*>(lParam)); return TRUE;
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
    case WM_DESTROY: forgetPicture(window, IDC_TABLE_PICTURE, stateOf(window).picture); return TRUE;
    }
    return FALSE;
}

} // namespace

void runCheckTable(HWND owner, const TableOrder& order)
{
    // The list is Common Controls' list view, whose class is registered at
    // its first use.
    readyPictures();
    readySpeedGraph();
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    TableWindow state{&order, {}, nullptr, 0, 0, 0, 0, nullptr};
    DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_CHECK_TABLE), owner, checkTableProc,
                    reinterpret_cast<LPARAM>(&state));
}
