// MAME's report of a recording's playback, the verdict of a check, and the report of a table.
#include "emulator/check_report.h"
#include "emulator/recording_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(RecordingCheck, TellsTheVerdictWithTheFrameCounts)
{
    const RecordingFrames whole{true, true, 160244, 826, 10.0166, false, 0, false, false},
        cut{true, false, 78381, 404, 5.0, false, 0, false, false};
    const struct {
        bool ended;
        unsigned long exitCode;
        RecordingFrames file;
        std::string stdoutText, words, verdict;
        std::string findings; // the frames' sentence, which follows whole or not at all
    } cases[] = {
        {true, 0, whole, "Total playback frames: 826\nAverage recorded speed: 210%\n", "",
         "Plays to its end: 826 of 826 frames, 0:10", ""},
        {true, 0, whole, "Total playback frames: 826\n", "",
         "Plays to its end: 826 of 826 frames, 0:10. Paused at 0:04 for 6 s. No slow play, no loaded state; speed "
         "100%.",
         "Paused at 0:04 for 6 s. No slow play, no loaded state; speed 100%."},
        {true, 2, whole, "", "Fatal error: Required files are missing.",
         "Fatal error: Required files are missing. No pause, no slow play, no loaded state; speed 100%.",
         "No pause, no slow play, no loaded state; speed 100%."},
        {true, 0, whole, "Total playback frames: 826\n", "", "Plays to its end: 826 of 826 frames, 0:10",
         std::string(240, 'x')},
        {true, 0, cut, "Total playback frames: 404\n", "",
         "Cut short: the file ends inside its data; MAME played 404 frames", ""},
        {true, 0, whole,
         "Input file is for machine 'pong', not for current machine 'pongd'\nTotal playback frames: 1\n", "",
         "Stops at frame 1 of 826: Input file is for machine 'pong', not for current machine 'pongd'", ""},
        {true, 2, whole, "", "Fatal error: Required files are missing, the machine cannot be run.",
         "Fatal error: Required files are missing, the machine cannot be run.", ""},
        {true, 0xC0000005ul, whole, "Total playback frames: 3\n", "", "MAME ended abnormally (exception 0xC0000005).",
         ""},
        {false, 0, whole, "", "", "MAME did not end by itself, and was ended.", ""},
        {true, 0, RecordingFrames{false, false, 0, 0, 0.0, false, 0, false, false}, "Total playback frames: 826\n", "",
         "MAME played 826 frames; the frames of the file could not be counted, so an early stop cannot be told", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.verdict);
        CheckOutcome outcome{c.ended,         c.exitCode,
                             c.file,          readPlaybackReport(c.stdoutText.data(), c.stdoutText.size()),
                             c.words.c_str(), c.findings.c_str()};
        char verdict[256];
        formatVerdict(outcome, verdict, sizeof verdict);
        EXPECT_EQ(verdict, c.verdict);
    }
    char words[64];
    const std::string stderrText = "Warning: something\nFatal error: Input file x.inp not found\n";
    mameWords(stderrText.data(), stderrText.size(), words, sizeof words);
    EXPECT_STREQ(words, "Fatal error: Input file x.inp not found");
    const std::string longer = "Fatal error: " + std::string(80, 'x') + "\n";
    mameWords(longer.data(), longer.size(), words, sizeof words);
    EXPECT_EQ(std::string(words), "Fatal error: " + std::string(46, 'x') + " ...") << "a cut is marked";
}

// RFC 4180 read back: quoted fields, a quote doubled, rows ended by CR LF.
std::vector<std::vector<std::string>> readCsv(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
            field += c;
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == ',') {
            row.push_back(field);
            field.clear();
        } else if (!quoted && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row.push_back(field);
            rows.push_back(row);
            row.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    EXPECT_TRUE(row.empty() && field.empty() && !quoted) << "every row ends with CR LF";
    return rows;
}

TEST(CheckReport, EveryFieldReadsBackWhole)
{
    const std::vector<CheckReportRow> rows = {
        {"1", "123,456", "Zoë \"Z\" Quist", "0.106", "0.251", "Plays to its end: 826 of 826 frames, 0:13", "826",
         "0:13", "100%", "62%", "2, 8 s", "1", "checks\\pacman_1.png"},
        {"2", "9", "", "0.251", "0.251", "Fatal error: one line\r\nand another", "", "", "", "", "", "", ""},
    };
    const std::string text = checkReportCsv(rows);
    ASSERT_EQ(text.compare(0, 3, "\xEF\xBB\xBF"), 0) << "a byte-order mark for the spreadsheets";
    const std::vector<std::vector<std::string>> read = readCsv(text.substr(3));
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0],
              (std::vector<std::string>{"Position", "Score", "Player", "Version", "Checked with", "Verdict", "Frames",
                                        "Length", "Speed", "Lowest", "Paused", "States", "Picture"}));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const CheckReportRow& r = rows[i];
        EXPECT_EQ(read[i + 1],
                  (std::vector<std::string>{r.position, r.score, r.player, r.version, r.checkedWith, r.verdict,
                                            r.frames, r.length, r.speed, r.lowest, r.paused, r.states, r.picture}));
    }
}

TEST(CheckReport, FieldsThatASpreadsheetWouldRunAreText)
{
    const struct {
        std::string field, written;
    } cases[] = {
        {"=HYPERLINK(\"x\") Eve", "'=HYPERLINK(\"x\") Eve"},
        {"+1", "'+1"},
        {"-1", "'-1"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tTab", "'\tTab"},
        {"\rReturn", "'\rReturn"},
        {"Eve =1", "Eve =1"},
        {"", ""},
        {std::string(1, '\0'), std::string(1, '\0')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        CheckReportRow row{"1", "9", c.field, "0.251", "0.251", "v", "", "", "", "", "", "", ""};
        EXPECT_EQ(readCsv(checkReportCsv({row}).substr(3)).at(1).at(2), c.written);
    }
}

TEST(RecordingCheck, OrdersVersionsAsMameNumberedThem)
{
    const char* ascending[] = {"0.37b5", "0.37", "0.106", "0.106u2", "0.120rc2", "0.120", "0.125", "0.171", "0.251"};
    for (std::size_t i = 0; i + 1 < sizeof ascending / sizeof ascending[0]; ++i)
        EXPECT_LT(compareVersions(ascending[i], ascending[i + 1]), 0) << ascending[i];
    EXPECT_EQ(compareVersions("0.251", "0.251"), 0);
    EXPECT_LT(compareVersions("new", "0.1"), 0) << "what is no version comes first";
    char id[20];
    EXPECT_TRUE(makerVersion("MAME 0.251 (mame0251)", id, sizeof id));
    EXPECT_STREQ(id, "0.251");
    EXPECT_FALSE(makerVersion("MAME (unknown)", id, sizeof id));
}

} // namespace
