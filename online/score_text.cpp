// The texts of the Score Properties window, made from one score record.
#include "online/score_text.h"

#include "common/bounded_text.h"

#include <climits>

int truncateToInt(double value)
{
    if (!(value == value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

void formatUploadTime(const std::tm* local, char* text, std::size_t size)
{
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    bool valid = local && local->tm_wday >= 0 && local->tm_wday < 7 && local->tm_mon >= 0 && local->tm_mon < 12;
    if (!valid) {
        copyText(text, size, "Uploaded on: unknown date\n");
        return;
    }
    formatText(text, size, "Uploaded on: %s %s %02d %02d:%02d:%02d %d\n", days[local->tm_wday], months[local->tm_mon],
               local->tm_mday, local->tm_hour, local->tm_min, local->tm_sec, local->tm_year + 1900);
}
