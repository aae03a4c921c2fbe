// Every window at 96, 144 and 192 DPI: each label's text fits its control, and no two controls overlap.
#include "tests/e2e/driver.h"

#include "resource.h"
#include "shell/speed_graph.h"

#include <sstream>

using namespace e2e;

namespace {

const char kDesktopKey[] = "Control Panel\\Desktop";

// A text label's kind, from its class and style; `none` for controls whose
// text is typed or listed rather than laid out.
enum class Label { none, staticText, pushButton, checkBox };

Label labelOf(HWND control)
{
    char name[32] = "";
    GetClassNameA(control, name, sizeof name);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    if (lstrcmpiA(name, "Static") == 0) {
        LONG type = style & SS_TYPEMASK;
        return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE ||
                       type == SS_LEFTNOWORDWRAP
                   ? Label::staticText
                   : Label::none;
    }
    if (lstrcmpiA(name, "Button") != 0)
        return Label::none;
    switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON: return Label::pushButton;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return Label::checkBox;
    default: return Label::none;
    }
}

std::string windowText(HWND control)
{
    char text[1024] = "";
    SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string controlName(HWND control)
{
    std::ostringstream name;
    name << "control " << GetDlgCtrlID(control) << " \"" << windowText(control) << "\"";
    return name.str();
}

RECT rectIn(HWND dialog, HWND control)
{
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// What is wrong with `dialog` at `dpi`: a label whose text does not fit its
// control (in the dialog's font, "MS Shell Dlg 2" 8, or the score's bold
// one), two controls that overlap (an up-down on its buddy's edge does not
// count), a control outside the window.
std::vector<std::string> layoutFaults(HWND dialog, int dpi)
{
    std::vector<HWND> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child))
            controls.push_back(child);
    }
    HDC context = CreateCompatibleDC(nullptr);
    HFONT dialogFont = CreateFontA(-MulDiv(8, dpi, 72), 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                                   0, PROOF_QUALITY, FF_DONTCARE, "MS Shell Dlg 2");
    HFONT scoreFont =
        CreateFontA(-MulDiv(8, dpi, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, nullptr);
    std::vector<std::string> faults;
    RECT window;
    GetClientRect(dialog, &window);
    for (HWND control : controls) {
        RECT rect = rectIn(dialog, control), inside;
        if (!IntersectRect(&inside, &rect, &window) || !EqualRect(&inside, &rect))
            faults.push_back(controlName(control) + " reaches outside the window");
        Label label = labelOf(control);
        std::string text = windowText(control);
        if (label == Label::none || text.empty())
            continue;
        SelectObject(context, GetDlgCtrlID(control) == IDC_SCORE_VALUE ? scoreFont : dialogFont);
        RECT client;
        GetClientRect(control, &client);
        LONG style = GetWindowLongA(control, GWL_STYLE);
        UINT format = DT_CALCRECT | DT_EXPANDTABS;
        int room = client.right;
        if (label == Label::staticText) {
            LONG type = style & SS_TYPEMASK;
            format |= type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP ? DT_SINGLELINE : DT_WORDBREAK;
            format |= (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
        } else {
            format |= DT_SINGLELINE;
            // A push button's face keeps a margin; a check box's text follows its box.
            room -= label == Label::pushButton ? MulDiv(8, dpi, 96) : MulDiv(17, dpi, 96);
        }
        RECT needed{0, 0, room, 0};
        DrawTextA(context, text.c_str(), -1, &needed, format);
        if (needed.right > room || needed.bottom > client.bottom) {
            std::ostringstream fault;
            fault << controlName(control) << ": its text takes " << needed.right << "x" << needed.bottom
                  << " px, the control has " << room << "x" << client.bottom;
            faults.push_back(fault.str());
        }
    }
    // The drawn speed holds its key, a plot of three lines' height and its
    // time axis, in the dialog's font.
    SelectObject(context, dialogFont);
    TEXTMETRICA metrics{};
    GetTextMetricsA(context, &metrics);
    for (HWND control : controls) {
        char name[32] = "";
        GetClassNameA(control, name, sizeof name);
        RECT client;
        GetClientRect(control, &client);
        if (lstrcmpiA(name, "HobrinSpeedGraph") == 0 &&
            (client.bottom < 5 * metrics.tmHeight || client.right < 30 * metrics.tmAveCharWidth)) {
            std::ostringstream fault;
            fault << controlName(control) << ": the drawn speed has " << client.right << "x" << client.bottom
                  << " px, it needs " << 30 * metrics.tmAveCharWidth << "x" << 5 * metrics.tmHeight;
            faults.push_back(fault.str());
        }
    }
    DeleteDC(context);
    DeleteObject(dialogFont);
    DeleteObject(scoreFont);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            RECT a = rectIn(dialog, controls[i]), b = rectIn(dialog, controls[j]), both;
            HWND buddy[2] = {reinterpret_cast<HWND>(SendMessageA(controls[i], UDM_GETBUDDY, 0, 0)),
                             reinterpret_cast<HWND>(SendMessageA(controls[j], UDM_GETBUDDY, 0, 0))};
            if (IntersectRect(&both, &a, &b) && buddy[0] != controls[j] && buddy[1] != controls[i])
                faults.push_back(controlName(controls[i]) + " overlaps " + controlName(controls[j]));
        }
    }
    return faults;
}

class LayoutTest : public HobrinTest, public ::testing::WithParamInterface<int> {
protected:
    // Wine takes a program's DPI from this value when the program starts.
    void SetUp() override
    {
        HobrinTest::SetUp();
        RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &desktop_,
                        nullptr);
        DWORD size = sizeof before_;
        hadValue_ = RegQueryValueExA(desktop_, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&before_),
                                     &size) == ERROR_SUCCESS;
        DWORD dpi = static_cast<DWORD>(GetParam());
        RegSetValueExA(desktop_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }

    void TearDown() override
    {
        HobrinTest::TearDown();
        if (hadValue_)
            RegSetValueExA(desktop_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&before_),
                           sizeof before_);
        else
            RegDeleteValueA(desktop_, "LogPixels");
        RegCloseKey(desktop_);
    }

    void expectLaidOut(HWND dialog, const char* what)
    {
        ASSERT_NE(dialog, nullptr) << what;
        for (const std::string& fault : layoutFaults(dialog, GetParam()))
            ADD_FAILURE() << what << " at " << GetParam() << " DPI: " << fault;
    }

    HKEY desktop_ = nullptr;
    DWORD before_ = 0;
    bool hadValue_ = false;
};

TEST_P(LayoutTest, EveryLabelFitsAndNoControlsOverlap)
{
    resetYorlData();
    deleteFile("versions.ini");
    HWND window = start();
    expectLaidOut(window, "the main window at a first start");

    press(window, IDC_MAIN_ADD_VERSION);
    chooseFile(processId(), "Choose MAME's program", moduleDirectory() + "\\mame-standin.exe");
    HWND dialog = waitForWindow(processId(), "Add MAME version");
    expectLaidOut(dialog, "Add MAME version");
    press(dialog, IDC_ADD_OK);
    ASSERT_TRUE(waitUntil([&] { return listLines(window, IDC_MAIN_GAME_LIST).size() == 25; }));
    ASSERT_TRUE(waitUntilShown(window));
    expectLaidOut(window, "the main window with a version");

    // Only the games found, then the count label's longest text.
    writeFile("standin-control.txt", "found=pacman galaga\n");
    press(window, IDC_MAIN_ONLY_FOUND);
    ASSERT_TRUE(waitUntil([&] { return text(window, IDC_MAIN_TOTAL) == "Games found: 2 of 25"; }));
    expectLaidOut(window, "the main window with only the games found");
    setText(window, IDC_MAIN_TOTAL, "All 45294 games: MAME's audit of ROMs did not end");
    expectLaidOut(window, "the count label after an audit that did not end");
    press(window, IDC_MAIN_ONLY_FOUND);
    ASSERT_TRUE(waitUntil([&] { return listLines(window, IDC_MAIN_GAME_LIST).size() == 25; }));
    deleteFile("standin-control.txt");

    writeFile("x.inp", "Not a recording.");
    press(window, IDC_MAIN_CHECK);
    chooseFile(processId(), "Check INP", path("x.inp"));
    HWND check = waitForWindow(processId(), "Recording check");
    ASSERT_TRUE(waitUntil([&] { return isEnabled(check, IDC_CHECK_CLOSE); }));
    expectLaidOut(check, "Recording check");
    press(check, IDC_CHECK_CLOSE);
    EXPECT_TRUE(waitUntilGone(check));

    press(window, IDC_MAIN_ABOUT);
    HWND about = waitForWindow(processId(), "About Hobrin...");
    expectLaidOut(about, "About");
    press(about, IDC_ABOUT_OK);
    EXPECT_TRUE(waitUntilGone(about));

    writeFile("standin-control.txt", "listing_ms=3000\n");
    press(window, IDC_MAIN_REFRESH);
    HWND splash = nullptr;
    waitUntil([&] {
        return (splash = findDialogByControlText(processId(), IDC_SPLASH_TEXT,
                                                 "Loading MAME game list - please wait...")) != nullptr;
    });
    expectLaidOut(splash, "the splash window");
    ASSERT_TRUE(waitUntilShown(window, 30000));
    deleteFile("standin-control.txt");

    setText(window, IDC_MAIN_GOTO, "pacman");
    press(window, IDC_MAIN_FIND);
    press(window, IDC_MAIN_SHOW_CONSOLE);
    press(window, IDC_MAIN_PLAY);
    answerMessageBox(processId(), "Commandline view");
    HWND console = waitForWindow(processId(), "Console output");
    expectLaidOut(console, "Console output");
    press(console, IDC_CONSOLE_CLOSE);
    ASSERT_TRUE(waitUntilShown(window));

    writeYorlFile("scores\\pacman.txt",
                  "header\n('12345670','1','a1','0.106','1100000000','slow','t','Ann',"
                  "\"Pac-Man (Midway)\",'1','12.5','Run')<P>\n");
    serveRecording("big.zip", "slow");
    writeYorlFile("inp\\slow.mode", "pieces=1024,300");
    press(window, IDC_MAIN_HIGH_SCORES);
    ASSERT_TRUE(waitUntil([&] { return listLines(window, IDC_MAIN_SCORE_LIST).size() == 1; }));
    selectListItem(window, IDC_MAIN_SCORE_LIST, 0);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_MAIN_SCORE_LIST, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_MAIN_SCORE_LIST)));
    HWND properties = waitForWindow(processId(), "Score Properties");
    expectLaidOut(properties, "Score Properties");
    press(properties, IDC_SCORE_DOWNLOAD);
    chooseFile(processId(), "Save downloaded recording as...", path("slow.zip"));
    HWND download = nullptr;
    waitUntil([&] { return (download = findDialogByControlText(processId(), IDC_DOWNLOAD_DONE, "Done")) != nullptr; });
    ASSERT_TRUE(waitUntil([&] { return text(download, IDC_DOWNLOAD_PROGRESS).find("Recieved: ") == 0; }));
    expectLaidOut(download, "the download window");
    press(download, IDC_DOWNLOAD_CANCEL);
    EXPECT_TRUE(waitUntilGone(download));
    press(properties, IDC_SCORE_OK);
    EXPECT_TRUE(waitUntilGone(properties));

    press(window, IDC_MAIN_CHECK_ALL);
    HWND table = waitForWindow(processId(), "Recording checks");
    ASSERT_NE(table, nullptr);
    press(table, IDC_TABLE_CANCEL);
    ASSERT_TRUE(waitUntil([&] { return isEnabled(table, IDC_TABLE_CLOSE); }, 30000));
    expectLaidOut(table, "Recording checks");
    press(table, IDC_TABLE_CLOSE);
    EXPECT_TRUE(waitUntilGone(table));
}

// The drawn speed of a recording with slow play and a loaded state, in
// both check windows: laid out, and its line and findings on the screen.
TEST_P(LayoutTest, SpeedIsDrawnInBothCheckWindows)
{
    writeFile("versions.ini", "Today\n" + standinCommand(0) + " -kind today -version 0.251\n0.251\nWin32\n");
    writeFile("findings.inp", testFile("recordings\\pacman-findings.inp"));
    resetYorlData();
    writeYorlFile("scores\\pacman.txt",
                  "header\n('3000','1','a1','0.251','1100000000','findings','t','Ann',"
                  "\"Pac-Man (Midway)\",'1','12.5','Run')<P>\n");
    serveRecording("table-findings.zip", "findings");
    HWND window = start();
    ASSERT_NE(window, nullptr);
    setText(window, IDC_MAIN_GOTO, "pacman");
    press(window, IDC_MAIN_FIND);
    const auto expectDrawn = [&](HWND dialog, int graphId, const char* what) {
        expectLaidOut(dialog, what);
        HWND graph = GetDlgItem(dialog, graphId);
        EXPECT_TRUE(waitUntil([&] { return pixelsOfColour(graph, kSpeedLineColour) > 0; })) << what;
        EXPECT_GT(pixelsOfColour(graph, kSlowPlayColour), 0) << what;
        EXPECT_GT(pixelsOfColour(graph, kLoadedStateColour), 0) << what;
        EXPECT_EQ(pixelsOfColour(graph, kPauseMarkColour), 0) << what;
        savePictureToLookAt(dialog, std::string(what) + " " + std::to_string(GetParam()));
    };

    press(window, IDC_MAIN_CHECK);
    chooseFile(processId(), "Check INP", path("findings.inp"));
    HWND check = waitForWindow(processId(), "Recording check");
    ASSERT_TRUE(waitUntil([&] { return isEnabled(check, IDC_CHECK_CLOSE); }));
    expectDrawn(check, IDC_CHECK_GRAPH, "Recording check");
    press(check, IDC_CHECK_CLOSE);
    EXPECT_TRUE(waitUntilGone(check));

    press(window, IDC_MAIN_HIGH_SCORES);
    ASSERT_TRUE(waitUntil([&] { return listLines(window, IDC_MAIN_SCORE_LIST).size() == 1; }));
    press(window, IDC_MAIN_CHECK_ALL);
    HWND table = waitForWindow(processId(), "Recording checks");
    ASSERT_NE(table, nullptr);
    ASSERT_TRUE(waitUntil([&] { return isEnabled(table, IDC_TABLE_CLOSE); }, 30000));
    expectDrawn(table, IDC_TABLE_GRAPH, "Recording checks");
    press(table, IDC_TABLE_CLOSE);
    EXPECT_TRUE(waitUntilGone(table));
}

INSTANTIATE_TEST_SUITE_P(Dpi, LayoutTest, ::testing::Values(96, 144, 192));

} // namespace
