// What a recording holds, and what MAME said when it played it to its end without a screen.
#include "emulator/recording_check.h"

#include "common/ascii.h"
#include "common/bounded_text.h"
#include "common/text_lines.h"
#include "emulator/emulator_answers.h"
#include "emulator/recording_game.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::uint64_t littleEndian(const unsigned char* bytes, std::size_t count)
{
    std::uint64_t value = 0;
    for (std::size_t i = count; i > 0; --i)
        value = value << 8 | bytes[i - 1];
    return value;
}

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

namespace {

// The number in the attribute `name` of the element that starts at `at`,
// or 0 when it has none.
double attributeNumber(const std::string& text, std::size_t at, const char* name)
{
    std::size_t end = text.find('>', at);
    std::size_t found = text.find(name, at);
    if (found == std::string::npos || found > end)
        return 0;
    double value = 0, scale = 0;
    for (std::size_t i = found + std::strlen(name); i < end && i < found + 64; ++i) {
        char c = text[i];
        if (c == '.' && scale == 0) {
            scale = 1;
        } else if (isAsciiDigit(c)) {
            value = value * 10 + (c - '0');
            scale *= 10;
        } else {
            break;
        }
    }
    return scale > 1 ? value / scale : value;
}

} // namespace

MachineInputs readMachineInputs(const char* text, std::size_t length)
{
    MachineInputs inputs{false, 0, 0, 0.0};
    std::size_t machine = findMachineElement(text, length);
    if (machine == length)
        return inputs;
    std::string whole(text, length);
    std::size_t end = whole.find("</machine>", machine);
    std::size_t endGame = whole.find("</game>", machine);
    if (endGame < end)
        end = endGame;
    if (end == std::string::npos)
        end = whole.size();
    bool controls = false;
    for (std::size_t at = whole.find('<', machine + 1); at < end; at = whole.find('<', at + 1)) {
        if (whole.compare(at, 6, "<port ") == 0)
            ++inputs.ports;
        else if (whole.compare(at, 8, "<analog ") == 0 || whole.compare(at, 9, "<analog/>") == 0)
            ++inputs.analogs;
        else if (whole.compare(at, 7, "<input ") == 0 || whole.compare(at, 7, "<input>") == 0)
            controls = true;
        else if (whole.compare(at, 9, "<display ") == 0)
            inputs.refresh = std::max(inputs.refresh, attributeNumber(whole, at, " refresh=\""));
    }
    // Listings before <port> elements describe a game's controls without
    // them: its frames' size is then not known.
    if (inputs.ports == 0 && controls)
        return MachineInputs{false, 0, 0, 0.0};
    inputs.known = true;
    return inputs;
}

std::size_t frameBytes(const MachineInputs& inputs)
{
    return 16 + 8 * static_cast<std::size_t>(inputs.ports) + 13 * static_cast<std::size_t>(inputs.analogs);
}

std::uint64_t mostRecordingFrames(const MachineInputs& inputs)
{
    // A rate below one frame a second or past a thousand is no game's screen.
    double rate = inputs.refresh >= 1 && inputs.refresh <= 1000 ? inputs.refresh : 60;
    return static_cast<std::uint64_t>(std::ceil(kMostPlaySeconds * rate));
}

bool playLengthKnown(const RecordingFrames& frames)
{
    return frames.readable && !frames.damaged && !frames.pastBound && !frames.stopped && frames.lastFrameSeconds >= 0 &&
           frames.lastFrameSeconds <= kMostPlaySeconds;
}

unsigned secondsToRunFor(double lastFrameSeconds)
{
    if (!(lastFrameSeconds >= 0))
        return 1;
    if (!(lastFrameSeconds <= kMostPlaySeconds))
        return static_cast<unsigned>(kMostPlaySeconds) + 1;
    return static_cast<unsigned>(std::ceil(lastFrameSeconds)) + 1;
}

RecordingFrames countRecordingFrames(const unsigned char* data, std::size_t length, std::size_t frameSize,
                                     const FrameBounds& bounds)
{
    RecordingFrames frames{false, false, 0, 0, 0.0, false, 0, false, false};
    if (frameSize < 16)
        return frames;
    // A head and nothing after it: a recording cut before its first frame.
    if (length == 0) {
        frames.readable = true;
        return frames;
    }
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return frames;
    std::vector<unsigned char> out(64 * 1024);
    // The first 12 bytes of the frame being filled: its seconds and attoseconds.
    unsigned char time[12] = {};
    std::size_t inFrame = 0;
    const unsigned char* next = data;
    std::size_t left = length;
    int result = Z_OK;
    while (result == Z_OK) {
        if (bounds.stop && bounds.stop->load()) {
            frames.stopped = true;
            break;
        }
        // zlib counts its input in 32 bits.
        uInt chunk = left > 0x40000000u ? 0x40000000u : static_cast<uInt>(left);
        stream.next_in = const_cast<Bytef*>(next);
        stream.avail_in = chunk;
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        result = inflate(&stream, Z_NO_FLUSH);
        std::size_t used = chunk - stream.avail_in;
        next += used;
        left -= used;
        std::size_t produced = out.size() - stream.avail_out;
        if (result == Z_OK || result == Z_STREAM_END || produced > 0)
            frames.readable = true;
        // Only a frame's time is read; the rest of it is stepped over.
        for (std::size_t i = 0; i < produced;) {
            std::size_t want = inFrame < sizeof time ? sizeof time - inFrame : frameSize - inFrame;
            std::size_t step = want < produced - i ? want : produced - i;
            if (inFrame < sizeof time)
                std::memcpy(time + inFrame, out.data() + i, step);
            inFrame += step;
            i += step;
            if (inFrame == frameSize) {
                inFrame = 0;
                if (frames.frames == bounds.mostFrames) {
                    frames.pastBound = true;
                    break;
                }
                ++frames.frames;
                double seconds = static_cast<double>(static_cast<std::int32_t>(littleEndian(time, 4)));
                double attoseconds = static_cast<double>(static_cast<std::int64_t>(littleEndian(time + 4, 8)));
                frames.lastFrameSeconds = seconds + attoseconds / 1e18;
            }
        }
        frames.bytes += produced;
        if (frames.pastBound)
            break;
        // Nothing more can come: the input is used up and the output not full.
        if (result == Z_OK && left == 0 && produced < out.size() && stream.avail_in == 0)
            break;
        if (result == Z_BUF_ERROR && produced > 0)
            result = Z_OK;
    }
    frames.complete = result == Z_STREAM_END && !frames.pastBound && !frames.stopped;
    // An error of the stream after some of it was read: the data is
    // damaged there, which is not the same as a file cut short.
    if (frames.readable && result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
        frames.damaged = true;
        frames.damagedAt = stream.total_in;
    }
    inflateEnd(&stream);
    return frames;
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

void formatVerdict(const CheckOutcome& outcome, char* text, std::size_t size)
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
