// Checking every recording of a score table: downloads one at a time, MAME runs side by side, on a thread that hands
// out the work.
#pragma once

#include "common/app_messages.h"
#include "emulator/check_run_win.h"
#include "online/score_record.h"

#include <windows.h>

#include <vector>

// One score of the table, as the list shows it.
struct TableScore {
    ScoreRecord record;
    char game[kShortNameSize]; // the score's game, "" when the feed does not name it
};

// What a table check is given: the scores in the list's order, and the
// version that checks a score whose own is not listed (-1 for none).
struct TableOrder {
    std::vector<TableScore> scores;
    int fallbackVersion;
};

enum class RowState { waiting, downloading, checking, checked };

// What became of one row, posted to the window (kTableRowMessage, lParam a
// RowUpdate that the window takes and deletes).
struct RowUpdate {
    int row;
    RowState state;
    char checkedWith[20]; // the version identifier that checks it, once known
    // checked:
    CheckEndReport end;
    RecordingFrames frames; // what the file holds, when its length is known
    bool lengthKnown;
};

// (kTableRowMessage, and kTableEndMessage, the last: common/app_messages.h)

class CheckTable;

// How many MAME runs go side by side: the machine's logical processors.
int checkSlots();

// Starts the work on a coordinator thread; null when no thread could start.
// While it runs, its thread is the only one that prepares checks (which
// reads the version table and what is known of the emulators): the window
// that starts it is modal.
CheckTable* startCheckTable(const TableOrder& order, HWND window);

// Ends every download and every MAME run at once; rows that had not begun
// are left. kTableEndMessage still follows.
void cancelCheckTable(CheckTable& table);

// Once kTableEndMessage has arrived: waits for the threads' exit and frees it.
void finishCheckTable(CheckTable* table);

// Cancels the work and leaves it to end alone, at once, without waiting for
// a download whose read is blocked: no update reaches the window any more,
// and the work frees itself (its files gone) when its last thread ends.
void leaveCheckTable(CheckTable* table);
