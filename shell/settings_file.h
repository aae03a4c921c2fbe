// Reading and writing the settings record as "hobrin.cfg" in the working directory.
#pragma once

// Lays the file's bytes over the record; a missing file leaves it as it is.
void loadSettings();

// Writes the record. The file is replaced only once the new record is on disk
// whole, so a failed save keeps the settings of earlier runs. Returns 0, or
// the system's error code of a save that failed. A read-only settings file
// is the user's way of pinning the options: it is left alone, and that is
// no failure.
unsigned long saveSettings();

// The options kept beside the record in "hobrin.ini" (moreSettings): read
// once at the start; written at the close only when they changed, so a
// player who never ticks them gets no such file. Failures are silent: the
// options are then off at the next start.
void loadMoreSettings();
void saveMoreSettings();
