// Feeds arbitrary bytes to the feed walk as both kinds of answer: it must take
// at most a table's worth of records, never write the slot after the table,
// and leave every field and every list line ended within its width. The same
// bytes, split into the texts of one score line, must come out as the rule of
// shown_oracle.h says for shown texts and byte for byte for the others.
#include "online/score_record.h"
#include "tests/fuzz/shown_oracle.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Widest list line: a 19-character label, '|', a 31-character score, " - "
// and a 63-character name.
constexpr std::size_t kLongestListLine = 19 + 1 + 31 + 3 + 63;

template <std::size_t N>
void requireTerminated(const char (&field)[N])
{
    require(std::memchr(field, '\0', N) != nullptr);
}

void checkListLine(const char* listLine, void* context)
{
    require(std::memchr(listLine, '\0', kLongestListLine + 1) != nullptr);
    ++*static_cast<int*>(context);
}

// One table for every run: clearing 100 records each time would slow the
// runs down, and each walk rewrites every slot it reports.
std::vector<ScoreRecord>& scoreTableWithCanary(ScoreRecord& canary)
{
    static std::vector<ScoreRecord> table(kMaxScores + 1);
    static bool filled = false;
    if (!filled) {
        std::memset(&table.back(), 0xA5, sizeof(ScoreRecord));
        filled = true;
    }
    canary = table.back();
    return table;
}

void walkAs(const std::vector<char>& answer, FeedKind kind)
{
    ScoreRecord canary;
    std::vector<ScoreRecord>& table = scoreTableWithCanary(canary);
    int listed = 0;
    int count = walkFeed(answer.data(), answer.size(), kind, table.data(), kMaxScores, checkListLine, &listed);
    require(count >= 0 && count <= kMaxScores && count == listed);
    require(std::memcmp(&table.back(), &canary, sizeof canary) == 0);
    for (int i = 0; i < count; ++i) {
        const ScoreRecord& r = table[static_cast<std::size_t>(i)];
        requireTerminated(r.auxCode);
        requireTerminated(r.versionUsed);
        requireTerminated(r.recordingName);
        requireTerminated(r.description);
        requireTerminated(r.auxTag);
        requireTerminated(r.playerName);
        requireTerminated(r.gameName);
    }
}

void keepListLine(const char* listLine, void* context)
{
    *static_cast<std::string*>(context) = listLine;
}

// The input's texts at byte 01, without the bytes that would end a field
// early (quotes, zero), never empty.
std::vector<std::string> textsOf(const std::uint8_t* data, std::size_t size, std::size_t count)
{
    std::vector<std::string> texts(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 1 && texts.size() < count)
            texts.emplace_back();
        else if (data[i] != '\'' && data[i] != '"' && data[i] != 0)
            texts.back() += static_cast<char>(data[i]);
    }
    texts.resize(count);
    for (std::string& text : texts) {
        if (text.empty())
            text = "x";
    }
    return texts;
}

void checkOneLine(const std::uint8_t* data, std::size_t size, FeedKind kind)
{
    const bool recent = kind == FeedKind::recentUploads;
    std::vector<std::string> t = textsOf(data, size, recent ? 13 : 12);
    t[1] = "1", t[4] = "2", t[9] = "3", t[10] = "4";
    std::string line = "(";
    for (std::size_t i = 0; i < t.size(); ++i)
        line += std::string(i ? "," : "") + (i == 8 ? '"' + t[i] + '"' : '\'' + t[i] + '\'');
    line += ")<P>\n";

    // The line stands for a whole answer, judged as the walk judges one.
    const bool utf8 = isUtf8Input(line);
    ScoreRecord r;
    std::string listLine;
    takeScoreLine(line.data(), line.data() + line.size(), kind, utf8 ? TextForm::utf8 : TextForm::legacy, r,
                  keepListLine, &listLine);
    require(r.auxCode == t[2].substr(0, 9) && r.versionUsed == t[3].substr(0, 17) &&
            r.recordingName == t[5].substr(0, 49) && r.auxTag == t[6].substr(0, 15));
    auto shown = [utf8](const std::string& raw, std::size_t size) { return shownText(raw, size, utf8); };
    require(r.playerName == shown(t[7], 64) && r.gameName == shown(t[8], 256) &&
            r.description == shown(t[recent ? 12 : 11], 2048));
    char expected[256];
    if (recent)
        std::snprintf(expected, sizeof expected, "%12s|%10s - %s", shown(t[11], 20).c_str(), shown(t[0], 32).c_str(),
                      shown(t[7], 64).c_str());
    else
        std::snprintf(expected, sizeof expected, "%10s - %s", shown(t[0], 32).c_str(), shown(t[7], 64).c_str());
    require(listLine == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // An exactly-sized copy: any read past the answer lands outside it.
    const std::vector<char> answer(data, data + size);
    isErrorPage(answer.data(), answer.size());
    walkAs(answer, FeedKind::highScores);
    walkAs(answer, FeedKind::recentUploads);
    checkOneLine(data, size, size > 0 && data[0] % 2 ? FeedKind::recentUploads : FeedKind::highScores);
    return 0;
}
