#pragma once

#include <functional>

namespace platform {
struct CalendarDate
{
    int year;  // full year, e.g. 2026
    int month; // 1 to 12
    int day;   // 1 to 31
};

using DateSource = std::function<CalendarDate()>;

// Today's date as "MM/DD/YY" into a buffer of at least 9 characters; returns the buffer.
char* _strdate(char* buffer);

// Replaces where today's date comes from (tests fix the conversion day); returns the old source.
// An empty source restores the system clock.
DateSource SetDateSource(DateSource source);
} // namespace platform
