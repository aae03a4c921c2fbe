// Reading and writing the settings record as "hobrin.cfg" in the working directory.
#pragma once

// Lays the file's bytes over the record; a missing file leaves it as it is.
void loadSettings();

// Writes the record. The file is replaced only once the new record is on disk
// whole, so a failed save keeps the settings of earlier runs. Failure is silent.
void saveSettings();
