// The game that an input recording is for, read from its first bytes.
#include "emulator/recording_game.h"

#include <cstring>

namespace {

const char kMark[8] = {'M', 'A', 'M', 'E', 'I', 'N', 'P', '\0'};
const std::size_t kOldNameSize = 8;
const std::size_t kNameAt = 20;

} // namespace

bool readRecordingGame(const unsigned char* head, std::size_t length, char (&game)[kRecordingGameSize])
{
    std::memset(game, 0, sizeof game);
    std::size_t from = 0;
    std::size_t size = kOldNameSize;
    if (length >= sizeof kMark && std::memcmp(head, kMark, sizeof kMark) == 0) {
        from = kNameAt;
        size = kRecordingGameSize - 1;
    }
    if (length < from + size)
        return false;
    for (std::size_t i = 0; i < size && head[from + i] != 0; ++i)
        game[i] = static_cast<char>(head[from + i]);
    return true;
}
