// Bounded copies and formats into fixed buffers.
#include "common/bounded_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

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
    {1, "hello", "", false},     {2, "hello", "h", false},     {5, "hello", "hell", false},
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
    checkBounded([](char* target, std::size_t size, const char* text) { return formatText(target, size, "%s", text); });
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

// A builder over `size` bytes of a guarded buffer; the guard must survive.
struct Built {
    explicit Built(std::size_t size)
        : builder(startText(static_cast<char*>(std::memset(bytes, kGuardByte, sizeof bytes)), size))
    {
    }
    ~Built()
    {
        for (std::size_t i = builder.size; i < sizeof bytes; ++i)
            EXPECT_EQ(bytes[i], kGuardByte) << "byte " << i << " past the buffer written";
    }
    char bytes[24];
    TextBuilder builder;
};

TEST(TextBuilder, ZeroSizeIsOverflowedAndWritesNothing)
{
    Built b(0);
    EXPECT_TRUE(b.builder.overflowed);
    appendText(b.builder, "");
    appendFormat(b.builder, "%s", "");
    EXPECT_EQ(b.bytes[0], kGuardByte);
}

// Both appends must behave alike: fill to size - 1, then refuse a piece
// whole, keep what fitted before it and ignore every later piece.
template <typename Append>
void checkAppend(Append append)
{
    const struct {
        const char* label;
        std::vector<const char*> pieces;
        const char* text;
        bool overflowed;
    } cases[] = {
        {"pieces join", {"ab", "", "cd"}, "abcd", false},
        {"exact fit", {"abc", "defg"}, "abcdefg", false},
        {"one too many", {"abc", "defgh"}, "abc", true},
        {"full then empty piece", {"abcdefg", ""}, "abcdefg", false},
        {"full then one more", {"abcdefg", "h"}, "abcdefg", true},
        {"later pieces ignored", {"abc", "defgh", "d"}, "abc", true},
        {"first piece too long", {"abcdefghij", "a"}, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Built b(8);
        for (const char* piece : c.pieces)
            append(b.builder, piece);
        EXPECT_STREQ(b.bytes, c.text);
        EXPECT_EQ(b.builder.length, std::strlen(c.text));
        EXPECT_EQ(b.builder.overflowed, c.overflowed);
    }
}

TEST(TextBuilder, AppendTextRefusesAPieceThatDoesNotFit)
{
    checkAppend([](TextBuilder& builder, const char* piece) { appendText(builder, piece); });
}

TEST(TextBuilder, AppendFormatRefusesAPieceThatDoesNotFit)
{
    checkAppend([](TextBuilder& builder, const char* piece) { appendFormat(builder, "%s", piece); });
}

TEST(TextBuilder, AppendFormatCountsTheFormattedLength)
{
    Built b(8);
    appendFormat(b.builder, "%d-", 12);
    appendFormat(b.builder, "%d", 345);
    EXPECT_STREQ(b.bytes, "12-345");
    appendFormat(b.builder, "%d", 67);
    EXPECT_TRUE(b.builder.overflowed);
    EXPECT_STREQ(b.bytes, "12-345");
}

} // namespace
