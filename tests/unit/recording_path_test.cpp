// Splitting the open dialog's recording path into directory and file name.
#include "shell/recording_path.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr std::size_t kGuard = 16;
constexpr char kGuardByte = '#';

// A buffer of `size` usable bytes followed by guard bytes that must stay intact.
struct GuardedBuffer {
    explicit GuardedBuffer(std::size_t size) : size(size) { std::memset(bytes, kGuardByte, sizeof bytes); }
    char* data() { return bytes; }
    bool guardIntact() const
    {
        for (std::size_t i = size; i < size + kGuard; ++i) {
            if (bytes[i] != kGuardByte)
                return false;
        }
        return true;
    }
    std::size_t size;
    char bytes[600 + kGuard];
};

struct Split {
    SplitResult result;
    std::string directory, name;
};

Split split(const std::string& path, std::size_t fileOffset, std::size_t directorySize = 260,
            std::size_t nameSize = 128)
{
    GuardedBuffer directory(directorySize), name(nameSize);
    SplitResult result =
        splitRecordingPath(path.c_str(), fileOffset, directory.data(), directorySize, name.data(), nameSize);
    EXPECT_TRUE(directory.guardIntact()) << "wrote past the directory buffer";
    EXPECT_TRUE(name.guardIntact()) << "wrote past the name buffer";
    return {result, std::string(directory.data(), strnlen(directory.data(), directorySize)),
            std::string(name.data(), strnlen(name.data(), nameSize))};
}

TEST(SplitRecordingPath, SplitsDirectoryAndWholeFileName)
{
    const struct {
        const char* path;
        std::size_t fileOffset;
        const char* directory;
        const char* name;
    } cases[] = {
        {"C:\\games\\inp\\pacman.inp", 13, "C:\\games\\inp", "pacman.inp"},
        {"C:\\games\\inp\\pacman", 13, "C:\\games\\inp", "pacman"},
        {"C:\\games\\inp\\a.b.inp", 13, "C:\\games\\inp", "a.b.inp"},
        {"C:\\games\\my.dir\\pacman", 16, "C:\\games\\my.dir", "pacman"},
        {"C:\\pacman.inp", 3, "C:\\", "pacman.inp"},
        {"D:/pacman.inp", 3, "D:/", "pacman.inp"},
        {"\\\\server\\share\\pacman.inp", 15, "\\\\server\\share", "pacman.inp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        Split s = split(c.path, c.fileOffset);
        EXPECT_EQ(s.result, SplitResult::ok);
        EXPECT_EQ(s.directory, c.directory);
        EXPECT_EQ(s.name, c.name);
    }
}

TEST(SplitRecordingPath, NameMustLeaveRoomForItsTerminator)
{
    const std::string directory = "C:\\inp\\";
    Split fits = split(directory + std::string(123, 'n') + ".inp", directory.size());
    EXPECT_EQ(fits.result, SplitResult::ok);
    EXPECT_EQ(fits.name, std::string(123, 'n') + ".inp");

    Split tooLong = split(directory + std::string(124, 'n') + ".inp", directory.size());
    EXPECT_EQ(tooLong.result, SplitResult::nameTooLong);
    EXPECT_EQ(tooLong.name, "");
}

TEST(SplitRecordingPath, DirectoryTooLongLeavesItEmpty)
{
    Split s = split("C:\\games\\inp\\pacman.inp", 13, 12);
    EXPECT_EQ(s.result, SplitResult::directoryTooLong);
    EXPECT_EQ(s.directory, "");

    Split fits = split("C:\\games\\inp\\pacman.inp", 13, 13);
    EXPECT_EQ(fits.result, SplitResult::ok);
    EXPECT_EQ(fits.directory, "C:\\games\\inp");
}

} // namespace
