// Walking whole feed answers line by line into the score table.
#include "online/score_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Walk {
    int count;
    std::vector<std::string> listLines;
};

void collect(const char* listLine, void* context)
{
    static_cast<std::vector<std::string>*>(context)->push_back(listLine);
}

// The answer sits in a buffer of exactly its size, with no zero byte after
// it, so a read past `length` trips the address sanitizer.
Walk walk(const std::string& answer, FeedKind kind, std::vector<ScoreRecord>& table, int capacity)
{
    std::vector<char> buffer(answer.begin(), answer.end());
    Walk w{0, {}};
    w.count = walkFeed(buffer.data(), buffer.size(), kind, table.data(), capacity, collect, &w.listLines);
    return w;
}

std::string line(const std::string& score, const std::string& description = "d", const char* label = "")
{
    return "('" + score + "','1','a','v','2','r','t','P',\"G\",'3','4','" + label + description + "')<P>\n";
}

std::string recentLine(const std::string& score)
{
    return line(score, "d", "L','");
}

TEST(WalkFeed, TakesOneRecordPerLineFromTheRightStart)
{
    const std::string none = std::string(10, ' ') + " - "; // the list line of a line that is no score
    const std::string one = "         1 - P", two = "         2 - P", three = "         3 - P";
    const struct {
        const char* label;
        FeedKind kind;
        std::string answer;
        std::vector<std::string> listLines;
    } cases[] = {
        {"heading skipped", FeedKind::highScores, "heading\n" + line("1") + line("2"), {one, two}},
        {"heading even when it is a score line", FeedKind::highScores, line("1") + line("2"), {two}},
        {"heading only", FeedKind::highScores, "heading\n", {}},
        {"no line end at all", FeedKind::highScores, "heading", {}},
        {"lone line end", FeedKind::highScores, "\n", {}},
        {"empty answer", FeedKind::recentUploads, "", {}},
        {"recent first line taken",
         FeedKind::recentUploads,
         recentLine("1") + recentLine("2"),
         {"           L|" + one, "           L|" + two}},
        {"line end first in a recent answer",
         FeedKind::recentUploads,
         "\n" + recentLine("1"),
         {"            |" + none}},
        {"last line without line end", FeedKind::highScores, "h\n" + line("1") + "(no end", {one, none}},
        {"empty line passes over the next",
         FeedKind::highScores,
         "h\n" + line("1") + "\n" + line("2") + line("3"),
         {one, none, three}},
        {"zero byte ends the answer",
         FeedKind::highScores,
         "h\n" + line("1") + std::string(1, '\0') + line("2"),
         {one}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<ScoreRecord> table(kMaxScores);
        Walk w = walk(c.answer, c.kind, table, kMaxScores);
        EXPECT_EQ(w.count, static_cast<int>(c.listLines.size()));
        EXPECT_EQ(w.listLines, c.listLines);
        // Each line is its record, which holds a score unless the line shows none.
        for (std::size_t i = 0; i < w.listLines.size() && i < table.size(); ++i) {
            const std::string& shown = w.listLines[i];
            bool blank =
                shown.size() >= none.size() && shown.compare(shown.size() - none.size(), none.size(), none) == 0;
            EXPECT_EQ(table[i].hasScore, !blank) << "line " << i;
        }
    }
}

TEST(WalkFeed, FieldRunningOnPastALineEndStartsAnotherRecordAfterIt)
{
    std::vector<ScoreRecord> table(kMaxScores);
    EXPECT_EQ(walk("h\n" + line("1", "first\nsecond") + line("2"), FeedKind::highScores, table, kMaxScores).count, 3);
    EXPECT_STREQ(table[0].description, "first\nsecond");
    EXPECT_STREQ(table[1].description, "");
    EXPECT_STREQ(table[2].description, "d");
}

TEST(WalkFeed, DropsLinesPastCapacityWithoutTouchingTheSlotAfter)
{
    const struct {
        int lines, capacity, expected;
    } cases[] = {{150, kMaxScores, kMaxScores}, {5, 3, 3}, {3, 3, 3}, {2, 3, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lines << " lines into " << c.capacity);
        std::string answer = "heading\n";
        for (int i = 0; i < c.lines; ++i)
            answer += line(std::to_string(i));
        std::vector<ScoreRecord> table(static_cast<std::size_t>(c.capacity) + 1);
        std::memset(&table.back(), 0x5A, sizeof(ScoreRecord));
        const ScoreRecord canary = table.back();
        Walk w = walk(answer, FeedKind::highScores, table, c.capacity);
        EXPECT_EQ(w.count, c.expected);
        EXPECT_EQ(w.listLines.size(), static_cast<std::size_t>(c.expected));
        EXPECT_EQ(table[static_cast<std::size_t>(c.expected) - 1].score, c.expected - 1);
        EXPECT_EQ(std::memcmp(&table.back(), &canary, sizeof canary), 0) << "slot past capacity written";
    }
}

} // namespace
