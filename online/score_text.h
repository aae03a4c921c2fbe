// The texts of the Score Properties window, made from one score record.
#pragma once

#include <cstddef>
#include <ctime>

// A value cut toward zero to an integer, saturating at the int range (and 0
// for a value that is not a number), so that no value makes the cut undefined.
int truncateToInt(double value);

// "Uploaded on: " and the time in the fixed form "Www Mmm DD hh:mm:ss YYYY",
// English names whatever the system's language, then a newline. `local` is
// the upload time converted to local time, or null when it could not be.
void formatUploadTime(const std::tm* local, char* text, std::size_t size);
