// Feeds arbitrary bytes to the feed walk as both kinds of answer: it must take
// at most a table's worth of records, never write the slot after the table,
// and leave every field and every list line ended within its width.
#include "online/score_record.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Widest list line: a 19-character label, '|', a 31-character score, " - "
// and a 63-character name.
constexpr std::size_t kLongestListLine = 19 + 1 + 31 + 3 + 63;

void require(bool condition)
{
    if (!condition)
        std::abort();
}

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // An exactly-sized copy: any read past the answer lands outside it.
    const std::vector<char> answer(data, data + size);
    isErrorPage(answer.data(), answer.size());
    walkAs(answer, FeedKind::highScores);
    walkAs(answer, FeedKind::recentUploads);
    return 0;
}
