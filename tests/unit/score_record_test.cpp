// Scanning single feed lines into score records, and spotting error pages.
#include "online/score_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Taken {
    std::string fields; // every field of the record, '|' between them
    double score;
    std::vector<std::string> listLines;
    const ScoreRecord* record;
};

// The list line comes before the name and the score are stored.
void collect(const char* listLine, void* context)
{
    auto* t = static_cast<Taken*>(context);
    EXPECT_EQ(t->record->playerName[0], '\0');
    EXPECT_EQ(t->record->score, 0);
    t->listLines.push_back(listLine);
}

template <std::size_t N>
std::string text(const char (&field)[N])
{
    const void* zero = std::memchr(field, '\0', N);
    EXPECT_NE(zero, nullptr) << "field of " << N << " bytes not ended";
    return std::string(field, zero ? static_cast<const char*>(zero) - field : N);
}

// The line sits in a buffer of exactly its size, so a read past `end` trips
// the address sanitizer; the record starts full of junk to show it is cleared.
Taken take(const std::string& line, FeedKind kind = FeedKind::highScores)
{
    std::vector<char> buffer(line.begin(), line.end());
    ScoreRecord r;
    std::memset(&r, 0x5A, sizeof r);
    Taken t{"", 0, {}, &r};
    takeScoreLine(buffer.data(), buffer.data() + buffer.size(), kind, textFormOf(line.data(), line.size()), r, collect,
                  &t);
    std::ostringstream out;
    out << r.score << '|' << r.confirmed << '|' << text(r.auxCode) << '|' << text(r.versionUsed) << '|' << r.uploadTime
        << '|' << text(r.recordingName) << '|' << text(r.auxTag) << '|' << text(r.playerName) << '|' << text(r.gameName)
        << '|' << r.position << '|' << r.points << '|' << text(r.description);
    t.fields = out.str();
    t.score = r.score;
    return t;
}

// A feed line of these fields: the ninth in double quotes, the rest in single ones.
std::string feedLine(const std::vector<std::string>& fields)
{
    std::string line = "(";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const char* quote = i == 8 ? "\"" : "'";
        line += (i ? "," : "") + (quote + fields[i]) + quote;
    }
    return line + ")<P>\n";
}

// A short high-score (or, with a label, recent) line with field `index` replaced.
std::string line(std::size_t index, const std::string& value, bool recent = false)
{
    std::vector<std::string> fields = {"9", "1", "a", "v", "5", "r", "b", "P", "G", "3", "4", "d"};
    if (recent)
        fields.insert(fields.begin() + 11, "L");
    fields[index] = value;
    return feedLine(fields);
}

void check(const std::vector<std::vector<std::string>>& cases)
{
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        EXPECT_EQ(take(c[0]).fields, c[1]);
    }
}

TEST(TakeScoreLine, KeepsTheFieldsScannedUpToTheFirstMismatch)
{
    check({
        {feedLine(
             {"987", "1", "a", "ver1", "100", "rec987", "b", "Someone", "Some Game (set 1)", "3", "12.5", "First try"}),
         "987|1|a|ver1|100|rec987|b|Someone|Some Game (set 1)|3|12.5|First try"},
        {"Heading of the table\n", "0|0|||0|||||0|0|"},
        {line(6, ""), "9|1|a|v|5|r||||0|0|"}, // an empty field ends the scan
        {line(8, "Pac'n"), "9|1|a|v|5|r|b|P|Pac'n|3|4|d"},
        {line(8, "Say \"Hi\""), "9|1|a|v|5|r|b|P|Say |0|0|"},
        {line(7, "O'Brien"), "9|1|a|v|5|r|b|O||0|0|"},
        {line(11, "It's"), "9|1|a|v|5|r|b|P|G|3|4|It"},
        {line(11, "one\ntwo"), "9|1|a|v|5|r|b|P|G|3|4|one\ntwo"},
        {"('42','7", "42|7|||0|||||0|0|"},                     // unclosed field taken to the end
        {std::string("('4\0 2','7'", 12), "4|0|||0|||||0|0|"}, // a zero byte ends the text
    });
}

TEST(TakeScoreLine, ShownTextsComeIntoTheProgramsCodePageNamedTextsKept)
{
    const std::string e = "\xC3\xA9", fullwidth = "\xEF\xBC\xBC\xEF\xBC\x82"; // é, fullwidth \\ and "
    const std::string yama = "\xE5\xB1\xB1";                                  // 山
    std::string eAcute70, yama25;
    for (int i = 0; i < 70; ++i)
        eAcute70 += e;
    for (int i = 0; i < 25; ++i)
        yama25 += yama;
    const Taken t = take(feedLine({"9" + e, "1", "a" + e, "0.2" + e, "5", "r" + e + fullwidth, "b" + e, "Ren" + e + "e",
                                   "Pok" + e + "mon " + fullwidth, "3", "4", "Caf" + e + " \xE3\x83\x91"}));
    EXPECT_EQ(t.fields, "9|1|a" + e + "|0.2" + e + "|5|r" + e + fullwidth + "|b" + e + "|Ren" + e + "e|Pok" + e +
                            "mon " + fullwidth + "|3|4|Caf" + e + " \xE3\x83\x91");
    EXPECT_EQ(t.listLines, std::vector<std::string>{"       9" + e + " - Ren" + e + "e"});

    const Taken recent = take(line(11, "Pok" + e, true), FeedKind::recentUploads);
    EXPECT_EQ(recent.listLines, std::vector<std::string>{"       Pok" + e + "|         9 - P"});
    // A field keeps its width in bytes, cut between characters: 64 bytes
    // hold 31 accented letters, or 21 Japanese ones; the legacy code page's
    // letters come into UTF-8.
    const struct {
        std::string player, shown;
    } players[] = {
        {eAcute70, std::string()},
        {yama25, std::string()},
        {"Ren\xE9"
         "e",
         "Ren" + e + "e"},
    };
    std::string e31, yama21;
    for (int i = 0; i < 31; ++i)
        e31 += e;
    for (int i = 0; i < 21; ++i)
        yama21 += yama;
    const std::string expected[] = {e31, yama21, players[2].shown};
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(take(line(7, players[i].player)).listLines, std::vector<std::string>{"         9 - " + expected[i]});
}

TEST(TakeScoreLine, IntegersReadTheirBaseFromThePrefixAndWrapTo32Bits)
{
    check({
        {line(1, "010"), "9|8|a|v|5|r|b|P|G|3|4|d"},
        {line(9, "0x10"), "9|1|a|v|5|r|b|P|G|16|4|d"},
        {line(1, "\n -0X1f"), "9|-31|a|v|5|r|b|P|G|3|4|d"},
        {line(4, "4294967297"), "9|1|a|v|1|r|b|P|G|3|4|d"},
        {line(1, "2147483648"), "9|-2147483648|a|v|5|r|b|P|G|3|4|d"},
        {line(9, "65539"), "9|1|a|v|5|r|b|P|G|3|4|d"}, // the position keeps 16 bits
        {line(9, "32768"), "9|1|a|v|5|r|b|P|G|-32768|4|d"},
        {line(9, "-1"), "9|1|a|v|5|r|b|P|G|-1|4|d"},
        {line(1, "0xg"), "9|0|||0|||||0|0|"}, // "0" read, 'x' is off the pattern
        {line(1, "08"), "9|0|||0|||||0|0|"},
        {line(1, "-"), "9|0|||0|||||0|0|"},
    });
}

TEST(TakeScoreLine, PointsTakeAtMostFiveCharacters)
{
    check({
        {line(10, "100.25"), "9|1|a|v|5|r|b|P|G|3|100.2|"}, // the sixth character ends the scan
        {line(10, "12.25"), "9|1|a|v|5|r|b|P|G|3|12.25|d"},
        {line(10, " \n-.125"), "9|1|a|v|5|r|b|P|G|3|-0.125|d"}, // white space does not count
        {line(10, "1e3"), "9|1|a|v|5|r|b|P|G|3|1000|d"},
        {line(10, "1e"), "9|1|a|v|5|r|b|P|G|3|1|"},
        {line(10, "9e99"), "9|1|a|v|5|r|b|P|G|3|inf|d"},
        {line(10, "."), "9|1|a|v|5|r|b|P|G|3|0|"},
    });
}

TEST(TakeScoreLine, ScoreIsDecimalForHighScoresAndIntegerForRecentUploads)
{
    const struct {
        const char* text;
        double high, recent;
    } cases[] = {
        {"99.9", 99.9, 99},
        {" -1.5e2x", -150, -1},
        {"0x10", 0, 0},
        {"inf", 0, 0},
        {"99999999999", 99999999999.0, 2147483647},
        {"-99999999999", -99999999999.0, -2147483648.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(take(line(0, c.text)).score, c.high);
        EXPECT_EQ(take(line(0, c.text, true), FeedKind::recentUploads).score, c.recent);
    }
}

TEST(TakeScoreLine, OverlongFieldsAreCutAndTheScanStaysInStep)
{
    const std::string x(3000, 'x');
    const Taken high = take(feedLine({x, "1", x, x, "2", x, x, x, x, "3", "4", x}));
    EXPECT_EQ(high.fields, "0|1|" + x.substr(0, 9) + '|' + x.substr(0, 17) + "|2|" + x.substr(0, 49) + '|' +
                               x.substr(0, 15) + '|' + x.substr(0, 63) + '|' + x.substr(0, 255) + "|3|4|" +
                               x.substr(0, 2047));
    EXPECT_EQ(high.listLines, std::vector<std::string>{x.substr(0, 31) + " - " + x.substr(0, 63)});

    const Taken recent = take(line(11, x, true), FeedKind::recentUploads);
    EXPECT_EQ(recent.fields, "9|1|a|v|5|r|b|P|G|3|4|d");
    EXPECT_EQ(recent.listLines, std::vector<std::string>{x.substr(0, 19) + "|         9 - P"});
}

TEST(TakeScoreLine, ListLineRightAlignsTheScoreAndTheLabel)
{
    EXPECT_EQ(take(line(7, "Someone")).listLines, std::vector<std::string>{"         9 - Someone"});
    EXPECT_EQ(take("not a score\n").listLines, std::vector<std::string>{std::string(10, ' ') + " - "});
    EXPECT_EQ(take(line(11, "pacman", true), FeedKind::recentUploads).listLines,
              std::vector<std::string>{"      pacman|         9 - P"});
}

// A list line opens a score only when the last answer gave that line a
// record that holds one: a failure's line, or an earlier answer's, never.
TEST(ScoreTable, LineShowsOnlyAScoreOfTheLastAnswer)
{
    auto scan = [](const std::string& text) {
        ScoreRecord record;
        takeScoreLine(
            text.data(), text.data() + text.size(), FeedKind::highScores, TextForm::utf8, record,
            [](const char*, void*) {}, nullptr);
        return record;
    };
    const std::vector<ScoreRecord> taken = {scan(line(0, "1")), scan(line(0, "2")), scan(line(0, "3"))};
    const ScoreRecord noScore = scan("\n");
    const struct {
        const char* label;
        const ScoreRecord* records;
        int count;
        std::vector<double> opened; // lines -1 to 3: the score each opens, -1 for none
    } cases[] = {
        {"three scores", taken.data(), 3, {-1, 1, 2, 3, -1}},
        {"a failure after them", nullptr, 0, {-1, -1, -1, -1, -1}},
        {"one after three", taken.data() + 1, 1, {-1, 2, -1, -1, -1}},
        {"a line of no score", &noScore, 1, {-1, -1, -1, -1, -1}},
        {"a count below zero", taken.data(), -1, {-1, -1, -1, -1, -1}},
    };
    std::unique_ptr<ScoreTable> table(new ScoreTable{});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        replaceScores(*table, c.records, c.count);
        for (int i = -1; i <= 3; ++i) {
            const ScoreRecord* opened = scoreOfLine(*table, i);
            EXPECT_EQ(opened ? opened->score : -1, c.opened[static_cast<std::size_t>(i + 1)]) << "line " << i;
        }
    }
    const std::vector<ScoreRecord> many(kMaxScores + 5, taken[0]);
    replaceScores(*table, many.data(), kMaxScores + 5);
    EXPECT_EQ(table->count, kMaxScores) << "no more than the table holds";
    EXPECT_EQ(scoreOfLine(*table, kMaxScores), nullptr);
}

TEST(IsErrorPage, MatchesTheHtmlTagInAnyCase)
{
    const struct {
        const char* text;
        std::size_t length;
        bool expected;
    } cases[] = {{"<HTML><BODY>", 12, true}, {"<HtMl>", 6, true},   {"<html>", 5, false},
                 {"<HTM", 4, false},         {" <html>", 7, false}, {"<HTMX>", 6, false}};
    for (const auto& c : cases) {
        std::vector<char> buffer(c.text, c.text + c.length);
        EXPECT_EQ(isErrorPage(buffer.data(), buffer.size()), c.expected) << c.text;
    }
}

} // namespace
