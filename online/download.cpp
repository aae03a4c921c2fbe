// Downloading a score's zipped recording.
#include "online/download.h"

volatile long cancelRequested = 0;
