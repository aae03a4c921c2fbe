// The About box.
#include "tests/e2e/driver.h"

#include "resource.h"

#include <regex>

using namespace e2e;

namespace {

class AboutBoxTest : public HobrinTest {};

TEST_F(AboutBoxTest, ShowsVersionAndBuildDateAndClosesWithOk)
{
    HWND window = start();
    ASSERT_NE(window, nullptr);
    press(window, IDC_MAIN_ABOUT);
    HWND about = waitForWindow(processId(), "About Hobrin...");
    ASSERT_NE(about, nullptr);

    std::string version = text(about, IDC_ABOUT_VERSION);
    EXPECT_TRUE(std::regex_match(version, std::regex(R"(Hobrin v0\.3\.1 beta \[[A-Z][a-z]{2} [ 123]\d \d{4}\])")))
        << version;

    press(about, IDC_ABOUT_OK);
    EXPECT_TRUE(waitUntilGone(about));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(running());
}

TEST_F(AboutBoxTest, EscapeLeavesTheBoxOpen)
{
    HWND window = start();
    ASSERT_NE(window, nullptr);
    press(window, IDC_MAIN_ABOUT);
    HWND about = waitForWindow(processId(), "About Hobrin...");
    ASSERT_NE(about, nullptr);
    pressKey(about, VK_ESCAPE);
    postCommand(about, IDCANCEL);
    flushPostedMessages(about, IDC_ABOUT_OK);
    EXPECT_TRUE(IsWindow(about));
    EXPECT_TRUE(IsWindowVisible(about));
}

} // namespace
