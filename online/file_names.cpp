// Which names from outside (archive members, recording names) may become file names here.
#include "online/file_names.h"

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

// The digits that follow COM and LPT: 0-9 and the code page's superscripts.
bool isPortDigit(char c)
{
    unsigned char byte = static_cast<unsigned char>(c);
    return (c >= '0' && c <= '9') || byte == 0xB9 || byte == 0xB2 || byte == 0xB3;
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
    if (stem == 4 && isPortDigit(name[3]))
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
    char last = baseName[std::strlen(baseName) - 1];
    if (last == '.' || last == ' ')
        return false;
    return !isDeviceName(baseName);
}

bool isUsableRecordingName(const char* name)
{
    return isSafeFileName(name) && !std::strchr(name, '#') && !std::strchr(name, '%');
}
