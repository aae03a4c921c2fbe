// What a recording holds, and what MAME said when it played it to its end without a screen.
#include "emulator/recording_check.h"

#include "common/ascii.h"
#include "common/bounded_text.h"
#include "common/text_lines.h"
#include "emulator/recording_game.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

// A field of the head: its bytes up to the first zero.
template <std::size_t N>
void headText(const unsigned char* bytes, std::size_t width, char (&text)[N])
{
    std::size_t length = 0;
    while (length < width && bytes[length] != 0)
        ++length;
    copySpan(text, N, reinterpret_cast<const char*>(bytes), length);
}

// The number after `prefix` at the start of a line, or -1.
long long numberAfter(const char* line, std::size_t length, const char* prefix)
{
    if (!startsWith(line, length, prefix))
        return -1;
    long long value = -1;
    for (std::size_t i = std::strlen(prefix); i < length && isAsciiDigit(line[i]); ++i) {
        if (value > 100000000000000LL)
            return -1;
        value = (value < 0 ? 0 : value * 10) + (line[i] - '0');
    }
    return value;
}

// A version identifier's parts: 0.106u2 is {0, 106, update, 2}.
struct VersionParts {
    bool valid;
    long major, minor;
    int stage; // 0 beta, 1 release candidate, 2 release, 3 update
    long number;
};

VersionParts versionParts(const char* text)
{
    VersionParts parts{false, 0, 0, 2, 0};
    const char* c = text;
    auto number = [&c](long& value) {
        if (!isAsciiDigit(*c))
            return false;
        for (value = 0; isAsciiDigit(*c) && value < 100000000; ++c)
            value = value * 10 + (*c - '0');
        return true;
    };
    if (!number(parts.major) || *c++ != '.' || !number(parts.minor))
        return parts;
    const struct {
        const char* mark;
        int stage;
    } stages[] = {{"rc", 1}, {"b", 0}, {"u", 3}};
    for (const auto& stage : stages) {
        std::size_t size = std::strlen(stage.mark);
        if (std::strncmp(c, stage.mark, size) == 0 && isAsciiDigit(c[size])) {
            c += size;
            parts.stage = stage.stage;
            number(parts.number);
            break;
        }
    }
    parts.valid = *c == '\0';
    return parts;
}

} // namespace

RecordingHeader readRecordingHeader(const unsigned char* bytes, std::size_t length)
{
    RecordingHeader header{};
    if (length < kRecordingHeadBytes || std::memcmp(bytes, "MAMEINP\0", 8) != 0)
        return header;
    header.present = true;
    header.created = littleEndian(bytes + 8, 8);
    header.major = bytes[0x10];
    header.minor = bytes[0x11];
    readRecordingGame(bytes, length, header.system);
    headText(bytes + 0x20, 32, header.madeBy);
    return header;
}

bool makerVersion(const char* madeBy, char* versionId, std::size_t size)
{
    if (size == 0)
        return false;
    versionId[0] = '\0';
    // "MAME 0.251 (...)": the word after the program's name.
    const char* start = std::strchr(madeBy, ' ');
    if (!start || !isAsciiDigit(start[1]))
        return false;
    ++start;
    std::size_t length = 0;
    while (start[length] != '\0' && start[length] != ' ')
        ++length;
    if (!copySpan(versionId, size, start, length) || !versionParts(versionId).valid) {
        versionId[0] = '\0';
        return false;
    }
    return true;
}

PlaybackReport readPlaybackReport(const char* text, std::size_t length)
{
    PlaybackReport report{-1, -1, ""};
    for (std::size_t start = 0; start < length;) {
        const char* line = nullptr;
        std::size_t size = takeLine(text, length, start, line);
        while (size > 0 && line[size - 1] == '\r')
            --size;
        long long frames = numberAfter(line, size, "Total playback frames: ");
        long long speed = numberAfter(line, size, "Average recorded speed: ");
        if (frames >= 0)
            report.playedFrames = frames;
        if (speed >= 0 && speed <= 1000000)
            report.speed = static_cast<int>(speed);
        if (startsWith(line, size, "Input file is for machine "))
            copySpan(report.otherMachine, sizeof report.otherMachine, line, size);
    }
    return report;
}

void mameWords(const char* text, std::size_t length, char* words, std::size_t size)
{
    if (size == 0)
        return;
    words[0] = '\0';
    TextBuilder builder = startText(words, size);
    const char* first = nullptr;
    std::size_t firstSize = 0;
    for (std::size_t start = 0; start < length;) {
        const char* line = nullptr;
        std::size_t lineSize = takeLine(text, length, start, line);
        while (lineSize > 0 && isAsciiWhiteSpace(static_cast<unsigned char>(line[lineSize - 1])))
            --lineSize;
        if (lineSize == 0)
            continue;
        if (!first) {
            first = line;
            firstSize = lineSize;
        }
        if (startsWith(line, lineSize, "Fatal error")) {
            if (builder.length > 0)
                appendText(builder, " ");
            appendSpan(builder, line, lineSize);
        }
    }
    if (builder.length == 0 && first)
        appendSpan(builder, first, firstSize);
    // A line that does not fit is cut, so that some of its words show, and
    // the cut is marked.
    if (builder.overflowed && builder.length == 0 && first)
        copySpan(words, size, first, firstSize);
    if (builder.overflowed && size > 5) {
        std::size_t end = std::strlen(words);
        copyText(words + (end > size - 5 ? size - 5 : end), 5, " ...");
    }
}

void formatPlayLength(double seconds, char* text, std::size_t size)
{
    if (!(seconds > 0))
        seconds = 0;
    unsigned long long whole = static_cast<unsigned long long>(std::floor(seconds));
    formatText(text, size, "%llu:%02llu", whole / 60, whole % 60);
}

void appendFindings(char* verdict, std::size_t size, const char* lead, const char* findings)
{
    if (!findings || findings[0] == '\0' || size == 0)
        return;
    const char* end = static_cast<const char*>(std::memchr(verdict, '\0', size));
    if (!end)
        return;
    std::size_t length = static_cast<std::size_t>(end - verdict);
    // Whole or not at all: a sentence cut short would mislead.
    // A verdict that ends a sentence (MAME's words may end in any mark)
    // needs no full stop of its own.
    std::string added = length == 0 ? "" : std::strchr(".;!?", verdict[length - 1]) ? " " : ". ";
    added += lead;
    added += findings;
    if (added.size() < size - length)
        std::memcpy(verdict + length, added.c_str(), added.size() + 1);
}

namespace {

void formatVerdictLine(const CheckOutcome& outcome, char* text, std::size_t size)
{
    const PlaybackReport& report = outcome.report;
    const RecordingFrames& file = outcome.file;
    bool refused = !outcome.ended || outcome.exitCode != 0 || report.playedFrames < 0;
    if (refused) {
        if (outcome.words && outcome.words[0] != '\0')
            copyText(text, size, outcome.words);
        else if (report.otherMachine[0] != '\0')
            copyText(text, size, report.otherMachine);
        else if (!outcome.ended)
            copyText(text, size, "MAME did not end by itself, and was ended.");
        else if (outcome.exitCode >= 0xC0000000ul)
            formatText(text, size, "MAME ended abnormally (exception 0x%08lX).", outcome.exitCode);
        else
            formatText(text, size, "MAME ended with exit code %lu and played nothing.", outcome.exitCode);
        return;
    }
    unsigned long long played = static_cast<unsigned long long>(report.playedFrames);
    if (!file.readable) {
        formatText(text, size,
                   "MAME played %llu frames; the frames of the file could not be counted, so an early "
                   "stop cannot be told",
                   played);
    } else if (!file.complete) {
        formatText(text, size, "Cut short: the file ends inside its data; MAME played %llu frames", played);
    } else if (played < file.frames) {
        formatText(text, size, "Stops at frame %llu of %llu%s%s", played, static_cast<unsigned long long>(file.frames),
                   report.otherMachine[0] != '\0' ? ": " : "", report.otherMachine);
    } else {
        char length[32];
        formatPlayLength(file.lastFrameSeconds, length, sizeof length);
        formatText(text, size, "Plays to its end: %llu of %llu frames, %s", played,
                   static_cast<unsigned long long>(file.frames), length);
    }
}

} // namespace

void formatVerdict(const CheckOutcome& outcome, char* text, std::size_t size)
{
    formatVerdictLine(outcome, text, size);
    appendFindings(text, size, "", outcome.findings);
}

int compareVersions(const char* a, const char* b)
{
    VersionParts x = versionParts(a), y = versionParts(b);
    if (x.valid != y.valid)
        return x.valid ? 1 : -1;
    const long left[] = {x.major, x.minor, x.stage, x.number};
    const long right[] = {y.major, y.minor, y.stage, y.number};
    for (int i = 0; i < 4; ++i) {
        if (left[i] != right[i])
            return left[i] < right[i] ? -1 : 1;
    }
    return 0;
}
