// A check of a recording under Wine or Windows, beside MAME's own headless
// playback of the same file in the same run: in the folder that
// HOBRIN_BENCH_CHECK_FOLDER names, mame.exe (MAME 0.251) and its recording
// inp\check.inp. MAME's run is "-playback ... -exit_after_playback -video
// none -sound none -nothrottle"; Hobrin's is timed from the file chosen in
// "Check INP" to its verdict, picture included. Prints figures for
// tools/bench_report.py; it fails nothing.
#include "bench/bench_win.h"

#include "resource.h"

#include <cstdio>
#include <cstdlib>

using namespace bench;

namespace {

const int kRounds = 3;
const DWORD kCheckTimeoutMs = 600000;

// MAME's own playback of the recording to its end, without a screen.
double mameMs(const std::string& folder)
{
    std::string line = "\"" + folder +
                       "\\mame.exe\" pong -input_directory inp -playback check.inp "
                       "-exit_after_playback -video none -sound none -nothrottle";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    double begin = nowMs();
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, folder.c_str(), &startup,
                        &process))
        return -1.0;
    WaitForSingleObject(process.hProcess, kCheckTimeoutMs);
    double elapsed = nowMs() - begin;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return elapsed;
}

// One check in the running program, from the file chosen to the verdict;
// -1 when a step failed. The verdict goes to `verdict`.
double checkMs(DWORD processId, HWND window, const std::string& file, std::string& verdict)
{
    PostMessageA(GetDlgItem(window, IDC_MAIN_CHECK), BM_CLICK, 0, 0);
    HWND open = waitForWindow(processId, "Check INP", 10000, 5);
    if (!typeFileName(open, file))
        return -1.0;
    double begin = nowMs();
    PostMessageA(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    HWND check = waitForWindow(processId, "Recording check", 10000, 1);
    if (!check ||
        !waitFor([&] { return IsWindowEnabled(GetDlgItem(check, IDC_CHECK_CLOSE)) != FALSE; }, kCheckTimeoutMs))
        return -1.0;
    double elapsed = nowMs() - begin;
    verdict = controlText(check, IDC_CHECK_VERDICT);
    PostMessageA(GetDlgItem(check, IDC_CHECK_CLOSE), BM_CLICK, 0, 0);
    waitFor([&] { return !IsWindow(check); }, 10000);
    return elapsed;
}

} // namespace

int main()
{
    const char* folder = std::getenv("HOBRIN_BENCH_CHECK_FOLDER");
    if (!folder || !*folder) {
        std::fprintf(stderr, "check: HOBRIN_BENCH_CHECK_FOLDER names no folder\n");
        return 1;
    }
    Program hobrin;
    if (!hobrin.start(moduleDirectory() + "\\hobrin.exe", folder))
        return 1;
    HWND window = waitForWindow(hobrin.id(), "Hobrin", 120000, 10);
    const std::string file = std::string(folder) + "\\inp\\check.inp";
    std::string verdict;
    // The first check asks MAME its version, once: not timed.
    if (!window || checkMs(hobrin.id(), window, file, verdict) < 0) {
        std::fprintf(stderr, "check: the first check did not end\n");
        return 1;
    }
    std::vector<double> mame, checked, added;
    for (int round = 0; round < kRounds; ++round) {
        mame.push_back(mameMs(folder));
        checked.push_back(checkMs(hobrin.id(), window, file, verdict));
        added.push_back(checked.back() - mame.back());
    }
    std::fprintf(stderr, "check: %s\n", verdict.c_str());
    // "Plays to its end: N of N frames, m:ss": the recording's length.
    std::size_t colon = verdict.rfind(':');
    double length =
        colon != std::string::npos && colon >= 2
            ? std::atof(verdict.c_str() + verdict.rfind(' ', colon) + 1) * 60 + std::atof(verdict.c_str() + colon + 1)
            : -1.0;
    printFigure("check.length_s", length);
    printFigure("check.mame_ms", median(mame));
    printFigure("check.hobrin_ms", median(checked));
    printFigure("check.added_ms", median(added));
    return 0;
}
