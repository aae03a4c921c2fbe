// "Only games I have" ticked and unticked under Wine or Windows, with the
// listing of MAME 0.251 that HOBRIN_BENCH_MAME_LISTING names (printed by
// the stand-in as today's MAME prints it) and 197 games found: from the
// click to the list painted anew, beside a bare list box of this program's
// own filled with as many lines the same way (its redraw held, then one
// paint). The click is sent, so it returns once the program has handled it.
// Prints figures for tools/bench_report.py; it fails nothing.
#include "bench/bench_win.h"

#include "resource.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace bench;

namespace {

const int kRounds = 11;
const int kFound = 197;

// Every 100th system of the listing (they sort before its devices), as the
// sets that the stand-in's audit finds.
std::string foundNames(const std::string& listing)
{
    std::string names;
    int systems = 0, found = 0;
    for (std::size_t start = listing.find('\n') + 1; start != 0 && start < listing.size() && found < kFound;) {
        std::size_t end = listing.find('\n', start);
        std::string line = listing.substr(start, end - start);
        start = end == std::string::npos ? 0 : end + 1;
        if (line.find('"') != std::string::npos && systems++ % 100 == 0) {
            names += " " + line.substr(0, line.find(' '));
            ++found;
        }
    }
    return names;
}

// The floor: `lines` lines in a bare list box, as the program fills its own.
double bareFillMs(HWND list, const std::vector<std::wstring>& titles, int lines)
{
    double begin = nowMs();
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    SendMessageW(list, LB_INITSTORAGE, static_cast<WPARAM>(lines), static_cast<LPARAM>(lines) * 80);
    for (int i = 0; i < lines; ++i)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(titles[static_cast<std::size_t>(i)].c_str()));
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    return nowMs() - begin;
}

} // namespace

int main()
{
    const char* listingPath = std::getenv("HOBRIN_BENCH_MAME_LISTING");
    std::string listing = readAll(listingPath ? listingPath : "");
    std::string folder = prepareProgramFolder("hobrin-bench-found", 0);
    if (listing.empty() || folder.empty() || !writeFile(folder + "\\standin-listing.txt", listing) ||
        !writeFile(folder + "\\standin-control.txt", "kind=today\nfound=" + foundNames(listing) + "\n") ||
        !writeFile(folder + "\\hobrin.ini", "only_games_i_have=1\r\n")) {
        std::fprintf(stderr, "cannot prepare the listing of HOBRIN_BENCH_MAME_LISTING\n");
        return 1;
    }
    Program program;
    if (!program.start(moduleDirectory() + "\\hobrin.exe", folder))
        return 1;
    HWND window = waitForWindow(program.id(), "Hobrin", 120000);
    if (!window ||
        !waitFor([&] { return controlText(window, IDC_MAIN_TOTAL).compare(0, 12, "Games found:") == 0; }, 120000)) {
        std::fprintf(stderr, "the games found did not show\n");
        return 1;
    }
    HWND box = GetDlgItem(window, IDC_MAIN_ONLY_FOUND);
    HWND list = GetDlgItem(window, IDC_MAIN_GAME_LIST);
    // The bare list box takes the size of the program's, so that both paint as much.
    RECT rect{0, 0, 0, 0};
    GetWindowRect(list, &rect);
    std::vector<double> toAll, toFound;
    int all = 0, found = 0;
    for (int round = 0; round < kRounds; ++round) {
        double begin = nowMs();
        SendMessageA(box, BM_CLICK, 0, 0);
        toAll.push_back(nowMs() - begin);
        all = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        begin = nowMs();
        SendMessageA(box, BM_CLICK, 0, 0);
        toFound.push_back(nowMs() - begin);
        found = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    }
    program.end();

    HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, rect.right - rect.left,
                                 rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
    HWND bare = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY, 0, 0,
                                rect.right - rect.left, rect.bottom - rect.top, owner, nullptr, nullptr, nullptr);
    std::vector<std::wstring> titles;
    for (int i = 0; i < all; ++i)
        titles.push_back(L"A game of today's length (Maker, 1982) " + std::to_wstring(i));
    std::vector<double> bareAll, bareFound;
    for (int round = 0; round < kRounds && bare; ++round) {
        bareAll.push_back(bareFillMs(bare, titles, all));
        bareFound.push_back(bareFillMs(bare, titles, found));
    }
    DestroyWindow(owner);
    printFigure("found.games", all);
    printFigure("found.found", found);
    printFigure("found.to_all_ms", median(toAll));
    printFigure("found.to_found_ms", median(toFound));
    printFigure("found.bare_all_ms", bareAll.empty() ? -1.0 : median(bareAll));
    printFigure("found.bare_found_ms", bareFound.empty() ? -1.0 : median(bareFound));
    return 0;
}
