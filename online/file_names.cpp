// Which names from outside (archive members, recording names) may become file names here.
#include "online/file_names.h"

#include "common/shown_text.h"

#include <cstring>
#include <initializer_list>

namespace {

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(const char* text, std::size_t length, const char* word)
{
    if (std::strlen(word) != length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (asciiLower(text[i]) != asciiLower(word[i]))
            return false;
    }
    return true;
}

// The length of the digit that follows COM and LPT at `digit` (`length`
// bytes to the stem's end): 0-9, or a superscript 1-3 in code page 1252 or
// in UTF-8; 0 for any other.
std::size_t portDigitLength(const char* digit, std::size_t length)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(digit);
    if (length == 1)
        return (bytes[0] >= '0' && bytes[0] <= '9') || bytes[0] == 0xB9 || bytes[0] == 0xB2 || bytes[0] == 0xB3;
    if (length == 2 && bytes[0] == 0xC2 && (bytes[1] == 0xB9 || bytes[1] == 0xB2 || bytes[1] == 0xB3))
        return 2;
    return 0;
}

} // namespace

bool isDeviceName(const char* name)
{
    if (!name)
        return false;
    const char* dot = std::strchr(name, '.');
    std::size_t stem = dot ? static_cast<std::size_t>(dot - name) : std::strlen(name);
    // Windows drops trailing blanks and dots before it looks the name up
    // among its devices; the part before the first dot holds no dot.
    while (stem > 0 && name[stem - 1] == ' ')
        --stem;
    for (const char* word : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
        if (equalsIgnoringCase(name, stem, word))
            return true;
    }
    if (stem > 3 && portDigitLength(name + 3, stem - 3) > 0)
        return equalsIgnoringCase(name, 3, "com") || equalsIgnoringCase(name, 3, "lpt");
    return false;
}

bool isSafeFileName(const char* baseName)
{
    if (!baseName || !*baseName || std::strcmp(baseName, ".") == 0 || std::strcmp(baseName, "..") == 0)
        return false;
    for (const char* c = baseName; *c; ++c) {
        unsigned char byte = static_cast<unsigned char>(*c);
        if (byte < 0x20 || std::strchr("<>:\"/\\|?*", *c))
            return false;
    }
    const std::size_t length = std::strlen(baseName);
    char last = baseName[length - 1];
    if (last == '.' || last == ' ' || !isProgramText(baseName, length))
        return false;
    return !isDeviceName(baseName);
}

bool isUsableRecordingName(const char* name)
{
    return isSafeFileName(name) && !std::strchr(name, '#') && !std::strchr(name, '%');
}
