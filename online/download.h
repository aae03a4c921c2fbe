// Downloading a score's zipped recording.
#pragma once

// Set by the download window's Cancel, tested by the download worker before
// each read. Cleared by the entry before any window exists.
extern volatile long cancelRequested;
