// How long an emulator may take to list its games. Only this file is compiled for each program.
#include "emulator/game_list_win.h"

#ifndef HOBRIN_LISTING_LIMIT_MS
#define HOBRIN_LISTING_LIMIT_MS 60000
#endif

extern const DWORD kListingLimitMs = HOBRIN_LISTING_LIMIT_MS;
