// Taking an emulator command apart into its program and its arguments, as CreateProcess does.
#include "emulator/command_split.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SplitCommand, ProgramIsTheQuotedPartOrTheFirstWord)
{
    const struct {
        const char* command;
        bool split;
        const char* program;
        const char* arguments;
    } cases[] = {
        {"\"C:\\MAME\\mame.exe\"", true, "C:\\MAME\\mame.exe", ""},
        {"C:\\MAME\\mame.exe", true, "C:\\MAME\\mame.exe", ""},
        {"\"C:\\Program Files\\MAME\\mame.exe\" -kind today", true, "C:\\Program Files\\MAME\\mame.exe", "-kind today"},
        {"mame.exe -version 0.251", true, "mame.exe", "-version 0.251"},
        {" \t mame.exe\t-x  -y \t", true, "mame.exe", "-x  -y"},
        {"\"C:\\a b\\m.exe\"-x", true, "C:\\a b\\m.exe", "-x"},
        {"C:\\Program Files\\m.exe", true, "C:\\Program", "Files\\m.exe"},
        {"\"C:\\no end\\m.exe -x", true, "C:\\no end\\m.exe -x", ""},
        {"..\\mame\\mame -x", true, "..\\mame\\mame", "-x"},
        {"\"\" -x", false, "", "-x"},
        {"", false, "", ""},
        {"  \t", false, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        CommandParts parts{};
        EXPECT_EQ(splitCommand(c.command, parts), c.split);
        EXPECT_EQ(std::string(parts.program, parts.programLength), c.program);
        EXPECT_EQ(std::string(parts.arguments, parts.argumentsLength), c.arguments);
    }
}

} // namespace
