// The leaderboard: high scores and recent uploads from the stand-in service,
// over http and https, the busy guard, every failure line, redirects, and
// the Score Properties window.
#include "tests/e2e/driver.h"

#include "online/score_text.h"
#include "resource.h"

#include <ctime>
#include <sstream>

using namespace e2e;

namespace {

std::string highScoreLine(const std::string& score, const std::string& player, int position,
                          const std::string& description = "Good run")
{
    return "('" + score + "','1','a1','0.106','1100000000','pacman_" + score + "','t','" + player +
           "',\"Pac-Man (Midway)\",'" + std::to_string(position) + "','12.5','" + description + "')<P>\n";
}

std::string recentLine(const std::string& game, const std::string& score, const std::string& player)
{
    return "('" + score + "','0','b2','0.37b5','1100000500','" + game + "_" + score + "','t','" + player +
           "',\"Some title\",'7','3.25','" + game + "','Fresh upload')<P>\n";
}

const char kHeader[] = "YORL high scores\n";

class ScoresTest : public HobrinTest {
protected:
    void SetUp() override
    {
        HobrinTest::SetUp();
        resetYorlData();
        writeFile("standin-listing.txt", "pacman \"Pac-Man (Midway)\"\ngalaga \"Galaga\"\n");
    }

    HWND startWithGame(int game, const std::string& program = "hobrin.exe")
    {
        if (!launch(program))
            return nullptr;
        HWND window = waitForMainWindow();
        if (window)
            selectListItem(window, IDC_MAIN_GAME_LIST, game);
        return window;
    }

    std::vector<std::string> scoreLines(HWND window) { return listLines(window, IDC_MAIN_SCORE_LIST); }

    // Presses a feed button and waits until the list shows `count` lines.
    // A worker that has just added its last line may not have ended yet; a
    // press refused for that ("Patience") is simply made again.
    std::vector<std::string> fetch(HWND window, int button, std::size_t count)
    {
        const std::vector<std::string> patience{"Patience, d00d..."};
        for (int attempt = 0; attempt < 50; ++attempt) {
            SendDlgItemMessageA(window, IDC_MAIN_SCORE_LIST, LB_RESETCONTENT, 0, 0);
            press(window, button);
            std::vector<std::string> lines;
            bool listed = waitUntil([&] {
                lines = scoreLines(window);
                return lines.size() == count || lines == patience;
            });
            if (listed && lines == patience) {
                waitUntil([] { return false; }, 50);
                continue;
            }
            EXPECT_TRUE(listed) << "lines: " << lines.size();
            return lines;
        }
        ADD_FAILURE() << "the feed worker never ended";
        return {};
    }

    // The one line a failed fetch leaves.
    std::string failureOf(HWND window, int button)
    {
        std::vector<std::string> lines = fetch(window, button, 1);
        return lines.empty() ? std::string() : lines[0];
    }

    HWND openProperties(HWND window, int line)
    {
        selectListItem(window, IDC_MAIN_SCORE_LIST, line);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_MAIN_SCORE_LIST, LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_MAIN_SCORE_LIST)));
        return waitForWindow(processId(), "Score Properties");
    }
};

TEST_F(ScoresTest, HighScoresAreListedWithTheirLabel)
{
    writeYorlFile("scores\\pacman.txt", kHeader + highScoreLine("3333360", "Ace", 1) +
                                            highScoreLine("98760", "Bob", 2) + highScoreLine("12345678901", "Cy", 3));
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(fetch(window, IDC_MAIN_HIGH_SCORES, 3),
              (std::vector<std::string>{"   3333360 - Ace", "     98760 - Bob", "12345678901 - Cy"}));
    EXPECT_EQ(text(window, IDC_MAIN_SCORE_LABEL), "YORL High scores for 'pacman':");
    EXPECT_EQ(yorlRequests().back(), "/yorl/index.cgi?mode=fe_scores&short=pacman");
}

TEST_F(ScoresTest, SplitTextIsAddedToTheAddressAsTyped)
{
    writeYorlFile("scores\\galaga-turbo.txt", kHeader + highScoreLine("5000", "Dee", 1));
    HWND window = startWithGame(1);
    ASSERT_NE(window, nullptr);
    setText(window, IDC_MAIN_SPLIT, "turbo");
    EXPECT_EQ(fetch(window, IDC_MAIN_HIGH_SCORES, 1), (std::vector<std::string>{"      5000 - Dee"}));
    EXPECT_EQ(yorlRequests().back(), "/yorl/index.cgi?mode=fe_scores&short=galaga-turbo");
    EXPECT_EQ(text(window, IDC_MAIN_SCORE_LABEL), "YORL High scores for 'galaga':");

    setText(window, IDC_MAIN_SPLIT, "two words");
    press(window, IDC_MAIN_HIGH_SCORES);
    EXPECT_TRUE(waitUntil([&] { return yorlRequests().size() == 2; }));
    // The program puts the blank into the address as typed; WinINet sends it
    // as %20 when it writes the request.
    std::string request = yorlRequests().back();
    EXPECT_TRUE(request == "/yorl/index.cgi?mode=fe_scores&short=galaga-two words" ||
                request == "/yorl/index.cgi?mode=fe_scores&short=galaga-two%20words")
        << request;
}

TEST_F(ScoresTest, RecentUploadsListEveryLineFromTheFirst)
{
    writeYorlFile("recent.txt", recentLine("pacman", "1200", "Eve") + recentLine("dkong", "873400", "Fox"));
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(fetch(window, IDC_MAIN_RECENT_UPLOADS, 2),
              (std::vector<std::string>{"      pacman|      1200 - Eve", "       dkong|    873400 - Fox"}));
    EXPECT_EQ(text(window, IDC_MAIN_SCORE_LABEL), "YORL Recent uploads:");
    EXPECT_EQ(yorlRequests().back(), "/yorl/index.cgi?mode=fe_recent");
}

TEST_F(ScoresTest, SecondPressWhileAFetchRunsAsksForPatience)
{
    writeYorlFile("scores\\pacman.txt", kHeader + highScoreLine("100", "Gus", 1));
    writeYorlFile("scores\\pacman.mode", "slow=5000");
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    press(window, IDC_MAIN_HIGH_SCORES);
    ASSERT_TRUE(waitUntil([&] { return text(window, IDC_MAIN_SCORE_LABEL) == "YORL High scores for 'pacman':"; }));
    selectListItem(window, IDC_MAIN_GAME_LIST, 1);
    press(window, IDC_MAIN_HIGH_SCORES);
    press(window, IDC_MAIN_RECENT_UPLOADS);
    flushPostedMessages(window, IDC_MAIN_ABOUT);
    EXPECT_EQ(scoreLines(window), (std::vector<std::string>{"Patience, d00d..."}));
    EXPECT_EQ(text(window, IDC_MAIN_SCORE_LABEL), "YORL High scores for 'pacman':");
    EXPECT_TRUE(waitUntil([&] { return scoreLines(window) == std::vector<std::string>{"       100 - Gus"}; }));
    EXPECT_EQ(yorlRequests().size(), 1u) << "the refused presses sent nothing";
}

TEST_F(ScoresTest, EveryFailureIsTheListsOnlyLine)
{
    const std::string feed = kHeader + highScoreLine("100", "Hal", 1);
    const struct {
        const char* label;
        std::string body;
        const char* mode;
        const char* line;
    } cases[] = {
        // The cookie must never come back, on this request or any later one.
        {"error page", "<HTML><BODY>Database down</BODY></HTML>\n", "cookie=yorl=s3cret",
         "Cannot access data at this time."},
        {"error page in lower case", "<html><body>busy</body></html>\n", "", "Cannot access data at this time."},
        {"server error with a feed-like body", feed, "status=500", "Cannot access data at this time."},
        {"missing page with a feed-like body", feed, "status=404", "Cannot access data at this time."},
        {"logon asked", feed, "auth", "Cannot access data at this time."},
    };
    writeYorlFile("scores\\pacman.txt", feed);
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    fetch(window, IDC_MAIN_HIGH_SCORES, 1); // a good answer first: failures must leave the table alone
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        writeYorlFile("scores\\pacman.txt", c.body);
        writeYorlFile("scores\\pacman.mode", c.mode);
        writeYorlFile("recent.txt", c.body);
        writeYorlFile("recent.mode", c.mode);
        EXPECT_EQ(failureOf(window, IDC_MAIN_HIGH_SCORES), c.line);
        EXPECT_EQ(failureOf(window, IDC_MAIN_RECENT_UPLOADS), c.line);
        EXPECT_EQ(visibleWindowTitles(processId()), std::vector<std::string>{"Hobrin"}) << "no logon prompt";
    }
    EXPECT_EQ(yorlCredentials(), std::vector<std::string>{}) << "no cookie or logon was sent";
    writeYorlFile("scores\\pacman.txt", "<HTM\nnot an error page\n");
    writeYorlFile("scores\\pacman.mode", "");
    EXPECT_EQ(fetch(window, IDC_MAIN_HIGH_SCORES, 1), (std::vector<std::string>{"           - "}))
        << "only a whole <HTML> marks an error page";
}

TEST_F(ScoresTest, UnreachableServiceCannotBeConnected)
{
    HWND window = startWithGame(0, "hobrin_offline.exe");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(failureOf(window, IDC_MAIN_HIGH_SCORES), "Cannot connect to YORL.");
    EXPECT_EQ(failureOf(window, IDC_MAIN_RECENT_UPLOADS), "Cannot connect to YORL.");
}

TEST_F(ScoresTest, HttpsScoresAreListedOnlyWithATrustedCertificateForTheHost)
{
    writeYorlFile("scores\\pacman.txt", kHeader + highScoreLine("100", "Tia", 1));
    writeYorlFile("recent.txt", recentLine("dkong", "873400", "Ugo"));
    const struct {
        const char* certificate;
        std::vector<std::string> highScores;
        std::vector<std::string> recent;
    } cases[] = {
        {"otherhost", {"Cannot connect to YORL."}, {"Cannot connect to YORL."}},
        {"untrusted", {"Cannot connect to YORL."}, {"Cannot connect to YORL."}},
        {"localhost", {"       100 - Tia"}, {"       dkong|    873400 - Ugo"}},
    };
    HWND window = startWithGame(0, "hobrin_tls.exe");
    ASSERT_NE(window, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.certificate);
        writeYorlFile("tls.mode", std::string("cert=") + c.certificate);
        EXPECT_EQ(fetch(window, IDC_MAIN_HIGH_SCORES, 1), c.highScores);
        EXPECT_EQ(fetch(window, IDC_MAIN_RECENT_UPLOADS, 1), c.recent);
    }
    EXPECT_EQ(yorlRequests().size(), 2u) << "nothing was asked over a connection the program did not trust";
}

TEST_F(ScoresTest, RedirectsAreFollowedUnlessTheyLeaveHttps)
{
    const std::string plainUrl = serviceUrl();
    const std::string tlsUrl = tlsServiceUrl();
    const struct {
        const char* program;
        std::string mode;
        const char* line;
        std::size_t requests;
    } cases[] = {
        {"hobrin_tls.exe", "status=301 redirect=" + plainUrl + "index.cgi?mode=fe_scores&short=galaga",
         "Cannot connect to YORL.", 1},
        {"hobrin.exe", "redirect=" + tlsUrl + "index.cgi?mode=fe_scores&short=galaga", "       200 - Vic", 2},
        {"hobrin_tls.exe", "status=308 redirect=../yorl/index.cgi?mode=fe_scores&short=galaga", "       200 - Vic", 2},
        {"hobrin.exe", "redirect=index.cgi?mode=fe_scores&short=pacman", "Cannot connect to YORL.", 6}, // a loop
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        resetYorlData();
        writeYorlFile("scores\\galaga.txt", kHeader + highScoreLine("200", "Vic", 1));
        writeYorlFile("scores\\pacman.mode", c.mode);
        HWND window = startWithGame(0, c.program);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(failureOf(window, IDC_MAIN_HIGH_SCORES), c.line);
        EXPECT_EQ(yorlRequests().size(), c.requests);
    }
}

TEST_F(ScoresTest, AnswerArrivingInSmallPiecesIsListedWhole)
{
    std::string body = kHeader;
    for (int i = 0; i < 20; ++i)
        body += highScoreLine(std::to_string(1000 - i), "P" + std::to_string(i), i + 1);
    writeYorlFile("scores\\pacman.txt", body);
    writeYorlFile("scores\\pacman.mode", "pieces=97,20");
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    std::vector<std::string> lines = fetch(window, IDC_MAIN_HIGH_SCORES, 20);
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines.back(), "       981 - P19");
}

TEST_F(ScoresTest, OnlyTheFirst10240BytesOfHighScoresAreRead)
{
    std::string body = kHeader;
    int taken = 0;
    for (int i = 0; body.size() < 12000; ++i) {
        if (body.size() < 10240)
            ++taken; // a line that starts within the cap is listed
        body += highScoreLine(std::to_string(50000 + i), "Q" + std::to_string(i), i + 1, std::string(80, 'x'));
    }
    writeYorlFile("scores\\pacman.txt", body);
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    std::vector<std::string> lines = fetch(window, IDC_MAIN_HIGH_SCORES, static_cast<std::size_t>(taken));
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(taken));
}

TEST_F(ScoresTest, AtMostAHundredRecordsAreTaken)
{
    std::string body;
    for (int i = 0; i < 150; ++i)
        body += recentLine("g" + std::to_string(i), std::to_string(i), "R");
    writeYorlFile("recent.txt", body);
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    std::vector<std::string> lines = fetch(window, IDC_MAIN_RECENT_UPLOADS, 100);
    ASSERT_EQ(lines.size(), 100u);
    EXPECT_EQ(lines.back(), "         g99|        99 - R");
}

TEST_F(ScoresTest, ScorePropertiesShowEveryFieldOfTheRecord)
{
    writeYorlFile("scores\\pacman.txt",
                  kHeader + highScoreLine("1", "Ann", 1) +
                      "('987.6','1','a','ver1','100','rec987','b','Someone',\"Some Game's (set 1)\",'3','12.9',"
                      "'First try')<P>\n");
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    fetch(window, IDC_MAIN_HIGH_SCORES, 2);
    HWND properties = openProperties(window, 1);
    ASSERT_NE(properties, nullptr);

    std::time_t uploaded = 100;
    char date[128];
    formatUploadTime(std::localtime(&uploaded), date, sizeof date);
    EXPECT_EQ(text(properties, IDC_SCORE_VALUE), "988");
    EXPECT_EQ(text(properties, IDC_SCORE_GAME_NAME), "Some Game's (set 1)");
    EXPECT_EQ(text(properties, IDC_SCORE_PLAYER), "Recorded by Someone");
    EXPECT_EQ(text(properties, IDC_SCORE_DESCRIPTION), "First try");
    EXPECT_EQ(text(properties, IDC_SCORE_VERSION_USED), "MAME version used: ver1");
    EXPECT_EQ(text(properties, IDC_SCORE_POSITION), "Position: 3");
    EXPECT_EQ(text(properties, IDC_SCORE_POINTS), "Leaderboard points: 12");
    EXPECT_EQ(text(properties, IDC_SCORE_UPLOADED), date);
    EXPECT_EQ(text(properties, IDC_SCORE_CONFIRMED), "Score is confirmed.");

    pressKey(properties, VK_ESCAPE);
    postCommand(properties, IDCANCEL);
    flushPostedMessages(properties, IDC_SCORE_OK);
    EXPECT_TRUE(IsWindowVisible(properties)) << "Escape leaves the window open";
    press(properties, IDC_SCORE_OK);
    EXPECT_TRUE(waitUntilGone(properties));

    properties = openProperties(window, 1);
    ASSERT_NE(properties, nullptr);
    PostMessageA(properties, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(waitUntilGone(properties)) << "the close box closes it";
}

// A feed that arrives while Score Properties is open changes the list, not
// the score that the window shows: its download is of that score's
// recording, and the split typed goes into the request encoded.
TEST_F(ScoresTest, ScoreOfTheOpenWindowStaysItsOwnWhateverFeedArrives)
{
    writeYorlFile("scores\\pacman-a&b #1.txt", kHeader + highScoreLine("3333360", "Ace", 1));
    writeYorlFile("recent.txt", recentLine("galaga", "500", "Bea"));
    writeYorlFile("recent.mode", "slow=2000");
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    setText(window, IDC_MAIN_SPLIT, "a&b #1");
    fetch(window, IDC_MAIN_HIGH_SCORES, 1);
    press(window, IDC_MAIN_RECENT_UPLOADS);
    HWND properties = openProperties(window, 0);
    ASSERT_NE(properties, nullptr);
    ASSERT_TRUE(waitUntil(
        [&] { return scoreLines(window).size() == 1 && scoreLines(window)[0].find("Bea") != std::string::npos; }));
    EXPECT_EQ(text(properties, IDC_SCORE_PLAYER), "Recorded by Ace");
    serveRecording("good.zip", "pacman_3333360");
    press(properties, IDC_SCORE_DOWNLOAD);
    chooseFile(processId(), "Save downloaded recording as...", path("shown.zip"));
    EXPECT_TRUE(waitUntil([&] { return yorlRequests().size() == 3; }));
    EXPECT_EQ(yorlRequests(),
              (std::vector<std::string>{"/yorl/index.cgi?mode=fe_scores&short=pacman-a%26b%20%231",
                                        "/yorl/index.cgi?mode=fe_recent", "/yorl/inp/pacman_3333360.zip"}));
}

// Players write their names in every script; an older service may send
// the legacy code page. Each answer is shown as it was written.
TEST_F(ScoresTest, NamesInEveryScriptAreShownAsWritten)
{
    const std::wstring players[] = {L"\u5c71\u7530\u592a\u90ce", L"\u0141ukasz", L"\u0395\u03bb\u03ad\u03bd\u03b7",
                                    L"J\u00fcrgen", L"S\u00f8ren"};
    const std::wstring title = L"Pok\u00e9mon \uff3c\uff02 (fullwidth)", description = L"Caf\u00e9 \u30d1\u30c3\u30af";
    std::string answer = kHeader;
    std::vector<std::wstring> shown;
    for (int i = 0; i < 5; ++i) {
        const std::string score = std::to_string(98760 - i);
        answer += "('" + score + "','1','a1','0.251','1100000000','pacman_" + score + "','t','" + utf8(players[i]) +
                  "',\"" + utf8(title) + "\",'" + std::to_string(i + 1) + "','12.5','" + utf8(description) + "')<P>\n";
        shown.push_back(L"     " + std::wstring(score.begin(), score.end()) + L" - " + players[i]);
    }
    writeYorlFile("scores\\pacman.txt", answer);
    writeYorlFile("recent.txt", recentLine("Pok\xE9mon", "1200", "Attach\xE9"));
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    fetch(window, IDC_MAIN_RECENT_UPLOADS, 1);
    EXPECT_EQ(wideListLines(window, IDC_MAIN_SCORE_LIST),
              std::vector<std::wstring>{L"    " + fromCodePage("Pok\xE9mon") + L"|      1200 - " +
                                        fromCodePage("Attach\xE9")});
    fetch(window, IDC_MAIN_HIGH_SCORES, 5);
    EXPECT_EQ(wideListLines(window, IDC_MAIN_SCORE_LIST), shown);
    HWND properties = openProperties(window, 0);
    ASSERT_NE(properties, nullptr);
    EXPECT_EQ(wideText(properties, IDC_SCORE_PLAYER), L"Recorded by " + players[0]);
    EXPECT_EQ(wideText(properties, IDC_SCORE_DESCRIPTION), description);
    EXPECT_EQ(wideText(properties, IDC_SCORE_GAME_NAME), title);
    EXPECT_EQ(yorlRequests().back(), "/yorl/index.cgi?mode=fe_scores&short=pacman");
}

// After a fetch that listed scores, a line that is no score opens nothing:
// neither the score that an earlier answer had on that line nor an empty one.
TEST_F(ScoresTest, LineThatIsNoScoreOpensNothing)
{
    const std::string feed = kHeader + highScoreLine("100", "Hal", 1);
    const struct {
        const char* line;
        std::string body;
        const char* mode;
        int presses; // a second press while the first fetch runs asks for patience
        bool gameSelected;
    } cases[] = {
        {"Cannot connect to YORL.", feed, "redirect=index.cgi?mode=fe_scores&short=pacman", 1, true}, // a loop
        {"Cannot access data at this time.", feed, "status=500", 1, true},
        {"Patience, d00d...", feed, "slow=3000", 2, true},
        {"Select a game in the list first.", feed, "", 1, false},
        {"           - ", std::string(kHeader) + "\n", "", 1, true},
    };
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        selectListItem(window, IDC_MAIN_GAME_LIST, 0);
        writeYorlFile("scores\\pacman.txt", feed);
        writeYorlFile("scores\\pacman.mode", "");
        ASSERT_EQ(fetch(window, IDC_MAIN_HIGH_SCORES, 1), std::vector<std::string>{"       100 - Hal"});
        writeYorlFile("scores\\pacman.txt", c.body);
        writeYorlFile("scores\\pacman.mode", c.mode);
        if (!c.gameSelected)
            selectListItem(window, IDC_MAIN_GAME_LIST, -1);
        for (int press = 0; press < c.presses; ++press)
            postCommand(window, IDC_MAIN_HIGH_SCORES);
        EXPECT_TRUE(waitUntil([&] { return scoreLines(window) == std::vector<std::string>{c.line}; }));
        selectListItem(window, IDC_MAIN_SCORE_LIST, 0);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_MAIN_SCORE_LIST, LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_MAIN_SCORE_LIST)));
        flushPostedMessages(window, IDC_MAIN_ABOUT);
        EXPECT_EQ(findWindow(processId(), "Score Properties"), nullptr);
        // The slow answer lists its score in the end; the next case waits for no worker.
        EXPECT_TRUE(waitUntil([&] { return scoreLines(window) != std::vector<std::string>{"Patience, d00d..."}; }));
    }
}

TEST_F(ScoresTest, DoubleClickWithoutASelectedLineOpensNothing)
{
    HWND window = startWithGame(0);
    ASSERT_NE(window, nullptr);
    selectListItem(window, IDC_MAIN_SCORE_LIST, -1);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_MAIN_SCORE_LIST, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_MAIN_SCORE_LIST)));
    flushPostedMessages(window, IDC_MAIN_ABOUT);
    EXPECT_EQ(findWindow(processId(), "Score Properties"), nullptr);
}

} // namespace
