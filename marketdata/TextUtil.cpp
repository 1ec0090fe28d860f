#include "marketdata/TextUtil.h"

#include <cstring>

namespace tavrix {
namespace {
std::int16_t Clamp16(std::size_t n)
{
    return static_cast<std::int16_t>(n > 32767 ? 32767 : n);
}
} // namespace

std::int16_t CountChar(const char* text, char c)
{
    std::size_t count = 0;
    for (; text && *text; ++text)
        if (*text == c)
            ++count;
    return Clamp16(count);
}

std::int16_t TrimTrailingSpaces(char* text)
{
    if (!text)
        return 0;
    std::size_t length = std::strlen(text);
    while (length > 0 && text[length - 1] == ' ')
        text[--length] = '\0';
    return Clamp16(length);
}

std::int16_t WordPrefixLength(const char* text, char separator, int k)
{
    if (!text)
        return 0;
    std::size_t i = 0;
    int seen = 0;
    for (; text[i]; ++i)
        if (text[i] == separator && ++seen == k)
            return Clamp16(i);
    return Clamp16(i);
}

} // namespace tavrix
