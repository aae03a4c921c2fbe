// How long an emulator may take to list its games. Only this file (and
// online/service.cpp) is compiled for each program, so that a test build
// can wait out its limit in seconds.
#include "emulator/game_list_win.h"

#ifdef HOBRIN_SHORT_WAITS
extern const DWORD kListingLimitMs = 3000;
#else
extern const DWORD kListingLimitMs = 60000;
#endif
