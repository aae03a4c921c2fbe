// Leaderboard entries: the record, the table of the last feed answer, and the
// scan of one feed line into a record and its score-list line.
#pragma once

#include "common/shown_text.h"

#include <cstddef>
#include <cstdint>

struct ScoreRecord {
    double score;
    std::int32_t confirmed;
    char auxCode[10];
    char versionUsed[18];
    std::int32_t uploadTime;
    char recordingName[50];
    char description[2048];
    char auxTag[16];
    char playerName[64];
    char gameName[256];
    std::int16_t position;
    float points;
    // The line held a score: its scan took the score's text. A line off the
    // pattern from its start (an empty line, a stray text) holds none.
    bool hasScore;
    // The score's text as the list shows it, and a recent upload's game
    // label, which names its game by its short name ("" in a game's table).
    char scoreText[32];
    char gameLabel[20];
};

constexpr int kMaxScores = 100;

// The records that the score list's lines show: line i shows records[i]
// for i below `count`, the rest of the list (a failure, "Patience,
// d00d...") shows none. Only the user-interface thread touches it; each
// answer replaces it whole.
struct ScoreTable {
    int count;
    ScoreRecord records[kMaxScores];
    // The game whose high scores the records are, "" for recent uploads,
    // whose records name their own.
    char game[64];
};
extern ScoreTable scoreTable;

// Makes `table` hold the first `count` of `records` (none for a count of
// 0 or less, at most kMaxScores), the high scores of `game` ("" when not a
// game's table).
void replaceScores(ScoreTable& table, const ScoreRecord* records, int count, const char* game = "");

// The score that list line `line` shows, or null when that line shows none
// (no record, or a record without a score).
const ScoreRecord* scoreOfLine(const ScoreTable& table, int line);

enum class FeedKind { highScores, recentUploads };

// The longest score-list line, its terminating zero included; longer lines are cut.
constexpr std::size_t kScoreListLineSize = 128;

// Receives each record's score-list line, before the record's player name
// and score are stored.
using ListLineSink = void (*)(const char* listLine, void* context);

// Takes the line that starts at `line` into `record`: clears it, scans it
// with the feed's pattern (a field may run on past line ends, never past
// `end`), hands the list line to `sink`, then stores the player name,
// converts the score and tells whether the line held one. A line that does not match keeps what was scanned up
// to the mismatch. Shown texts (score text, player, title, game label,
// description) are brought from `form`, the whole answer's, into Hobrin's
// code page; the others stay byte for byte. Fields longer than their widths are cut.
void takeScoreLine(const char* line, const char* end, FeedKind kind, TextForm form, ScoreRecord& record,
                   ListLineSink sink, void* context);

// True when the answer's first 6 bytes are "<HTML>" in any letter case.
bool isErrorPage(const char* answer, std::size_t length);

// Walks the lines of a feed answer of `length` bytes (it ends earlier at a
// zero byte): a high-score answer's first line is skipped, a recent-uploads
// answer is taken from its first byte. Each line goes into the next slot of
// `table` from slot 0; at most `capacity` lines are taken and the rest are
// dropped. A line's end is the first LF from its second byte on. The
// answer is UTF-8 or in the legacy code page as a whole. Returns the
// number of records taken. Never reads past `length`.
int walkFeed(const char* answer, std::size_t length, FeedKind kind, ScoreRecord* table, int capacity, ListLineSink sink,
             void* context);
