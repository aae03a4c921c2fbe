// The persisted user options: defaults, file form and the rules for changing them.
#include "common/settings.h"

#include "common/bounded_text.h"
#include "common/text_lines.h"

#include <cstring>

namespace {

// Slot order in the file.
constexpr std::int32_t Settings::*kSlotOrder[kSettingsSlots] = {
    &Settings::soundEnabled,  &Settings::sampleRateIndex, &Settings::hardwareStretch, &Settings::windowed,
    &Settings::autoFrameskip, &Settings::frameskipLevel,  &Settings::reserved,        &Settings::sortByDriver,
    &Settings::askInpName,    &Settings::useMouse,        &Settings::useJoystick,     &Settings::keepCfg,
    &Settings::showConsole,
};

std::uint32_t readLittleEndian(const unsigned char* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void writeLittleEndian(std::uint32_t value, unsigned char* bytes)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

} // namespace

void setSettingsDefaults(Settings& s)
{
    s = Settings{};
    s.reserved = 0;
    s.soundEnabled = 1;
    s.hardwareStretch = 1;
    setLowHalf(s.sampleRateIndex, 1);
    s.windowed = 0;
    s.autoFrameskip = 1;
    setLowHalf(s.frameskipLevel, 0);
    s.sortByDriver = 0;
    s.askInpName = 0;
    s.useMouse = 0;
    s.useJoystick = 0;
    s.keepCfg = 0;
    s.showConsole = 0;
}

void encodeSettings(const Settings& s, unsigned char out[kSettingsFileSize])
{
    for (std::size_t i = 0; i < kSettingsSlots; ++i)
        writeLittleEndian(static_cast<std::uint32_t>(s.*kSlotOrder[i]), out + 4 * i);
}

void overlaySettings(Settings& s, const unsigned char* bytes, std::size_t size)
{
    unsigned char image[kSettingsFileSize];
    encodeSettings(s, image);
    if (size > 0)
        std::memcpy(image, bytes, size < kSettingsFileSize ? size : kSettingsFileSize);
    for (std::size_t i = 0; i < kSettingsSlots; ++i)
        s.*kSlotOrder[i] = static_cast<std::int32_t>(readLittleEndian(image + 4 * i));
}

void toggleSwitch(std::int32_t& field)
{
    field = field == 1 ? 0 : 1;
}

std::int16_t lowHalf(std::int32_t slot)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(slot) & 0xFFFFu));
}

void setLowHalf(std::int32_t& slot, int value)
{
    std::uint32_t kept = static_cast<std::uint32_t>(slot) & 0xFFFF0000u;
    std::uint32_t low = static_cast<std::uint32_t>(value) & 0xFFFFu;
    slot = static_cast<std::int32_t>(kept | low);
}

MoreSettings readMoreSettings(const char* text, std::size_t length)
{
    MoreSettings more{false};
    const char kLine[] = "only_games_i_have=";
    const std::size_t keyLength = sizeof kLine - 1;
    for (std::size_t start = 0; start < length;) {
        const char* line = nullptr;
        std::size_t size = takeLine(text, length, start, line);
        if (size > 0 && line[size - 1] == '\r')
            --size;
        if (size == keyLength + 1 && std::memcmp(line, kLine, keyLength) == 0)
            more.onlyGamesFound = line[keyLength] == '1';
    }
    return more;
}

void writeMoreSettings(const MoreSettings& more, char* text, std::size_t size, std::size_t& length)
{
    formatText(text, size, "[hobrin]\r\nonly_games_i_have=%d\r\n", more.onlyGamesFound ? 1 : 0);
    length = std::strlen(text);
}
