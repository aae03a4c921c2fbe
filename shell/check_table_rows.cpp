// The rows of the "Recording checks" window: what each shows in the list, and in the saved report.
#include "shell/check_table_rows.h"

#include "common/bounded_text.h"
#include "common/shown_text.h"
#include "emulator/frame_findings.h"
#include "emulator/recording_check.h"
#include "shell/check_window.h"
#include "resource.h"

#include <commctrl.h>

namespace {

enum Column {
    kPosition,
    kScore,
    kPlayer,
    kVersion,
    kVerdict,
    kFrames,
    kLength,
    kSpeed,
    kLowest,
    kPaused,
    kStates,
    kColumnCount
};

struct ListColumn {
    const char* title;
    int width; // at 96 DPI
    int format;
};

// The verdict's width is what the others leave of the list.
const ListColumn kColumns[kColumnCount] = {
    {"#", 26, LVCFMT_RIGHT},       {"Score", 64, LVCFMT_RIGHT},  {"Player", 82, LVCFMT_LEFT},
    {"Version", 100, LVCFMT_LEFT}, {"Verdict", 0, LVCFMT_LEFT},  {"Frames", 50, LVCFMT_RIGHT},
    {"Length", 52, LVCFMT_RIGHT},  {"Speed", 44, LVCFMT_RIGHT},  {"Lowest", 48, LVCFMT_RIGHT},
    {"Paused", 64, LVCFMT_RIGHT},  {"States", 44, LVCFMT_RIGHT},
};

HWND listOf(HWND window)
{
    return GetDlgItem(window, IDC_TABLE_LIST);
}

void setCell(HWND window, int row, int column, const char* text)
{
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    SendMessageA(listOf(window), LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
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

// A fixed column's width: its width at 96 DPI, scaled, and never less
// than its title needs in the list's font with the header's margins.
int columnWidth(HWND list, const ListColumn& column, int dpi)
{
    const int title = static_cast<int>(
        SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(const_cast<char*>(column.title))));
    const int needed = title + MulDiv(16, dpi, 96);
    const int scaled = MulDiv(column.width, dpi, 96);
    return scaled > needed ? scaled : needed;
}

void addColumns(HWND window)
{
    HWND list = listOf(window);
    HDC context = GetDC(window);
    int dpi = GetDeviceCaps(context, LOGPIXELSX);
    ReleaseDC(window, context);
    RECT room;
    GetClientRect(list, &room);
    int widths[kColumnCount];
    int left = room.right - GetSystemMetrics(SM_CXVSCROLL);
    for (int i = 0; i < kColumnCount; ++i) {
        widths[i] = kColumns[i].width > 0 ? columnWidth(list, kColumns[i], dpi) : 0;
        left -= widths[i];
    }
    for (int i = 0; i < kColumnCount; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = kColumns[i].format;
        column.cx = kColumns[i].width > 0 ? widths[i] : (left > 40 ? left : 40);
        column.pszText = const_cast<char*>(kColumns[i].title);
        column.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

} // namespace

void takeRowUpdate(RowView& view, const RowUpdate& update)
{
    view.state = update.state;
    if (update.checkedWith[0] != '\0')
        view.checkedWith = update.checkedWith;
    if (update.state == RowState::checking)
        view.started = GetTickCount();
    if (update.state != RowState::checked)
        return;
    const CheckEndReport& end = update.end;
    // A row whose frames show a pause, slow play or a loaded state says so
    // first, where the verdict's start shows in the list.
    char mark[64];
    formatFindingMark(end.figures, mark, sizeof mark);
    view.verdict = std::string(mark) + end.verdict;
    if (end.figures.known) {
        const FindingCells cells = findingCells(end.figures);
        view.lowest = cells.lowest;
        view.paused = cells.paused;
        view.states = cells.states;
    }
    if (end.graph.known)
        view.graph = std::make_shared<const SpeedGraph>(end.graph);
    view.picture = end.picture;
    char text[64];
    if (end.playedFrames >= 0 && formatText(text, sizeof text, "%lld", end.playedFrames))
        view.frames = text;
    if (update.lengthKnown) {
        formatPlayLength(update.frames.lastFrameSeconds, text, sizeof text);
        view.length = text;
    }
    if (end.speed >= 0 && formatText(text, sizeof text, "%d%%", end.speed))
        view.speed = text;
}

std::string verdictCell(const RowView& view, DWORD now)
{
    char elapsed[32];
    switch (view.state) {
    case RowState::waiting: return "Waiting";
    case RowState::downloading: return "Downloading...";
    case RowState::checking:
        formatElapsed(now - view.started, elapsed, sizeof elapsed);
        return std::string("Checking... ") + elapsed;
    case RowState::checked: break;
    }
    return view.verdict;
}

void fillTableList(HWND window, const TableOrder& order, const std::vector<RowView>& rows)
{
    HWND list = listOf(window);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    addColumns(window);
    for (std::size_t row = 0; row < order.scores.size() && row < rows.size(); ++row) {
        const ScoreRecord& record = order.scores[row].record;
        char position[16];
        formatText(position, sizeof position, "%d", static_cast<int>(record.position));
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(row);
        item.pszText = position;
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        setCell(window, static_cast<int>(row), kScore, record.scoreText);
        setCell(window, static_cast<int>(row), kPlayer, record.playerName);
        showTableRow(window, static_cast<int>(row), record, rows[row]);
    }
    // The first row is selected, so that its picture and verdict show as
    // soon as it is checked.
    LVITEMA selected{};
    selected.stateMask = selected.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&selected));
}

void showTableRow(HWND window, int row, const ScoreRecord& record, const RowView& view)
{
    setCell(window, row, kVersion, versionText(record, view.checkedWith).c_str());
    showVerdictCell(window, row, view);
    setCell(window, row, kFrames, view.frames.c_str());
    setCell(window, row, kLength, view.length.c_str());
    setCell(window, row, kSpeed, view.speed.c_str());
    setCell(window, row, kLowest, view.lowest.c_str());
    setCell(window, row, kPaused, view.paused.c_str());
    setCell(window, row, kStates, view.states.c_str());
}

void showVerdictCell(HWND window, int row, const RowView& view)
{
    setCell(window, row, kVerdict, verdictCell(view, GetTickCount()).c_str());
}

std::vector<CheckReportRow> reportRows(const TableOrder& order, const std::vector<RowView>& rows)
{
    std::vector<CheckReportRow> report;
    for (std::size_t row = 0; row < rows.size() && row < order.scores.size(); ++row) {
        const RowView& view = rows[row];
        const ScoreRecord& record = order.scores[row].record;
        char versionUsed[sizeof record.versionUsed];
        copyText(versionUsed, sizeof versionUsed, record.versionUsed);
        char position[16];
        formatText(position, sizeof position, "%d", static_cast<int>(record.position));
        // The report is UTF-8 whatever Hobrin's code page.
        report.push_back(CheckReportRow{position, utf8Text(record.scoreText), utf8Text(record.playerName),
                                        utf8Text(versionUsed), utf8Text(view.checkedWith),
                                        utf8Text(verdictCell(view, GetTickCount())), view.frames, view.length,
                                        view.speed, view.lowest, view.paused, view.states, utf8Text(view.picture)});
    }
    return report;
}
