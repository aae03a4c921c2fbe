// The stand-in's check of a recording, as MAME 0.251 reports one: played without a screen, with its picture.
#include "standin.h"

#include <zlib.h>

#include <cstdint>

namespace standin {
namespace {

const char kChecksFile[] = "standin-checks.txt";

// A check's run, "start" or "end" and the system's tick count, so that a
// test can see how many ran at once.
void logCheckRun(const char* what)
{
    appendLine(kChecksFile, std::string(what) + " " + std::to_string(GetTickCount()));
}

// The frames of a recording's zlib stream, whole or cut: as many whole
// frames as it inflates to.
std::size_t countFrames(const std::string& stream)
{
    z_stream z{};
    inflateInit(&z);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    z.avail_in = static_cast<uInt>(stream.size());
    std::size_t total = 0;
    unsigned char out[16384];
    int result = Z_OK;
    while (result == Z_OK) {
        z.next_out = out;
        z.avail_out = sizeof out;
        result = inflate(&z, Z_NO_FLUSH);
        total += sizeof out - z.avail_out;
        if (z.avail_out != 0 && z.avail_in == 0)
            break;
    }
    inflateEnd(&z);
    return total / kFrameBytes;
}

std::string bigEndian(std::uint32_t value)
{
    return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
                       static_cast<char>(value)};
}

std::string pngChunk(const char* type, const std::string& body)
{
    std::string typed = std::string(type, 4) + body;
    return bigEndian(static_cast<std::uint32_t>(body.size())) + typed +
           bigEndian(static_cast<std::uint32_t>(
               crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()))));
}

// A picture of the last frame, as MAME saves one: an 8-bit RGB PNG.
bool writeSnapshot(const std::string& path, std::uint32_t width, std::uint32_t height)
{
    std::string rows;
    for (std::uint32_t y = 0; y < height; ++y) {
        rows += '\0';
        for (std::uint32_t x = 0; x < width; ++x)
            rows += std::string{static_cast<char>(x * 4), static_cast<char>(y * 4), static_cast<char>(128)};
    }
    uLongf size = compressBound(static_cast<uLong>(rows.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(&packed[0]), &size, reinterpret_cast<const Bytef*>(rows.data()),
             static_cast<uLong>(rows.size()));
    packed.resize(size);
    std::string header = bigEndian(width) + bigEndian(height) + std::string("\x08\x02\0\0\0", 5);
    std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", packed) +
                      pngChunk("IEND", "");
    FILE* file = std::fopen(path.c_str(), "wb");
    bool ok = file && std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return file && std::fclose(file) == 0 && ok;
}

// Played to the recording's end, or to -seconds_to_run with a picture.
int checkRecording(const Options& options, const std::string& data)
{
    if (data.size() < 64 || data.compare(0, 8, std::string("MAMEINP\0", 8)) != 0) {
        std::fprintf(stderr, "Fatal error: Input file is corrupt or invalid (missing header)\n");
        return 3;
    }
    std::printf("Input file: %s\nINP version %d.%d\nCreated Tue Dec  8 20:31:53 2026\n\nRecorded using %.32s\n",
                options.playback.c_str(), data[16], data[17], data.c_str() + 32);
    std::size_t frames = countFrames(data.substr(64));
    std::printf("Total playback frames: %u\nAverage recorded speed: 100%%\n", static_cast<unsigned>(frames));
    if (options.secondsToRun > 0 && !options.snapshotDirectory.empty()) {
        std::string folder = options.snapshotDirectory + "\\" + options.game;
        if (!createDirectories(folder) || !writeSnapshot(folder + "\\0000.png", 64, 48))
            std::fprintf(stderr, "Warning: could not save a snapshot in %s\n", folder.c_str());
    }
    if (options.exitAfterPlayback)
        std::printf("Exiting MAME now...\n");
    return 0;
}

} // namespace

bool isCheck(const Options& options)
{
    return !options.playback.empty() && (options.exitAfterPlayback || options.secondsToRun > 0);
}

// After the game run's own lines: the check's report, then it lasts as long
// as a check of that recording would.
int runCheck(const Options& options, const Control& control)
{
    std::string data;
    if (!readFile(recordingPath(options, control, options.playback), data)) {
        std::fprintf(stderr, "Fatal error: Input file %s not found\n", options.playback.c_str());
        return 3;
    }
    if (!control.checkError.empty()) {
        std::fprintf(stderr, "Fatal error: %s\n", control.checkError.c_str());
        return 3;
    }
    logCheckRun("start");
    int result = checkRecording(options, data);
    std::fflush(stdout);
    if (result == 0 && control.runMs > 0)
        Sleep(control.runMs);
    if (result == 0 && control.frameMs > 0)
        Sleep(static_cast<DWORD>(countFrames(data.substr(64)) * control.frameMs));
    logCheckRun("end");
    return result != 0 ? result : exitStatus(control);
}

} // namespace standin
