// "Get high scores" and "Get recent uploads" under Wine or Windows: from the
// press to the last of 100 list lines, in a hobrin.exe
// started with a 4999-game listing. 100 presses alternate between the two
// buttons; the program's memory is read after start-up and after the 10th
// and the 100th fetch. The stand-in service's data folder is named by
// HOBRIN_BENCH_YORL_DATA. Prints figures for tools/bench_report.py; it fails
// nothing.
#include "bench/bench_win.h"

#include "resource.h"

#include <cstdio>
#include <cstdlib>

using namespace bench;

namespace {

const int kLines = 100;
const int kFetches = 100;
const DWORD kSettleMs = 300;
// Lets the worker of one fetch end before the next press, which the busy
// guard would otherwise refuse.
const DWORD kPauseMs = 30;

std::string highScoresAnswer()
{
    std::string answer = "YORL high scores for game0\n";
    for (int i = 0; i < kLines; ++i)
        answer += "('" + std::to_string(900000 - i) + "','1','a1','0.106','1100000000','game0_" + std::to_string(i) +
                  "','t','P" + std::to_string(i) + "',\"Bench\",'" + std::to_string(i + 1) + "','12.5','Run')<P>\n";
    return answer;
}

std::string recentUploadsAnswer()
{
    std::string answer;
    for (int i = 0; i < kLines; ++i)
        answer += "('" + std::to_string(500000 + i) + "','0','b2','0.106','1100000500','game" + std::to_string(i) +
                  "_r','t','R" + std::to_string(i) + "',\"Benchmark game number " + std::to_string(i) +
                  "\",'7','3.25','game" + std::to_string(i) + "','Fresh upload')<P>\n";
    return answer;
}

struct Feed {
    const char* name;
    int button;
    const char* lastLine;
    std::vector<double> times;
};

// Presses the feed's button on an emptied list and waits until all lines
// are there. A press that the busy guard refused is made again and not
// counted. Returns -1 when the list never filled as expected.
double fetchMs(HWND window, Feed& feed)
{
    HWND list = GetDlgItem(window, IDC_MAIN_SCORE_LIST);
    HWND button = GetDlgItem(window, feed.button);
    for (int attempt = 0; attempt < 20; ++attempt) {
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        double pressed = nowMs();
        PostMessageA(button, BM_CLICK, 0, 0);
        bool patience = false;
        for (;;) {
            // Each look is a message that the program's thread answers
            // between two of its own. (Wine tells no other process whether
            // a window still has something to paint.)
            LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
            if (count == kLines)
                break;
            if (count == 1 && listLine(list, 0) == "Patience, d00d...") {
                patience = true;
                break;
            }
            if (nowMs() - pressed > 10000) {
                std::fprintf(stderr, "%s: %ld lines after 10 s\n", feed.name, static_cast<long>(count));
                return -1.0;
            }
            Sleep(1);
        }
        double elapsed = nowMs() - pressed;
        if (patience) {
            Sleep(100);
            continue;
        }
        std::string last = listLine(list, kLines - 1);
        if (last != feed.lastLine) {
            std::fprintf(stderr, "%s: last line \"%s\", not \"%s\"\n", feed.name, last.c_str(), feed.lastLine);
            return -1.0;
        }
        return elapsed;
    }
    std::fprintf(stderr, "%s: the busy guard refused every press\n", feed.name);
    return -1.0;
}

// The private bytes that bare WinINet fetches, each in a thread of its own,
// add between the 10th and the 100th: what Wine's WinINet keeps per request,
// beside which the program's own growth is judged. Negative when unknown.
double bareFetchGrowthMiB(const std::string& folder, const char* url)
{
    HANDLE fetched = CreateEventA(nullptr, FALSE, FALSE, kFetchedEvent);
    HANDLE carryOn = CreateEventA(nullptr, FALSE, FALSE, kCarryOnEvent);
    Program bare;
    double growth = -1.0;
    if (bare.start(moduleDirectory() + "\\bench_wininet.exe", folder, std::string("--memory ") + url)) {
        HANDLE both[] = {fetched, bare.handle()};
        double tenth = -1.0;
        for (int checkpoint = 0; checkpoint < 2; ++checkpoint) {
            if (WaitForMultipleObjects(2, both, FALSE, 60000) != WAIT_OBJECT_0)
                break;
            Sleep(kSettleMs);
            double now = memoryOf(bare).privateMiB;
            if (checkpoint == 1 && tenth >= 0 && now >= 0)
                growth = now - tenth;
            tenth = now;
            SetEvent(carryOn);
        }
    }
    CloseHandle(fetched);
    CloseHandle(carryOn);
    return growth;
}

void printMemory(const char* privateName, const char* workingName, const Memory& memory)
{
    printFigure(privateName, memory.privateMiB);
    printFigure(workingName, memory.workingSetMiB);
}

} // namespace

int main()
{
    const char* data = std::getenv("HOBRIN_BENCH_YORL_DATA");
    const char* service = std::getenv("HOBRIN_BENCH_SERVICE_URL");
    if (!data || !*data || !service || !*service) {
        std::fprintf(stderr, "HOBRIN_BENCH_YORL_DATA or HOBRIN_BENCH_SERVICE_URL is not set: run tools/bench.sh\n");
        return 1;
    }
    if (!writeFile(std::string(data) + "\\scores\\game0.txt", highScoresAnswer()) ||
        !writeFile(std::string(data) + "\\recent.txt", recentUploadsAnswer())) {
        std::fprintf(stderr, "cannot write the answers into %s\n", data);
        return 1;
    }
    std::string folder = prepareProgramFolder("hobrin-bench-scores", 4999);
    if (folder.empty())
        return 1;
    Program hobrin;
    if (!hobrin.start(moduleDirectory() + "\\hobrin.exe", folder))
        return 1;
    HWND window = waitForWindow(hobrin.id(), "Hobrin", 30000, 5);
    if (!window) {
        std::fprintf(stderr, "hobrin.exe showed no main window\n");
        return 1;
    }
    Sleep(kSettleMs);
    Memory started = memoryOf(hobrin);
    Memory tenth{}, last{};
    SendDlgItemMessageA(window, IDC_MAIN_GAME_LIST, LB_SETCURSEL, 0, 0);

    Feed feeds[] = {
        {"high scores", IDC_MAIN_HIGH_SCORES, "    899901 - P99", {}},
        {"recent uploads", IDC_MAIN_RECENT_UPLOADS, "      game99|    500099 - R99", {}},
    };
    for (int fetch = 1; fetch <= kFetches; ++fetch) {
        Feed& feed = feeds[fetch % 2];
        double elapsed = fetchMs(window, feed);
        if (elapsed < 0)
            return 1;
        feed.times.push_back(elapsed);
        Sleep(kPauseMs);
        if (fetch == 10 || fetch == kFetches) {
            Sleep(kSettleMs);
            (fetch == 10 ? tenth : last) = memoryOf(hobrin);
        }
    }
    printFigure("scores.high_ms", median(feeds[0].times));
    printFigure("scores.recent_ms", median(feeds[1].times));
    printMemory("memory.scores_start_private_mib", "memory.scores_start_working_mib", started);
    printMemory("memory.fetch10_private_mib", "memory.fetch10_working_mib", tenth);
    printMemory("memory.fetch100_private_mib", "memory.fetch100_working_mib", last);
    hobrin.end();
    std::string recent = std::string(service) + "index.cgi?mode=fe_recent";
    printFigure("memory.bare_fetch_growth_mib", bareFetchGrowthMiB(folder, recent.c_str()));
    return 0;
}
