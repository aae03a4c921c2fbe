// How long an emulator may list its games and look for its ROMs. Only this file is compiled for each program.
#include "emulator/game_list_win.h"
#include "emulator/rom_audit_win.h"

#ifndef HOBRIN_LISTING_LIMIT_MS
#define HOBRIN_LISTING_LIMIT_MS 60000
#endif
// A quarter of an hour: an audit of a full set on a slow disk takes minutes.
#ifndef HOBRIN_AUDIT_LIMIT_MS
#define HOBRIN_AUDIT_LIMIT_MS 900000
#endif

extern const DWORD kListingLimitMs = HOBRIN_LISTING_LIMIT_MS;
extern const DWORD kAuditLimitMs = HOBRIN_AUDIT_LIMIT_MS;
