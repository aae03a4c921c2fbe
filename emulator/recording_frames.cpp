// A recording's frames: how large a machine's are, and what they tell of the recording when counted.
#include "emulator/recording_frames.h"

#include "common/ascii.h"
#include "emulator/emulator_answers.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

std::uint64_t littleEndian(const unsigned char* bytes, std::size_t count)
{
    std::uint64_t value = 0;
    for (std::size_t i = count; i > 0; --i)
        value = value << 8 | bytes[i - 1];
    return value;
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

FrameStamp frameStamp(const unsigned char (&bytes)[kFrameStampBytes])
{
    return FrameStamp{static_cast<std::int32_t>(littleEndian(bytes, 4)),
                      static_cast<std::int64_t>(littleEndian(bytes + 4, 8)),
                      static_cast<std::uint32_t>(littleEndian(bytes + 12, 4))};
}

// What a whole frame adds to the count: the one place that sees each
// frame's time and speed, in the order MAME recorded them.
void countFrame(RecordingFrames& frames, const FrameStamp& stamp, FrameFindings* findings)
{
    ++frames.frames;
    if (findings)
        addFrame(*findings, stamp.seconds, stamp.attoseconds, stamp.speed);
    frames.lastFrameSeconds = static_cast<double>(stamp.seconds) + static_cast<double>(stamp.attoseconds) / 1e18;
}

// Cuts the inflated data into frames, as it comes in blocks of any size:
// each frame's stamp is kept, the rest of it stepped over.
class FrameCutter {
public:
    FrameCutter(std::size_t frameSize, std::uint64_t mostFrames, FrameFindings* findings)
        : frameSize_(frameSize), mostFrames_(mostFrames), findings_(findings)
    {
    }

    // Takes the next `size` bytes; false, with `pastBound` set, at the
    // frame past the bound.
    bool take(const unsigned char* bytes, std::size_t size, RecordingFrames& frames)
    {
        for (std::size_t i = 0; i < size;) {
            std::size_t want = inFrame_ < sizeof stamp_ ? sizeof stamp_ - inFrame_ : frameSize_ - inFrame_;
            std::size_t step = want < size - i ? want : size - i;
            if (inFrame_ < sizeof stamp_)
                std::memcpy(stamp_ + inFrame_, bytes + i, step);
            inFrame_ += step;
            i += step;
            if (inFrame_ == frameSize_) {
                inFrame_ = 0;
                if (frames.frames == mostFrames_) {
                    frames.pastBound = true;
                    return false;
                }
                countFrame(frames, frameStamp(stamp_), findings_);
            }
        }
        return true;
    }

private:
    const std::size_t frameSize_; // at least kFrameStampBytes
    const std::uint64_t mostFrames_;
    FrameFindings* const findings_;              // null when not asked for
    unsigned char stamp_[kFrameStampBytes] = {}; // of the frame being filled
    std::size_t inFrame_ = 0;
};

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
    return kFrameStampBytes + 8 * static_cast<std::size_t>(inputs.ports) +
           13 * static_cast<std::size_t>(inputs.analogs);
}

std::uint64_t mostRecordingFrames(const MachineInputs& inputs)
{
    return static_cast<std::uint64_t>(std::ceil(kMostPlaySeconds * 2 * screenRate(inputs.refresh)));
}

namespace {

// The count itself: countRecordingFrames finishes the findings whichever
// way it ends.
RecordingFrames countFrames(const unsigned char* data, std::size_t length, std::size_t frameSize,
                            const FrameBounds& bounds, FrameFindings* findings)
{
    RecordingFrames frames{false, false, 0, 0, 0.0, false, 0, false, false};
    if (frameSize < kFrameStampBytes)
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
    FrameCutter cutter(frameSize, bounds.mostFrames, findings);
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
        bool withinBound = cutter.take(out.data(), produced, frames);
        frames.bytes += produced;
        if (!withinBound)
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

} // namespace

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
                                     const FrameBounds& bounds, FrameFindings* findings)
{
    RecordingFrames frames = countFrames(data, length, frameSize, bounds, findings);
    if (findings)
        finishFrameFindings(*findings);
    return frames;
}
