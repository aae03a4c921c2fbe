// Bounded copies and formats into fixed buffers.
#include "shell/bounded_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr char kGuardByte = '#';

struct Case {
    std::size_t size;
    const char* text;
    const char* expected;
    bool fits;
};

// Text of length 5 against buffers around its size.
const Case kCases[] = {
    {1, "hello", "", false},  {2, "hello", "h", false},      {5, "hello", "hell", false},
    {6, "hello", "hello", true}, {32, "hello", "hello", true}, {1, "", "", true},
};

template <typename Write>
void checkBounded(Write write)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size << " text \"" << c.text << "\"");
        char buffer[40];
        std::memset(buffer, kGuardByte, sizeof buffer);
        EXPECT_EQ(write(buffer, c.size, c.text), c.fits);
        EXPECT_STREQ(buffer, c.expected);
        for (std::size_t i = c.size; i < sizeof buffer; ++i)
            ASSERT_EQ(buffer[i], kGuardByte) << "byte " << i << " past the buffer written";
    }
}

TEST(CopyText, CutsToSizeWithTerminatorAndReportsTheCut)
{
    checkBounded([](char* target, std::size_t size, const char* text) { return copyText(target, size, text); });
}

TEST(FormatText, CutsToSizeWithTerminatorAndReportsTheCut)
{
    checkBounded([](char* target, std::size_t size, const char* text) {
        return formatText(target, size, "%s", text);
    });
}

TEST(FormatText, CutCountsTheFormattedLength)
{
    char buffer[8];
    EXPECT_TRUE(formatText(buffer, sizeof buffer, "%s-%d", "ab", 1234));
    EXPECT_STREQ(buffer, "ab-1234");
    EXPECT_FALSE(formatText(buffer, sizeof buffer, "%s-%d", "ab", 12345));
    EXPECT_STREQ(buffer, "ab-1234");
}

TEST(BoundedText, ZeroSizeWritesNothing)
{
    char byte = kGuardByte;
    EXPECT_FALSE(copyText(&byte, 0, "x"));
    EXPECT_FALSE(formatText(&byte, 0, "%s", "x"));
    EXPECT_EQ(byte, kGuardByte);
}

} // namespace
