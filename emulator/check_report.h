// The report of a table of checks, as a CSV file that spreadsheets read.
#pragma once

#include <string>
#include <vector>

// One checked score, its texts in UTF-8.
struct CheckReportRow {
    std::string position, score, player, version, checkedWith, verdict, frames, length, speed;
    std::string lowest, paused, states; // the lowest speed recorded, the pauses, the loaded states
    std::string picture;
};

// The whole file (RFC 4180): a UTF-8 byte-order mark, so that spreadsheets
// read accents, a header row, then a row per score; every field in double
// quotes with a quote in it doubled, every row ended by CR LF. A field that
// begins with =, +, -, @, a tab or a carriage return gets an apostrophe
// first, so that a spreadsheet takes it as text, never as a formula.
std::string checkReportCsv(const std::vector<CheckReportRow>& rows);
