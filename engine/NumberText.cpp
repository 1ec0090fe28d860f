#include "engine/NumberText.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <system_error>

namespace tavrix
{
float ReadPriceNumber(const char* text)
{
    while (std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    // Only decimal digits start a number: no "inf", "nan" or hexadecimal.
    const bool digitFirst = std::isdigit(static_cast<unsigned char>(text[0])) ||
                            (text[0] == '.' && std::isdigit(static_cast<unsigned char>(text[1])));
    if (!digitFirst)
        return 0.0f;
    float value = 0.0f;
    const auto result = std::from_chars(text, text + std::strlen(text), value, std::chars_format::general);
    if (result.ec != std::errc())
        return 0.0f;
    return negative ? -value : value;
}
} // namespace tavrix
