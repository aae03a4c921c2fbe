// "Check INP...": a recording played to its end without a screen, its verdict and the picture of its last frame.
#include "tests/e2e/driver.h"

#include "resource.h"
#include "shell/speed_graph.h"
#include "tests/endless_zeros.h"

#include <algorithm>
#include <cstdio>

using namespace e2e;

namespace {

// The seconds of the "m:ss" after `lead` in `verdict`, -1 when it is not there.
int secondsAfter(const std::string& verdict, const std::string& lead)
{
    std::size_t at = verdict.find(lead);
    unsigned minutes = 0, seconds = 0;
    if (at == std::string::npos || std::sscanf(verdict.c_str() + at + lead.size(), "%u:%u", &minutes, &seconds) != 2)
        return -1;
    return static_cast<int>(minutes * 60 + seconds);
}

class CheckTest : public HobrinTest {
protected:
    // Records pacman with the stand-in as MAME 0.251, started by `command`,
    // and returns the recording.
    HWND startWithRecording(std::string& recording, const std::string& command = standinCommand(0))
    {
        writeFile("versions.ini", "Today\n" + command + " -kind today -version 0.251\n0.251\nWin32\n");
        HWND window = start();
        if (!window)
            return nullptr;
        setText(window, IDC_MAIN_GOTO, "pacman");
        press(window, IDC_MAIN_FIND);
        EXPECT_EQ(runAndWait(window, IDC_MAIN_RECORD), "");
        recording = readFile("inp\\pacman.inp");
        return window;
    }

    // Starts the program with the real MAME 0.251 as its one version.
    HWND startWithRealMame()
    {
        writeFile("versions.ini", "MAME 0.251\n" + realMameCommand() + "\n0.251\nWin64\n");
        return launch() ? waitForMainWindow(60000) : nullptr;
    }

    struct Checked {
        std::string verdict;
        bool picture;      // the window shows one
        bool scrolls;      // the verdict has a scroll bar
        std::string graph; // what the drawn speed says it draws
        // Its pixels on the screen of the line, slow play and a loaded state.
        int line, slow, state;
    };

    // Checks the recording at `file` (in the working folder) and closes the window.
    Checked check(HWND window, const std::string& file, DWORD timeoutMs = kDefaultTimeoutMs)
    {
        press(window, IDC_MAIN_CHECK);
        chooseFile(processId(), "Check INP", path(file));
        HWND checkWindow = waitForWindow(processId(), "Recording check", timeoutMs);
        if (!checkWindow)
            return {"no check window", false, false, "", 0, 0, 0};
        EXPECT_TRUE(waitUntil([&] { return isEnabled(checkWindow, IDC_CHECK_CLOSE); }, timeoutMs));
        HWND graph = GetDlgItem(checkWindow, IDC_CHECK_GRAPH);
        // Drawn once the window has answered.
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(checkWindow, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
        UpdateWindow(graph);
        Checked checked{text(checkWindow, IDC_CHECK_VERDICT),
                        SendDlgItemMessageA(checkWindow, IDC_CHECK_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0,
                        (GetWindowLongA(GetDlgItem(checkWindow, IDC_CHECK_VERDICT), GWL_STYLE) & WS_VSCROLL) != 0,
                        text(checkWindow, IDC_CHECK_GRAPH),
                        pixelsOfColour(graph, kSpeedLineColour),
                        pixelsOfColour(graph, kSlowPlayColour),
                        pixelsOfColour(graph, kLoadedStateColour)};
        savePictureToLookAt(checkWindow, "check " + file.substr(file.rfind('\\') + 1));
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
    EXPECT_EQ(runAndWait(window, IDC_MAIN_RECORD), "");
    Checked whole = check(window, "inp\\pacman.inp");
    EXPECT_EQ(whole.verdict,
              "Plays to its end: 61 of 61 frames, 0:01. No pause, no slow play, no loaded state; speed "
              "not known: the recording is too short.");
    EXPECT_TRUE(whole.picture);
    EXPECT_EQ(readFile("checks\\pacman.png").substr(1, 3), "PNG");
    EXPECT_EQ(whole.graph, "Speed over 0:01: no pause, no slow stretch, no loaded state");
    EXPECT_GT(whole.line, 0) << "the speed is drawn";
    // The folder, named in another script with a blank, is quoted.
    EXPECT_NE(emulatorCalls().back().find(" pacman -input_directory \"" + path("inp") +
                                          "\" -playback \"pacman.inp\" -video none -sound none -nothrottle "
                                          "-seconds_to_run 2 -snapshot_directory checks\\snapshot.tmp "
                                          "-nvram_directory NUL -cfg_directory NUL -noplugins -nocheat"),
              std::string::npos)
        << emulatorCalls().back();

    // Frames at 80% for 2 s, and frames whose time runs back a second as
    // after a loaded state: the verdict says what and where, and the drawn
    // speed shows it.
    const std::string recorded = readFile("inp\\pacman.inp");
    const struct {
        const char *control, *file;
        std::string start, end; // the verdict's, around the speed's dash
        const char* graph;
        bool slow, state; // drawn
    } played[] = {
        {"run_ms=5000\nslow_ms=2500\n", "inp\\slow.inp",
         "Plays to its end: 301 of 301 frames, 0:05. Played slow at 0:02 for 2 s (80%). No pause, no loaded state; "
         "speed 80",
         "100%, average 92%, 2 s below 90%.", "Speed over 0:05: no pause, 1 slow stretch, no loaded state", true,
         false},
        {"run_ms=4000\nback_ms=3000\n", "inp\\state.inp",
         "Plays to its end: 241 of 241 frames, 0:03. A saved state was loaded at 0:02: the time runs back 1.0 s "
         "there. No pause, no slow play; speed 100%.",
         "", "Speed over 0:04: no pause, no slow stretch, 1 loaded state", false, true},
    };
    for (const auto& p : played) {
        SCOPED_TRACE(p.file);
        deleteFile("inp\\pacman.inp");
        writeFile("standin-control.txt", p.control);
        EXPECT_EQ(runAndWait(window, IDC_MAIN_RECORD, 30000), "");
        writeFile(p.file, readFile("inp\\pacman.inp"));
        writeFile("standin-control.txt", "run_ms=0\n");
        const Checked checked = check(window, p.file);
        const std::string& verdict = checked.verdict;
        EXPECT_EQ(verdict.substr(0, p.start.size()), p.start) << verdict;
        EXPECT_EQ(verdict.substr(verdict.size() - std::min(verdict.size(), p.end.size())), p.end) << verdict;
        EXPECT_EQ(checked.graph, p.graph);
        EXPECT_GT(checked.line, 0);
        EXPECT_EQ(checked.slow > 0, p.slow) << checked.slow;
        EXPECT_EQ(checked.state > 0, p.state) << checked.state;
    }
    writeFile("inp\\pacman.inp", recorded);

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
    EXPECT_EQ(uncounted.graph, kNoSpeedDrawn);
    EXPECT_EQ(uncounted.line, 0);
    EXPECT_NE(emulatorCalls().back().find("-nothrottle -exit_after_playback"), std::string::npos);
    // A head of format 2 (MAME 0.125 to 0.128), whose frames lie otherwise:
    // none of its bytes is read as a time or a speed.
    writeFile("standin-control.txt", "run_ms=0\n");
    std::string format2 = readFile("inp\\pacman.inp");
    format2[0x10] = 2;
    writeFile("inp\\format2.inp", format2);
    Checked older = check(window, "inp\\format2.inp");
    EXPECT_EQ(older.verdict, uncounted.verdict);
    EXPECT_EQ(older.graph, kNoSpeedDrawn);

    // MAME's longest words show whole, with a scroll bar; a short verdict has none.
    EXPECT_FALSE(uncounted.scrolls);
    std::string words;
    for (int i = 0; i < 15; ++i)
        words += "the machine could not be run from this recording; ";
    words.pop_back();
    writeFile("standin-control.txt", "check_error=" + words + "\n");
    Checked wordy = check(window, "inp\\pacman.inp");
    EXPECT_EQ(wordy.verdict,
              "Fatal error: " + words +
                  " No pause, no slow play, no loaded state; speed not known: the recording is too short.");
    EXPECT_TRUE(wordy.scrolls);

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

// A recording is anyone's upload. What its head names as its system runs
// nothing unless it is a system's name; data that inflates to gigabytes
// is refused without MAME, and its window shows and closes at once.
TEST_F(CheckTest, HostileRecordingsRunNothing)
{
    std::string recording;
    HWND window = startWithRecording(recording);
    ASSERT_NE(window, nullptr);
    ASSERT_GT(recording.size(), 64u);
    auto naming = [&](const std::string& system) {
        return recording.substr(0, 0x14) + system + std::string(12 - system.size(), '\0') + recording.substr(0x20);
    };
    writeFile("inp\\switch.inp", naming("-cc"));
    writeFile("inp\\two.inp", naming("pong -debug"));
    writeFile("inp\\quote.inp", naming("pong\""));
    writeFile("inp\\endless.inp", recording.substr(0, 64) + endlessZeros(2580ull * 1024 * 1024));
    const struct {
        const char* file;
        std::string verdict;
        std::size_t questions; // runs of the emulator: none but "-help" and "-listxml"
    } cases[] = {
        {"inp\\switch.inp", "The recording names its system \"-cc\", which is no MAME system name; it was not checked.",
         0},
        {"inp\\two.inp",
         "The recording names its system \"pong -debug\", which is no MAME system name; it was not checked.", 0},
        {"inp\\quote.inp",
         "The recording names its system \"pong\"\", which is no MAME system name; it was not checked.", 0},
        {"inp\\endless.inp",
         "The recording's data runs past 24 hours of frames: it is not a recording that MAME made, and was not "
         "checked.",
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::size_t calls = emulatorCalls().size();
        EXPECT_EQ(check(window, c.file).verdict, c.verdict);
        ASSERT_EQ(emulatorCalls().size(), calls + c.questions);
        if (c.questions > 0) {
            EXPECT_NE(emulatorCalls().back().find(" -listxml pacman"), std::string::npos) << emulatorCalls().back();
            EXPECT_EQ(emulatorCalls()[calls].find(" -help"), emulatorCalls()[calls].size() - 6);
        }
    }
    EXPECT_FALSE(fileExists("mame.ini"));

    // The window shows at once, the main window answers while the data is
    // read, and closing the window ends the work at once.
    press(window, IDC_MAIN_CHECK);
    chooseFile(processId(), "Check INP", path("inp\\endless.inp"));
    HWND checkWindow = waitForWindow(processId(), "Recording check", 5000);
    ASSERT_NE(checkWindow, nullptr);
    DWORD_PTR answered = 0;
    EXPECT_NE(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answered), 0);
    PostMessageA(checkWindow, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitUntilGone(checkWindow, 5000));
}

// Ended the hard way (by the Task Manager, by a crash), the program leaves
// no emulator running: not a check's, not a game's; and Cancel ends a
// check's MAME behind a launcher, not only the launcher.
TEST_F(CheckTest, NoEmulatorOutlivesTheProgram)
{
    const struct {
        const char* label;
        bool game, launcher;
    } cases[] = {{"a check", false, false}, {"a game", true, false}, {"a check behind a launcher", false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::string recording;
        HWND window = startWithRecording(recording, standinCommand(0) + (c.launcher ? " -launcher" : ""));
        ASSERT_NE(window, nullptr);
        writeFile("standin-control.txt", "run_ms=600000\n");
        const std::vector<DWORD> before = processesNamed("mame-standin.exe");
        const std::size_t calls = emulatorCalls().size();
        HWND running = nullptr;
        if (c.game) {
            press(window, IDC_MAIN_PLAY);
            answerMessageBox(processId(), "Commandline view");
        } else {
            press(window, IDC_MAIN_CHECK);
            chooseFile(processId(), "Check INP", path("inp\\pacman.inp"));
            running = waitForWindow(processId(), "Recording check");
            ASSERT_NE(running, nullptr);
            ASSERT_TRUE(waitUntil([&] { return text(running, IDC_CHECK_STATUS).rfind("Checking...", 0) == 0; }));
        }
        // Running, not only made: a process is listed while it is made
        // suspended, before it joins the job; its own first line is written
        // once it runs.
        ASSERT_TRUE(waitUntil([&] {
            const std::vector<std::string> lines = emulatorCalls();
            for (std::size_t i = calls; i < lines.size(); ++i) {
                if (lines[i].find(c.game ? "pacman -" : "-playback") != std::string::npos)
                    return true;
            }
            return false;
        }));
        ASSERT_GT(processesNamed("mame-standin.exe").size(), before.size());
        if (c.launcher) {
            press(running, IDC_CHECK_CANCEL);
            EXPECT_TRUE(waitUntil([&] { return isEnabled(running, IDC_CHECK_CLOSE); }, 5000));
            EXPECT_EQ(text(running, IDC_CHECK_VERDICT), "Cancelled: MAME was ended before the recording's end.");
        } else {
            HANDLE program = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId());
            ASSERT_NE(program, nullptr);
            TerminateProcess(program, 9);
            EXPECT_EQ(WaitForSingleObject(program, 5000), WAIT_OBJECT_0);
            CloseHandle(program);
        }
        EXPECT_TRUE(waitUntil([&] { return processesNamed("mame-standin.exe") == before; }, 10000))
            << processesNamed("mame-standin.exe").size() << " stand-ins run on";
        deleteFile("standin-control.txt");
    }
}

// MAME 0.251 itself: a whole recording of Pong, the same cut in half, and
// a file that is no recording.
TEST_F(CheckTest, RealMameTellsWholeCutAndForeignRecordings)
{
    if (realMameCommand().empty())
        GTEST_SKIP() << "HOBRIN_E2E_MAME_REAL names no MAME: tools/test.sh installs one in the 64-bit prefix";
    HWND window = startWithRealMame();
    ASSERT_NE(window, nullptr);
    setText(window, IDC_MAIN_GOTO, "pong");
    press(window, IDC_MAIN_FIND);
    setText(window, IDC_MAIN_ADDITIONAL_PARAMETERS, "-video none -seconds_to_run 4 -nothrottle");
    EXPECT_EQ(runAndWait(window, IDC_MAIN_RECORD, 60000), "");
    const std::string recording = readFile("inp\\pong.inp");
    ASSERT_GT(recording.size(), 64u);
    writeFile("inp\\half.inp", recording.substr(0, recording.size() / 2));
    std::string damaged = recording;
    damaged[64 + (recording.size() - 64) / 3] ^= 0x55;
    writeFile("inp\\damaged.inp", damaged);
    writeFile("inp\\notes.inp", "Not a recording, but notes about one.\n");
    const struct {
        const char* file;
        const char* verdict;
        bool picture;
    } cases[] = {
        {"inp\\pong.inp", "Plays to its end: ", true},
        {"inp\\half.inp", "Cut short: the file ends inside its data; MAME played ", true},
        {"inp\\notes.inp", "Fatal error: Input file is corrupt or invalid (missing header)", false},
        {"inp\\damaged.inp", "The file's data is damaged ", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Checked checked = check(window, c.file, 60000);
        EXPECT_EQ(checked.verdict.rfind(c.verdict, 0), 0u) << checked.verdict;
        EXPECT_EQ(checked.picture, c.picture);
    }
}

// Pong recorded by MAME 0.251 itself (tests/recordings): paused with its P
// key after 8 s, played at -speed 0.8, and played clean with 3.3 s of its
// frames repeated at 10.8 s. Each finding is where it happened, to a
// second.
TEST_F(CheckTest, RealMameRecordingsShowWherePausedSlowAndLoaded)
{
    if (realMameCommand().empty())
        GTEST_SKIP() << "HOBRIN_E2E_MAME_REAL names no MAME: tools/test.sh installs one in the 64-bit prefix";
    HWND window = startWithRealMame();
    ASSERT_NE(window, nullptr);
    const struct {
        const char* file;
        const char* lead; // the finding's words before its place
        int at;           // its place, in seconds of play
        const char* graph;
        const char* also; // more of the verdict
    } cases[] = {
        {"pong-pause.inp", "Paused at ", 7, ": 1 pause, no slow stretch, no loaded state", ""},
        // Slow throughout: 18 of its 20 s, the first 2 s being MAME's own start.
        {"pong-speed80.inp", "Played slow at ", 1, ": no pause, 1 slow stretch, no loaded state", " for 18 s ("},
        {"pong-repeated.inp", "A saved state was loaded at ", 10, ": no pause, no slow stretch, 1 loaded state", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        writeFile(c.file, testFile(std::string("recordings\\") + c.file));
        Checked checked = check(window, c.file, 60000);
        const int at = secondsAfter(checked.verdict, c.lead);
        EXPECT_GE(at, c.at - 1) << checked.verdict;
        EXPECT_LE(at, c.at + 1) << checked.verdict;
        const std::string graph(c.graph);
        EXPECT_EQ(checked.graph.substr(checked.graph.size() - std::min(checked.graph.size(), graph.size())), graph)
            << checked.graph;
        EXPECT_NE(checked.verdict.find(c.also), std::string::npos) << checked.verdict;
    }
}

} // namespace
