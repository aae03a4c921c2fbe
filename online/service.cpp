// The addresses of the YORL service, and how long to wait for it. Only this
// file is compiled for each program, so builds for other addresses (and a
// test build's shorter waits) share everything else.
#include "online/service.h"

#include "online/recording_fetch.h"
#include "online/service_request_win.h"

#ifndef HOBRIN_SERVICE_URL
#define HOBRIN_SERVICE_URL "http://127.0.0.1:8380/yorl/"
#endif

static_assert(sizeof(HOBRIN_SERVICE_URL) < 400, "the service address must leave room for a request");

const char kHighScoresAddress[] = HOBRIN_SERVICE_URL "index.cgi?mode=fe_scores&short=";
const char kRecentUploadsAddress[] = HOBRIN_SERVICE_URL "index.cgi?mode=fe_recent";
const char kRecordingAddress[] = HOBRIN_SERVICE_URL "inp/";

#ifdef HOBRIN_SHORT_WAITS
// A test build's, for the tests of a service that stalls or sends without end.
extern const DWORD kServiceTimeoutMs = 4000;
extern const DWORD kFeedLimitMs = 8000;
extern const unsigned long long kMostArchiveBytes = 4ull * 1024 * 1024;
extern const char kArchiveTooLarge[] =
    "The service sent more than 4 MB, which no recording's archive holds; "
    "it was not kept.";
#else
extern const DWORD kServiceTimeoutMs = 15000;
extern const DWORD kFeedLimitMs = 25000;
// An archive of a day of play holds a few MB; a service that sends more
// would fill the disk, unwatched when a table is checked.
extern const unsigned long long kMostArchiveBytes = 256ull * 1024 * 1024;
extern const char kArchiveTooLarge[] =
    "The service sent more than 256 MB, which no recording's archive holds; "
    "it was not kept.";
#endif
