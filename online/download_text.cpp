// The progress line of a recording download.
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
