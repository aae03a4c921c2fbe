// A score's zipped recording fetched from the service into an open file: the transfer of every download.
#include "online/recording_fetch.h"

#include "common/bounded_text.h"
#include "common/late_dlls.h"
#include "online/download_text.h"
#include "online/score_record.h"
#include "online/service.h"
#include "online/service_request_win.h"

#include <wininet.h>

namespace {

const DWORD kBlockSize = 1024;

bool writeAll(HANDLE file, const char* data, DWORD size)
{
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

FetchOutcome failure(const char* text, const char* title)
{
    return FetchOutcome{FetchEnd::failed, text, title};
}

} // namespace

FetchOutcome fetchRecording(const char* downloadName, HANDLE file, FetchWatcher& watcher)
{
    char encoded[3 * 64];
    bool encodedWhole = encodeAddressPart(encoded, sizeof encoded, downloadName);
    char address[512];
    TextBuilder builder = startText(address, sizeof address);
    appendText(builder, kRecordingAddress);
    appendText(builder, encoded);
    if (!encodedWhole || builder.overflowed)
        return failure("Cannot connect to YORL", "Can't download");
    // A read that gets nothing for the request's timeout fails, so a
    // stalled service ends the fetch with the read's message.
    ServiceRequest session;
    switch (openServiceRequest(address, session)) {
    case RequestResult::noSession: return failure("Cannot start internet session", "Can't download");
    case RequestResult::noConnection: return failure("Cannot connect to YORL", "Can't download");
    case RequestResult::ok: break;
    }
    DWORD status = 0;
    DWORD statusSize = sizeof status;
    if (!late::HttpQueryInfoA(session.answer, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &statusSize,
                              nullptr) ||
        status != HTTP_STATUS_OK)
        return failure("Cannot retrieve data from URL", "Can't download");

    DWORD length = 0;
    DWORD lengthSize = sizeof length;
    bool known = late::HttpQueryInfoA(session.answer, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length,
                                      &lengthSize, nullptr) != FALSE;
    if (known && length > kMostArchiveBytes)
        return failure(kArchiveTooLarge, "Can't download");
    watcher.announced(length, known);
    char block[kBlockSize];
    // The answer's first bytes, which tell an error page from an archive
    // however the reads cut them.
    char head[6];
    std::size_t headLength = 0;
    unsigned long long received = 0;
    for (;;) {
        if (watcher.stopAsked())
            return FetchOutcome{FetchEnd::stopped, nullptr, nullptr};
        DWORD got = 0;
        if (!late::InternetReadFile(session.answer, block, kBlockSize, &got))
            return failure("Cannot retrieve data from URL", "Can't download");
        bool headWhole = headLength == sizeof head;
        for (DWORD i = 0; i < got && headLength < sizeof head; ++i)
            head[headLength++] = block[i];
        if (!headWhole && (headLength == sizeof head || got == 0) && isErrorPage(head, headLength))
            return failure("HTML received instead of zip - probable server error", "Can't download");
        if (got > 0 && !writeAll(file, block, got))
            return failure("Cannot write file to disk (disk full?)", "Can't save recording");
        received += got;
        if (received > kMostArchiveBytes)
            return failure(kArchiveTooLarge, "Can't download");
        watcher.received(received, got == 0);
        // A read may return less than a block before the end: only a read
        // of nothing ends the data.
        if (got == 0)
            break;
    }
    if (known && received != length)
        return failure("Cannot retrieve data from URL", "Can't download");
    return FetchOutcome{FetchEnd::complete, nullptr, nullptr};
}
