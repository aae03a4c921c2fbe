// Feeds arbitrary bytes to what reads an emulator's own answers: its
// "-showconfig", "-help" and "-listxml NAME" texts and a recording's first
// bytes. None may read outside its input, a recognized answer must hold a
// "# CORE " heading, a version read from a banner fits its field and stands
// in the input, a device is marked so in the input, a recording's game
// must be the bytes of its form, up to a zero byte, and a recording's head,
// frames and MAME's report of its playback read without harm.
#include "emulator/emulator_answers.h"
#include "emulator/emulator_forms.h"
#include "emulator/recording_check.h"
#include "emulator/recording_frames.h"
#include "emulator/recording_game.h"
#include "tests/fuzz/shown_oracle.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // An exact-size copy, so that AddressSanitizer sees a read past the end.
    std::vector<char> text(data, data + size);
    ConfigAnswer answer = readConfigAnswer(text.data(), text.size());
    const std::string whole(text.begin(), text.end());
    if (answer.recognized)
        require(whole.compare(0, 7, "# CORE ") == 0 || whole.find("\n# CORE ") != std::string::npos);
    else
        require(!answer.hardwareStretch && !answer.soundModule);

    for (std::size_t size : {std::size_t(1), std::size_t(6), std::size_t(20)}) {
        std::vector<char> id(size);
        bool banner = readHelpBanner(text.data(), text.size(), id.data(), id.size());
        require(std::memchr(id.data(), '\0', id.size()) != nullptr);
        require(banner == (id[0] != '\0'));
        // The number as it stands in the banner, before any " BETA n".
        if (banner)
            require(whole.find(std::string(id.data(), std::strcspn(id.data(), "brc"))) != std::string::npos);
    }
    if (readMachineKind(text.data(), text.size()) == MachineKind::device)
        require(whole.find(" isdevice=\"yes\"") != std::string::npos);

    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    RecordingHeader header = readRecordingHeader(bytes, text.size());
    require(!header.present || (std::strlen(header.system) < 13 && std::strlen(header.madeBy) < 33));
    char maker[20];
    require(!makerVersion(header.madeBy, maker, sizeof maker) || maker[0] != '\0');
    RecordingFrames frames = countRecordingFrames(bytes, text.size(), 16 + size % 64);
    require(frames.frames * (16 + size % 64) <= frames.bytes);
    require(!frames.damaged || (frames.readable && !frames.complete && frames.damagedAt <= text.size()));
    // The frames' findings, fed by the bounded count, get only what it counted.
    static FrameFindings findings;
    startFrameFindings(findings, static_cast<double>(size % 200));
    RecordingFrames bounded = countRecordingFrames(bytes, text.size(), 16, FrameBounds{size % 7, nullptr}, &findings);
    require(findings.frames == bounded.frames && findings.finished);
    char frameWords[1024];
    formatFrameVerdict(findings, frameWords, sizeof frameWords);
    require(bounded.frames <= size % 7 && !(bounded.pastBound && bounded.complete));
    require(!playLengthKnown(bounded) ||
            (bounded.lastFrameSeconds >= 0 && bounded.lastFrameSeconds <= kMostPlaySeconds));
    require(secondsToRunFor(bounded.lastFrameSeconds) <= kMostPlaySeconds + 1);
    MachineInputs inputs = readMachineInputs(text.data(), text.size());
    require(inputs.known || (inputs.ports == 0 && inputs.analogs == 0));
    require(mostRecordingFrames(inputs) >= 2 * 86400ull && mostRecordingFrames(inputs) <= 2 * 86400ull * 1000);
    PlaybackReport report = readPlaybackReport(text.data(), text.size());
    char words[64], verdict[128];
    mameWords(text.data(), text.size(), words, sizeof words);
    formatVerdict(CheckOutcome{true, 0, frames, report, words, frameWords}, verdict, sizeof verdict);
    require(std::memchr(verdict, '\0', sizeof verdict) != nullptr);
    require(compareVersions(maker, maker) == 0);

    std::vector<unsigned char> head(data, data + (size < kRecordingHeadSize ? size : kRecordingHeadSize));
    char game[kRecordingGameSize];
    bool read = readRecordingGame(head.data(), head.size(), game);
    require(std::memchr(game, '\0', sizeof game) != nullptr);
    if (read) {
        bool today = head.size() >= 8 && std::memcmp(head.data(), "MAMEINP\0", 8) == 0;
        std::size_t from = today ? 20 : 0, most = today ? 12 : 8;
        std::size_t length = std::strlen(game);
        require(length <= most && std::memcmp(game, head.data() + from, length) == 0);
        require(length == most || head[from + length] == 0);
    }
    return 0;
}
