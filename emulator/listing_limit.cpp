// How long an emulator may list its games and look for its ROMs. Only this
// file (and online/service.cpp) is compiled for each program, so that a test
// build can wait out its limits in seconds.
#include "emulator/game_list_win.h"
#include "emulator/rom_audit_win.h"

#ifdef HOBRIN_SHORT_WAITS
extern const DWORD kListingLimitMs = 3000;
extern const DWORD kAuditLimitMs = 3000;
#else
extern const DWORD kListingLimitMs = 60000;
// A quarter of an hour: an audit of a full set on a slow disk takes minutes.
extern const DWORD kAuditLimitMs = 900000;
#endif
