// A zlib stream that inflates to as many zeros as asked and goes on: data
// that no recording holds, for the tests and the bench of a check's bound.
#pragma once

#include <string>

// One zero, then matches of 258 bytes a byte back, 13 bits each, in a
// block of fixed codes that has no end: `bytes` zeros (a multiple of 258)
// from a stream of about bytes / 159.
inline std::string endlessZeros(unsigned long long bytes)
{
    std::string stream("\x78\x01", 2);
    unsigned long bits = 0;
    int count = 0;
    // A code goes most significant bit first.
    auto code = [&](unsigned long value, int width) {
        for (int i = width - 1; i >= 0; --i) {
            bits |= ((value >> i) & 1) << count;
            if (++count == 8) {
                stream += static_cast<char>(bits);
                bits = 0;
                count = 0;
            }
        }
    };
    code(0b010, 3);      // not the last block; fixed codes (the type's two bits go reversed)
    code(0b00110000, 8); // the literal zero
    for (unsigned long long i = 0; i < bytes / 258; ++i) {
        code(0b11000101, 8); // length 258
        code(0, 5);          // distance 1
    }
    return stream;
}
