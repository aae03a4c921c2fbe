// "Check INP...": a recording played to its end without a screen, its verdict and the picture of its last frame.
#include "tests/e2e/driver.h"

#include "resource.h"

using namespace e2e;

namespace {

class CheckTest : public HobrinTest {
protected:
    struct Checked {
        std::string verdict;
        bool picture; // the window shows one
    };

    // Checks the recording at `file` (in the working folder) and closes the window.
    Checked check(HWND window, const std::string& file, DWORD timeoutMs = kDefaultTimeoutMs)
    {
        press(window, IDC_MAIN_CHECK);
        chooseFile(processId(), "Check INP", path(file));
        HWND checkWindow = waitForWindow(processId(), "Recording check", timeoutMs);
        if (!checkWindow)
            return {"no check window", false};
        EXPECT_TRUE(waitUntil([&] { return isEnabled(checkWindow, IDC_CHECK_CLOSE); }, timeoutMs));
        Checked checked{text(checkWindow, IDC_CHECK_VERDICT),
                        SendDlgItemMessageA(checkWindow, IDC_CHECK_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0};
        press(checkWindow, IDC_CHECK_CLOSE);
        EXPECT_TRUE(waitUntilGone(checkWindow));
        return checked;
    }
};

// A MAME of today checks a recording it made: played to its end, with a
// picture kept beside it; a MAME of 2006 says it cannot, and runs nothing.
TEST_F(CheckTest, RecordingIsPlayedToItsEndWithItsPictureKept)
{
    writeFile("versions.ini", "Today\n" + standinCommand(0) + " -kind today -version 0.251\n0.251\nWin32\nOld\n" +
                                  standinCommand(0) + "\n0.106\nWin32\n");
    writeFile("standin-control.txt", "run_ms=1000\n");
    HWND window = start();
    ASSERT_NE(window, nullptr);
    setText(window, IDC_MAIN_GOTO, "pacman");
    press(window, IDC_MAIN_FIND);
    press(window, IDC_MAIN_RECORD);
    answerMessageBox(processId(), "Commandline view");
    EXPECT_EQ(waitForRunEnd(window), "");
    Checked whole = check(window, "inp\\pacman.inp");
    EXPECT_EQ(whole.verdict, "Plays to its end: 61 of 61 frames, 0:01");
    EXPECT_TRUE(whole.picture);
    EXPECT_EQ(readFile("checks\\pacman.png").substr(1, 3), "PNG");
    EXPECT_NE(emulatorCalls().back().find(" pacman -input_directory " + path("inp") +
                                          " -playback \"pacman.inp\" -video none -sound none -nothrottle "
                                          "-seconds_to_run 2 -snapshot_directory checks\\snapshot.tmp"),
              std::string::npos)
        << emulatorCalls().back();

    // Cancel ends that run, at once.
    writeFile("standin-control.txt", "run_ms=60000\n");
    press(window, IDC_MAIN_CHECK);
    chooseFile(processId(), "Check INP", path("inp\\pacman.inp"));
    HWND running = waitForWindow(processId(), "Recording check");
    ASSERT_NE(running, nullptr);
    ASSERT_TRUE(waitUntil([&] { return text(running, IDC_CHECK_STATUS).rfind("Checking...", 0) == 0; }));
    press(running, IDC_CHECK_CANCEL);
    EXPECT_TRUE(waitUntil([&] { return isEnabled(running, IDC_CHECK_CLOSE); }, 5000));
    EXPECT_EQ(text(running, IDC_CHECK_VERDICT), "Cancelled: MAME was ended before the recording's end.");
    press(running, IDC_CHECK_CLOSE);
    EXPECT_TRUE(waitUntilGone(running));

    // A listing without ports: the frames go uncounted, and MAME plays the file to its end by itself.
    writeFile("standin-control.txt", "ports=none\n");
    Checked uncounted = check(window, "inp\\pacman.inp");
    EXPECT_EQ(uncounted.verdict,
              "MAME played 61 frames; the frames of the file could not be counted, so an early stop cannot be told");
    EXPECT_FALSE(uncounted.picture);
    EXPECT_NE(emulatorCalls().back().find("-nothrottle -exit_after_playback"), std::string::npos);

    // A file larger than any recording is not read, and nothing runs.
    HANDLE huge = CreateFileA(path("inp\\huge.inp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER hugeSize{};
    hugeSize.QuadPart = 257ll * 1024 * 1024;
    ASSERT_TRUE(SetFilePointerEx(huge, hugeSize, nullptr, FILE_BEGIN) && SetEndOfFile(huge));
    CloseHandle(huge);
    std::size_t before = emulatorCalls().size();
    EXPECT_EQ(check(window, "inp\\huge.inp").verdict,
              "The file is larger than 256 MB: too large to be a recording, and not checked.");
    EXPECT_EQ(emulatorCalls().size(), before);

    // The same file, its head naming no listed version, in the selected MAME of 2006.
    std::string recording = readFile("inp\\pacman.inp");
    recording.replace(32, 10, "MAME 0.999");
    writeFile("inp\\other.inp", recording);
    selectComboItem(window, IDC_MAIN_VERSION, 1);
    std::size_t calls = emulatorCalls().size();
    Checked old = check(window, "inp\\other.inp");
    EXPECT_NE(old.verdict.find("MAME 0.106 cannot check recordings"), std::string::npos) << old.verdict;
    for (std::size_t i = calls; i < emulatorCalls().size(); ++i)
        EXPECT_EQ(emulatorCalls()[i].find("-playback"), std::string::npos) << emulatorCalls()[i];
}

// MAME 0.251 itself: a whole recording of Pong, the same cut in half, and
// a file that is no recording.
TEST_F(CheckTest, RealMameTellsWholeCutAndForeignRecordings)
{
    if (realMameCommand().empty())
        GTEST_SKIP() << "HOBRIN_E2E_MAME_REAL names no MAME: tools/test.sh installs one in the 64-bit prefix";
    writeFile("versions.ini", "MAME 0.251\n" + realMameCommand() + "\n0.251\nWin64\n");
    ASSERT_TRUE(launch());
    HWND window = waitForMainWindow(60000);
    ASSERT_NE(window, nullptr);
    setText(window, IDC_MAIN_GOTO, "pong");
    press(window, IDC_MAIN_FIND);
    setText(window, IDC_MAIN_ADDITIONAL_PARAMETERS, "-video none -seconds_to_run 4 -nothrottle");
    press(window, IDC_MAIN_RECORD);
    answerMessageBox(processId(), "Commandline view", 30000);
    EXPECT_EQ(waitForRunEnd(window, 60000), "");
    const std::string recording = readFile("inp\\pong.inp");
    ASSERT_GT(recording.size(), 64u);
    writeFile("inp\\half.inp", recording.substr(0, recording.size() / 2));
    writeFile("inp\\notes.inp", "Not a recording, but notes about one.\n");
    const struct {
        const char* file;
        const char* verdict;
        bool picture;
    } cases[] = {
        {"inp\\pong.inp", "Plays to its end: ", true},
        {"inp\\half.inp", "Cut short: the file ends inside its data; MAME played ", true},
        {"inp\\notes.inp", "Fatal error: Input file is corrupt or invalid (missing header)", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Checked checked = check(window, c.file, 60000);
        EXPECT_EQ(checked.verdict.rfind(c.verdict, 0), 0u) << checked.verdict;
        EXPECT_EQ(checked.picture, c.picture);
    }
}

} // namespace
