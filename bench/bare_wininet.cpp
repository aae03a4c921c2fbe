// The network floor beside hobrin.exe's figures: the same request made with
// bare WinINet calls and no window, timed inside this program (its own start
// is left out, as it is for hobrin.exe's figures).
//   bench_wininet NAME URL ROUNDS           one feed fetch: reads until 20480 bytes or the end
//   bench_wininet NAME URL ROUNDS FILE      a download: 1024-byte reads, each written to FILE
// Prints "figure NAME MEDIAN_MS" and, on standard error, the bytes received.
//   bench_wininet --memory URL              100 feed fetches, each in a thread of its own as
//                                           hobrin.exe makes them, stopping after the 10th and
//                                           the 100th until the benchmark that started it has
//                                           read its memory (see kFetchedEvent).
#include "bench/bench_win.h"

#include <wininet.h>

#include <process.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const DWORD kFeedCap = 20480;
const DWORD kBlockSize = 1024;

// The flags the program's own requests use.
const DWORD kRequestFlags = INTERNET_FLAG_RAW_DATA | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;

// One request; -1 when it failed.
long long fetchOnce(const char* url, const char* path)
{
    HINTERNET session = InternetOpenA("Hobrin bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session)
        return -1;
    HINTERNET request = InternetOpenUrlA(session, url, nullptr, 0, kRequestFlags, 0);
    long long received = request ? 0 : -1;
    if (request && !path) {
        static char answer[kFeedCap];
        DWORD got = 0;
        while (received < kFeedCap &&
               InternetReadFile(request, answer + received, kFeedCap - static_cast<DWORD>(received), &got) && got > 0)
            received += got;
    } else if (request) {
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        char block[kBlockSize];
        DWORD got = 0;
        DWORD written = 0;
        while (file != INVALID_HANDLE_VALUE && InternetReadFile(request, block, kBlockSize, &got) && got > 0 &&
               WriteFile(file, block, got, &written, nullptr))
            received += got;
        if (file == INVALID_HANDLE_VALUE || !CloseHandle(file))
            received = -1;
    }
    if (request)
        InternetCloseHandle(request);
    InternetCloseHandle(session);
    return received;
}

unsigned __stdcall fetchInThread(void* url)
{
    return fetchOnce(static_cast<const char*>(url), nullptr) < 0 ? 1 : 0;
}

int fetchesForMemory(const char* url)
{
    HANDLE fetched = CreateEventA(nullptr, FALSE, FALSE, bench::kFetchedEvent);
    HANDLE carryOn = CreateEventA(nullptr, FALSE, FALSE, bench::kCarryOnEvent);
    for (int fetch = 1; fetch <= 100; ++fetch) {
        HANDLE thread =
            reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, fetchInThread, const_cast<char*>(url), 0, nullptr));
        DWORD failed = 1;
        if (thread) {
            WaitForSingleObject(thread, INFINITE);
            GetExitCodeThread(thread, &failed);
            CloseHandle(thread);
        }
        if (failed) {
            std::fprintf(stderr, "bench_wininet: %s failed\n", url);
            return 1;
        }
        if (fetch == 10 || fetch == 100) {
            SetEvent(fetched);
            WaitForSingleObject(carryOn, 30000);
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--memory") == 0)
        return fetchesForMemory(argv[2]);
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_wininet NAME URL ROUNDS [FILE]\n");
        return 2;
    }
    const char* path = argc > 4 ? argv[4] : nullptr;
    int rounds = std::atoi(argv[3]);
    std::vector<double> times;
    long long received = 0;
    for (int round = 0; round < rounds; ++round) {
        double begin = bench::nowMs();
        received = fetchOnce(argv[2], path);
        if (received < 0) {
            std::fprintf(stderr, "bench_wininet: %s failed\n", argv[2]);
            return 1;
        }
        times.push_back(bench::nowMs() - begin);
    }
    std::fprintf(stderr, "bench_wininet: %s: %lld bytes\n", argv[1], received);
    bench::printFigure(argv[1], bench::median(times));
    return 0;
}
