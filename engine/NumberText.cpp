#include "engine/NumberText.h"

#include <charconv>
#include <cstdint>
#include <system_error>

namespace tavrix {
namespace {
bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

const float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// Plain prices such as 101.25: a whole number of at most 2^24 over a power of ten up to 10^10,
// both exact in a single, so one division rounds correctly. Anything else goes the long way.
bool ReadPlainDecimal(const char* p, const char* end, float* value)
{
    std::uint32_t digits = 0;
    int significant = 0;
    int fraction = -1;
    for (; p < end; ++p)
    {
        if (IsDigit(*p))
        {
            if (digits != 0 || *p != '0')
                ++significant;
            digits = digits * 10 + static_cast<std::uint32_t>(*p - '0');
            if (significant > 8)
                return false;
            if (fraction >= 0)
                ++fraction;
        }
        else if (*p == '.' && fraction < 0)
            fraction = 0;
        else if (*p == 'e' || *p == 'E')
            return false;
        else
            break;
    }
    if (digits > (1u << 24) || fraction > 10)
        return false;
    *value = fraction > 0 ? static_cast<float>(digits) / kPowersOfTen[fraction] : static_cast<float>(digits);
    return true;
}
} // namespace

float ReadPriceNumber(const char* text, std::size_t length)
{
    const char* end = text + length;
    while (text < end && IsSpace(*text))
        ++text;
    bool negative = false;
    if (text < end && (*text == '+' || *text == '-'))
        negative = *text++ == '-';
    // Only decimal digits start a number: no "inf", "nan" or hexadecimal.
    const bool digitFirst = (text < end && IsDigit(text[0])) || (end - text >= 2 && text[0] == '.' && IsDigit(text[1]));
    if (!digitFirst)
        return 0.0f;
    float value = 0.0f;
    if (!ReadPlainDecimal(text, end, &value))
    {
        const auto result = std::from_chars(text, end, value, std::chars_format::general);
        if (result.ec != std::errc())
            return 0.0f;
    }
    return negative ? -value : value;
}
} // namespace tavrix
