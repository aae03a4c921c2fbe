// The addresses of the YORL service. Only this file is compiled for each
// service address, so builds for other addresses share everything else.
#include "online/service.h"

#ifndef HOBRIN_SERVICE_URL
#define HOBRIN_SERVICE_URL "http://127.0.0.1:8380/yorl/"
#endif

static_assert(sizeof(HOBRIN_SERVICE_URL) < 400, "the service address must leave room for a request");

const char kHighScoresAddress[] = HOBRIN_SERVICE_URL "index.cgi?mode=fe_scores&short=";
const char kRecentUploadsAddress[] = HOBRIN_SERVICE_URL "index.cgi?mode=fe_recent";
const char kRecordingAddress[] = HOBRIN_SERVICE_URL "inp/";
