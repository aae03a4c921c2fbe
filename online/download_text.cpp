// The texts of the requests to the service and of a download's progress line.
#include "online/download_text.h"

#include "common/bounded_text.h"

std::uint32_t progressBlocks(std::uint64_t received, bool finished)
{
    std::uint64_t blocks = finished ? received / 1024 + 1 : (received + 1023) / 1024;
    return blocks > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(blocks);
}

void formatProgress(char* text, std::size_t size, std::uint32_t blocks, bool lengthKnown, std::uint32_t length)
{
    if (lengthKnown)
        formatText(text, size, "Recieved: %u kB / %u kB", static_cast<unsigned>(blocks),
                   static_cast<unsigned>(length / 1024 + 1));
    else
        formatText(text, size, "Recieved: %u kB", static_cast<unsigned>(blocks));
}

bool encodeAddressPart(char* target, std::size_t size, const char* text)
{
    static const char hex[] = "0123456789ABCDEF";
    if (size == 0)
        return false;
    std::size_t length = 0;
    for (const char* c = text; *c; ++c) {
        unsigned char byte = static_cast<unsigned char>(*c);
        bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
                     byte == '-' || byte == '.' || byte == '_' || byte == '~';
        std::size_t needed = plain ? 1 : 3;
        if (size - length <= needed) {
            target[0] = '\0';
            return false;
        }
        if (plain) {
            target[length++] = *c;
        } else {
            target[length++] = '%';
            target[length++] = hex[byte >> 4];
            target[length++] = hex[byte & 0x0F];
        }
    }
    target[length] = '\0';
    return true;
}

bool composeHighScoresAddress(char* target, std::size_t size, const char* base, const char* shortName,
                              const char* split)
{
    // Each byte takes at most three in the address.
    char encoded[3 * 64 + 1];
    TextBuilder address = startText(target, size);
    appendText(address, base);
    bool whole = encodeAddressPart(encoded, sizeof encoded, shortName);
    appendText(address, encoded);
    if (split[0] != '\0') {
        whole = whole && encodeAddressPart(encoded, sizeof encoded, split);
        appendText(address, "-");
        appendText(address, encoded);
    }
    if (whole && !address.overflowed)
        return true;
    if (size > 0)
        target[0] = '\0';
    return false;
}
