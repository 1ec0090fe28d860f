#include "platform/Clock.h"

#include <cstdio>
#include <ctime>
#include <utility>

namespace platform {
namespace {
DateSource& Source()
{
    static DateSource source;
    return source;
}

CalendarDate SystemToday()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}
} // namespace

char* _strdate(char* buffer)
{
    const CalendarDate today = Source() ? Source()() : SystemToday();
    // Each part is cut to two digits so the text is always exactly eight characters.
    std::snprintf(buffer, 9, "%02d/%02d/%02d", (today.month % 100 + 100) % 100, (today.day % 100 + 100) % 100,
                  (today.year % 100 + 100) % 100);
    return buffer;
}

DateSource SetDateSource(DateSource source)
{
    return std::exchange(Source(), std::move(source));
}
} // namespace platform
