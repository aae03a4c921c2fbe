// The addresses of the YORL service, all built from one base address set when the program is built.
#pragma once

#ifndef HOBRIN_SERVICE_URL
#define HOBRIN_SERVICE_URL "http://127.0.0.1:8380/yorl/"
#endif

// Followed by a game's short name and, for a split, "-" and its name.
constexpr char kHighScoresAddress[] = HOBRIN_SERVICE_URL "index.cgi?mode=fe_scores&short=";
constexpr char kRecentUploadsAddress[] = HOBRIN_SERVICE_URL "index.cgi?mode=fe_recent";
// Followed by a recording's name and ".zip".
constexpr char kRecordingAddress[] = HOBRIN_SERVICE_URL "inp/";

static_assert(sizeof(HOBRIN_SERVICE_URL) < 400, "the service address must leave room for a request");
