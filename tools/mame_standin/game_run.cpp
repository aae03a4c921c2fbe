// The stand-in's game run: its lines, a recording written for -record, one read for -playback, its length.
#include "standin.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>

namespace standin {
namespace {

const char kConsoleFile[] = "standin-console.txt";

// The first 8 bytes of a recording: the game's short name, zero padded or cut.
std::string recordingHeader(const std::string& game)
{
    std::string header = game.substr(0, 8);
    header.resize(8, '\0');
    return header;
}

// Today's head: the mark, the time, the format's version 3.0, the game's
// short name in bytes 20 to 31 and the emulator that made it in 32 to 63.
std::string todaysRecordingHeader(const Options& options)
{
    std::string header("MAMEINP\0", 8);
    header += std::string("\xd6\xd0\x17\x6b\0\0\0\0\x03\0\0\0", 12);
    std::string game = options.game.substr(0, 12);
    game.resize(12, '\0');
    std::string made = "MAME " + options.version + " (stand-in)";
    made.resize(32, '\0');
    return header + game + made;
}

// Today's frames, 60 a second for as long as the run lasts, one zlib
// stream. Their speed is 100% (1 << 20) but where slow_ms makes it 80%.
std::string todaysFrames(const Control& control)
{
    std::size_t count = control.runMs * 60 / 1000 + 1;
    std::string frames(count * kFrameBytes, '\0');
    for (std::size_t i = 0; i < count; ++i) {
        const long long ms = static_cast<long long>(i) * 1000 / 60;
        const bool back = control.backMs != kNone && ms >= control.backMs && i >= 60;
        const bool slow = control.slowMs != kNone && ms >= control.slowMs && ms < control.slowMs + 2000LL;
        const std::size_t shown = back ? i - 60 : i;
        std::int32_t seconds = static_cast<std::int32_t>(shown / 60);
        std::int64_t attoseconds = static_cast<std::int64_t>(shown % 60) * 16666666666666667LL;
        std::uint32_t speed = slow ? (1u << 20) * 4 / 5 + 1 : 1u << 20;
        std::memcpy(&frames[i * kFrameBytes], &seconds, 4);
        std::memcpy(&frames[i * kFrameBytes + 4], &attoseconds, 8);
        std::memcpy(&frames[i * kFrameBytes + 12], &speed, 4);
        frames[i * kFrameBytes + 16] = static_cast<char>(i);
    }
    uLongf size = compressBound(static_cast<uLong>(frames.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(&packed[0]), &size, reinterpret_cast<const Bytef*>(frames.data()),
             static_cast<uLong>(frames.size()));
    packed.resize(size);
    return packed;
}

int writeRecording(const Options& options, const Control& control, const std::string& path)
{
    // The folder holding the file, so a NAME with folders of its own works too.
    size_t lastSeparator = path.find_last_of("\\/");
    std::string directory = lastSeparator == std::string::npos ? std::string() : path.substr(0, lastSeparator);
    if (!directory.empty() && !createDirectories(directory)) {
        std::fprintf(stderr, "Couldn't create input directory %s\n", directory.c_str());
        return 2;
    }
    std::string data = control.kind == Kind::today ? todaysRecordingHeader(options) + todaysFrames(control)
                                                   : recordingHeader(options.game);
    for (int i = 0; i < 64 && control.kind != Kind::today; ++i)
        data += static_cast<char>((i * 37 + 11) & 0xFF);
    FILE* file = std::fopen(path.c_str(), "wb");
    bool ok = file && std::fwrite(data.data(), 1, data.size(), file) == data.size();
    if (file && std::fclose(file) != 0)
        ok = false;
    if (!ok) {
        std::fprintf(stderr, "Couldn't create recording file %s\n", path.c_str());
        return 2;
    }
    std::printf("Recording to %s\n", path.c_str());
    return 0;
}

int checkPlayback(const Options& options, const Control& control, const std::string& path)
{
    std::string data;
    if (!readFile(path, data)) {
        if (control.kind != Kind::of2006) {
            // Today's words; a MAME ends so when its input file is missing.
            std::printf("Ignoring MAME exception: Input file %s not found\n", options.playback.c_str());
            std::fprintf(stderr, "Fatal error: Input file %s not found\n", options.playback.c_str());
            return 3;
        }
        std::fprintf(stderr, "Couldn't open playback file %s\n", path.c_str());
        return 2;
    }
    std::string expected =
        control.kind == Kind::today ? todaysRecordingHeader(options).substr(20, 12) : recordingHeader(options.game);
    std::size_t at = control.kind == Kind::today ? 20 : 0;
    if (data.size() < at + expected.size() || data.compare(at, expected.size(), expected) != 0)
        std::fprintf(stderr, "Warning: playback file %s was not recorded for %s\n", path.c_str(), options.game.c_str());
    std::printf("Playing back %s\n", path.c_str());
    return 0;
}

} // namespace

// The recording's path: the input directory joined with the name. A MAME of
// 2006 adds ".inp", and a name may hold dots of its own ("best.run" is the
// file "best.run.inp"); later emulators take the name as given.
std::string recordingPath(const Options& options, const Control& control, const std::string& name)
{
    std::string directory = options.inputDirectory;
    std::string file = control.kind == Kind::of2006 ? name + ".inp" : name;
    if (directory.empty())
        return file;
    if (!isSeparator(directory.back()))
        directory += '\\';
    return directory + file;
}

int runGame(const Options& options, const Control& control)
{
    const char* game = options.game.c_str();
    std::printf("MAME stand-in %s\n", options.version.c_str());
    std::printf("Loading %s...\rLoaded %s.\r\n", game, game);
    std::fprintf(stderr, "Warning: stand-in has no real emulation\n");
    // Today's emulators print their messages in UTF-8, older ones in the ANSI code page.
    std::string console;
    if (readFile(kConsoleFile, console))
        writeAll(stdout, console);

    if (isCheck(options))
        return runCheck(options, control);
    if (!options.playback.empty()) {
        int result = checkPlayback(options, control, recordingPath(options, control, options.playback));
        if (result != 0)
            return result;
    }
    if (!options.record.empty()) {
        int result = writeRecording(options, control, recordingPath(options, control, options.record));
        if (result != 0)
            return result;
    }
    std::fflush(stdout);
    std::fflush(stderr);

    if (control.runMs > 0)
        Sleep(control.runMs);
    return exitStatus(control);
}

} // namespace standin
