// The persisted user options: the record, its defaults and its 52-byte file form.
#pragma once

#include <cstddef>
#include <cstdint>

// Thirteen 32-bit slots in file order. sampleRateIndex and frameskipLevel use
// only their low 16 bits; the high halves carry whatever the file held.
struct Settings {
    std::int32_t soundEnabled;
    std::int32_t sampleRateIndex;
    std::int32_t hardwareStretch;
    std::int32_t windowed;
    std::int32_t autoFrameskip;
    std::int32_t frameskipLevel;
    std::int32_t reserved;
    std::int32_t sortByDriver;
    std::int32_t askInpName;
    std::int32_t useMouse;
    std::int32_t useJoystick;
    std::int32_t keepCfg;
    std::int32_t showConsole;
};

constexpr std::size_t kSettingsSlots = 13;
constexpr std::size_t kSettingsFileSize = kSettingsSlots * 4;

// Sets every field to its default, in the order the program has always used;
// the high halves of the two 16-bit slots become 0.
void setSettingsDefaults(Settings& s);

// Little-endian file form of the record.
void encodeSettings(const Settings& s, unsigned char out[kSettingsFileSize]);

// Lays `size` file bytes over the record from its first byte: a short file
// replaces only its own leading bytes, and bytes past the 52nd are ignored.
void overlaySettings(Settings& s, const unsigned char* bytes, std::size_t size);

// A check-box click: 1 becomes 0, anything else becomes 1.
void toggleSwitch(std::int32_t& field);

// The signed 16-bit value held in the low half of a slot.
std::int16_t lowHalf(std::int32_t slot);

// Stores the low 16 bits of `value` and keeps the slot's high half.
void setLowHalf(std::int32_t& slot, int value);

// Options that came after the 52-byte record: kept in a text file of their
// own beside it, so that the record's file keeps its bytes.
struct MoreSettings {
    bool onlyGamesFound; // "Only games I have"
};

// Reads "hobrin.ini"'s text; what it does not hold, or holds damaged, is off.
MoreSettings readMoreSettings(const char* text, std::size_t length);
// The file's text for `more`; `length` receives its size. Fits 128 bytes.
void writeMoreSettings(const MoreSettings& more, char* text, std::size_t size, std::size_t& length);
