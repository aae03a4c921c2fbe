// The texts of the requests to the service and of a download's progress line.
#pragma once

#include <cstddef>
#include <cstdint>

// How many 1 kB blocks the progress line counts after `received` bytes: the
// blocks begun so far while data arrives, and one more than the whole blocks
// once the final read of nothing has come (so 2048 bytes end at 3, 1500 at 2,
// 0 at 1, as the line has always counted).
std::uint32_t progressBlocks(std::uint64_t received, bool finished);

// "Recieved: %i kB / %i kB" with the total from the announced length (its
// whole kilobytes plus one), or without a total when none was announced.
void formatProgress(char* text, std::size_t size, std::uint32_t blocks, bool lengthKnown, std::uint32_t length);

// Writes `text` as one part of an address: letters, digits and "-._~" as they
// are, every other byte as %XX (a blank as %20). Returns false, with an empty
// result, when it does not fit in `size` bytes.
bool encodeAddressPart(char* target, std::size_t size, const char* text);

// The address of a game's high scores: `base`, the short name and, when
// `split` is not empty, "-" and the split, each part percent-encoded, so
// that no "&", "#", "%" or "+" typed or listed reshapes the request.
// False, with an empty result, when it does not fit in `size` bytes.
bool composeHighScoresAddress(char* target, std::size_t size, const char* base, const char* shortName,
                              const char* split);
