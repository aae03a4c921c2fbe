// Leaderboard feed lines: the scan of one line into a record, the error-page check and the walk over an answer.
#include "online/score_record.h"

#include "common/ascii.h"
#include "common/bounded_text.h"
#include "common/shown_text.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

ScoreTable scoreTable;

namespace {

int hexValue(int c)
{
    if (isAsciiDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Two's complement reading of the low bits, written out because the plain
// cast is implementation-defined before C++20.
std::int32_t toSigned32(std::uint32_t value)
{
    return value <= 0x7FFFFFFFu ? static_cast<std::int32_t>(value) : -static_cast<std::int32_t>(~value) - 1;
}

std::int16_t toSigned16(std::int32_t value)
{
    std::uint32_t low = static_cast<std::uint32_t>(value) & 0xFFFFu;
    return static_cast<std::int16_t>(low <= 0x7FFFu ? static_cast<int>(low) : static_cast<int>(low) - 0x10000);
}

// The text still to scan. A zero byte ends it as `end` does, since the
// formatted scan sees the text as a C string.
struct Input {
    const char* p;
    const char* end;

    int peek(std::size_t ahead = 0) const
    {
        if (static_cast<std::size_t>(end - p) <= ahead)
            return -1;
        return static_cast<unsigned char>(p[ahead]) == 0 ? -1 : static_cast<unsigned char>(p[ahead]);
    }

    bool literal(char c)
    {
        if (peek() != static_cast<unsigned char>(c))
            return false;
        ++p;
        return true;
    }

    void skipWhiteSpace()
    {
        while (isAsciiWhiteSpace(peek()))
            ++p;
    }
};

// Length of the longest prefix of `text` (at most `limit` characters, none at
// or past `end`) that is a decimal number: [sign] digits [. digits] and an
// exponent only when it has a digit. Zero when there is no digit.
std::size_t decimalPrefix(const Input& text, std::size_t limit)
{
    auto at = [&](std::size_t i) { return i < limit ? text.peek(i) : -1; };
    std::size_t n = 0;
    if (at(n) == '+' || at(n) == '-')
        ++n;
    std::size_t digits = 0;
    for (; isAsciiDigit(at(n)); ++n)
        ++digits;
    if (at(n) == '.') {
        ++n;
        for (; isAsciiDigit(at(n)); ++n)
            ++digits;
    }
    if (digits == 0)
        return 0;
    std::size_t taken = n;
    if (at(n) == 'e' || at(n) == 'E') {
        std::size_t m = n + 1;
        if (at(m) == '+' || at(m) == '-')
            ++m;
        if (isAsciiDigit(at(m))) {
            while (isAsciiDigit(at(m)))
                ++m;
            taken = m;
        }
    }
    return taken;
}

// strtod on a zero-terminated copy, since the text it comes from need not end.
double decimalValue(const char* text, std::size_t length)
{
    char copy[40];
    copySpan(copy, sizeof copy, text, length);
    return std::strtod(copy, nullptr);
}

// %[^quote]: at least one character; a longer field is cut to the buffer
// while the scan still runs to its end, so the next literal stays in step.
// A shown text is brought from the answer's form into Hobrin's code page;
// a text that names something (a recording, a version) stays byte for
// byte, so that it names the same thing.
bool scanText(Input& in, char quote, char* target, std::size_t size, bool shown, TextForm form)
{
    const char* start = in.p;
    while (in.peek() != -1 && in.peek() != static_cast<unsigned char>(quote))
        ++in.p;
    const std::size_t length = static_cast<std::size_t>(in.p - start);
    if (length == 0)
        return false;
    if (shown) {
        copyShownText(target, size, start, length, form);
    } else {
        // Byte for byte, cut or not: it names something.
        const std::size_t kept = length < size ? length : size - 1;
        std::memcpy(target, start, kept);
        target[kept] = '\0';
    }
    return true;
}

// %i: base from the prefix, wrapping to 32 bits like the 32-bit scan does.
bool scanInteger(Input& in, std::int32_t& target)
{
    in.skipWhiteSpace();
    bool negative = false;
    if (in.peek() == '+' || in.peek() == '-') {
        negative = in.peek() == '-';
        ++in.p;
    }
    if (!isAsciiDigit(in.peek()))
        return false;
    unsigned base = 10;
    if (in.peek() == '0') {
        if ((in.peek(1) == 'x' || in.peek(1) == 'X') && hexValue(in.peek(2)) >= 0) {
            base = 16;
            in.p += 2;
        } else
            base = 8;
    }
    std::uint32_t value = 0;
    for (int digit = hexValue(in.peek()); digit >= 0 && static_cast<unsigned>(digit) < base;
         digit = hexValue(in.peek())) {
        value = value * base + static_cast<std::uint32_t>(digit);
        ++in.p;
    }
    target = toSigned32(negative ? 0u - value : value);
    return true;
}

// %5f: the white space before the number does not count towards the five.
bool scanPoints(Input& in, float& target)
{
    in.skipWhiteSpace();
    std::size_t length = decimalPrefix(in, 5);
    if (length == 0)
        return false;
    double value = decimalValue(in.p, length);
    in.p += length;
    // Out of float's range the conversion is undefined; the scan gives infinity.
    if (std::fabs(value) > FLT_MAX)
        target = value < 0 ? -HUGE_VALF : HUGE_VALF;
    else
        target = static_cast<float>(value);
    return true;
}

enum class Conversion { text, shownText, integer, shortInteger, points };

struct Field {
    char quote;
    Conversion conversion;
    void* target;
    std::size_t size;
};

bool scanField(Input& in, const Field& field, TextForm form)
{
    switch (field.conversion) {
    case Conversion::text: return scanText(in, field.quote, static_cast<char*>(field.target), field.size, false, form);
    case Conversion::shownText:
        return scanText(in, field.quote, static_cast<char*>(field.target), field.size, true, form);
    case Conversion::integer: return scanInteger(in, *static_cast<std::int32_t*>(field.target));
    case Conversion::shortInteger: {
        std::int32_t value = 0;
        if (!scanInteger(in, value))
            return false;
        *static_cast<std::int16_t*>(field.target) = toSigned16(value);
        return true;
    }
    case Conversion::points: return scanPoints(in, *static_cast<float*>(field.target));
    }
    return false;
}

// ('f1','f2',...: stops at the first character off the pattern; what follows
// the last field is never looked at.
void scanFields(Input& in, const Field* fields, int count, TextForm form)
{
    if (!in.literal('('))
        return;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !(in.literal(fields[i - 1].quote) && in.literal(',')))
            return;
        if (!in.literal(fields[i].quote) || !scanField(in, fields[i], form))
            return;
    }
}

// atoi on a 32-bit long: saturates instead of wrapping.
std::int32_t integerScore(const char* text)
{
    Input in{text, text + std::strlen(text)};
    in.skipWhiteSpace();
    bool negative = false;
    if (in.peek() == '+' || in.peek() == '-') {
        negative = in.peek() == '-';
        ++in.p;
    }
    std::int64_t value = 0;
    const std::int64_t limit = negative ? std::int64_t{INT32_MAX} + 1 : std::int64_t{INT32_MAX};
    for (; isAsciiDigit(in.peek()); ++in.p) {
        value = value * 10 + (in.peek() - '0');
        if (value > limit)
            value = limit;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

// atof limited to decimal numbers: the feed's scores are never hex, inf or nan.
double decimalScore(const char* text)
{
    Input in{text, text + std::strlen(text)};
    in.skipWhiteSpace();
    std::size_t length = decimalPrefix(in, static_cast<std::size_t>(in.end - in.p));
    return length == 0 ? 0.0 : decimalValue(in.p, length);
}

} // namespace

void takeScoreLine(const char* line, const char* end, FeedKind kind, TextForm form, ScoreRecord& record,
                   ListLineSink sink, void* context)
{
    record = ScoreRecord{};
    char scoreText[32] = {};
    char player[64] = {};
    char gameLabel[20] = {};
    const bool recent = kind == FeedKind::recentUploads;

    const Field fields[] = {
        {'\'', Conversion::shownText, scoreText, sizeof scoreText},
        {'\'', Conversion::integer, &record.confirmed, 0},
        {'\'', Conversion::text, record.auxCode, sizeof record.auxCode},
        {'\'', Conversion::text, record.versionUsed, sizeof record.versionUsed},
        {'\'', Conversion::integer, &record.uploadTime, 0},
        {'\'', Conversion::text, record.recordingName, sizeof record.recordingName},
        {'\'', Conversion::text, record.auxTag, sizeof record.auxTag},
        {'\'', Conversion::shownText, player, sizeof player},
        {'"', Conversion::shownText, record.gameName, sizeof record.gameName},
        {'\'', Conversion::shortInteger, &record.position, 0},
        {'\'', Conversion::points, &record.points, 0},
        // The recent uploads carry the game's label before the description.
        recent ? Field{'\'', Conversion::shownText, gameLabel, sizeof gameLabel}
               : Field{'\'', Conversion::shownText, record.description, sizeof record.description},
        {'\'', Conversion::shownText, record.description, sizeof record.description},
    };
    Input in{line, end};
    scanFields(in, fields, recent ? 13 : 12, form);

    char listLine[kScoreListLineSize];
    if (recent)
        formatText(listLine, sizeof listLine, "%12s|%10s - %s", gameLabel, scoreText, player);
    else
        formatText(listLine, sizeof listLine, "%10s - %s", scoreText, player);
    sink(listLine, context);

    copyText(record.playerName, sizeof record.playerName, player);
    copyText(record.scoreText, sizeof record.scoreText, scoreText);
    copyText(record.gameLabel, sizeof record.gameLabel, gameLabel);
    record.score = recent ? static_cast<double>(integerScore(scoreText)) : decimalScore(scoreText);
    record.hasScore = scoreText[0] != '\0';
}

void replaceScores(ScoreTable& table, const ScoreRecord* records, int count, const char* game)
{
    copyText(table.game, sizeof table.game, game);
    if (records == nullptr || count < 0)
        count = 0;
    if (count > kMaxScores)
        count = kMaxScores;
    for (int i = 0; i < count; ++i)
        table.records[i] = records[i];
    table.count = count;
}

const ScoreRecord* scoreOfLine(const ScoreTable& table, int line)
{
    if (line < 0 || line >= table.count || line >= kMaxScores || !table.records[line].hasScore)
        return nullptr;
    return &table.records[line];
}

bool isErrorPage(const char* answer, std::size_t length)
{
    static const char kTag[] = "<html>";
    if (length < 6)
        return false;
    for (std::size_t i = 0; i < 6; ++i) {
        char c = answer[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kTag[i])
            return false;
    }
    return true;
}

int walkFeed(const char* answer, std::size_t length, FeedKind kind, ScoreRecord* table, int capacity, ListLineSink sink,
             void* context)
{
    if (answer == nullptr || length == 0 || table == nullptr || capacity <= 0)
        return 0;
    const char* zero = static_cast<const char*>(std::memchr(answer, '\0', length));
    const char* end = zero ? zero : answer + length;

    // A line ends at the first LF from its second byte on.
    auto pastLine = [end](const char* start) -> const char* {
        if (end - start < 2)
            return nullptr;
        const std::size_t rest = static_cast<std::size_t>(end - start - 1);
        const char* lf = static_cast<const char*>(std::memchr(start + 1, '\n', rest));
        return lf ? lf + 1 : nullptr;
    };

    const char* cursor = answer;
    if (kind == FeedKind::highScores) {
        // The first line of a high-score answer is the table's heading.
        cursor = pastLine(answer);
        if (cursor == nullptr)
            return 0;
    }
    if (cursor == end)
        return 0;

    // One form for the whole answer, which its bound in bytes may have cut.
    const TextForm form = cutTextFormOf(answer, static_cast<std::size_t>(end - answer));
    int slot = 0;
    for (;;) {
        takeScoreLine(cursor, end, kind, form, table[slot], sink, context);
        ++slot;
        cursor = pastLine(cursor);
        if (cursor == nullptr || cursor == end || slot == capacity)
            break;
    }
    return slot;
}
