// The native builds' legacy code page, for tests that run Hobrin as a Windows that ignores the manifest would.
#pragma once

#include "common/shown_text.h"

// Windows code page 1252, the Western one.
extern const LegacyCodePage kCodePage1252;

// Hobrin on a Windows older than version 1903 of Windows 10: its code page
// is the system's, 1252.
inline CodePages codePage1252Program()
{
    return CodePages{false, &kCodePage1252};
}
