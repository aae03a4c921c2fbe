// The rows of the "Recording checks" window: what each shows in the list, and in the saved report.
#pragma once

#include "emulator/check_report.h"
#include "online/check_table_win.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

// What one row shows, in the window's own storage.
struct RowView {
    RowState state = RowState::waiting;
    DWORD started = 0; // when its MAME run began
    std::string checkedWith;
    std::string verdict, frames, length, speed, picture;
    std::string lowest, paused, states;      // what the frames tell of the play
    std::shared_ptr<const SpeedGraph> graph; // and their speed, drawn; null when not known
};

// An update from the work, taken into the row's view.
void takeRowUpdate(RowView& view, const RowUpdate& update);

// What the verdict column shows: how far the row is, with the time its
// MAME has run by `now`, until its verdict.
std::string verdictCell(const RowView& view, DWORD now);

// The list of `window`: its columns, the verdict's as wide as the others
// leave, and a row for each score, the first selected.
void fillTableList(HWND window, const TableOrder& order, const std::vector<RowView>& rows);

// Shows the cells of `row` that change as it is checked.
void showTableRow(HWND window, int row, const ScoreRecord& record, const RowView& view);
// Shows only its verdict, for the time of a run under way.
void showVerdictCell(HWND window, int row, const RowView& view);

// The report's rows, in UTF-8.
std::vector<CheckReportRow> reportRows(const TableOrder& order, const std::vector<RowView>& rows);
