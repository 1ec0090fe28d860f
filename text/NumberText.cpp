#include "text/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

namespace tavrix {
namespace {
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Powers of ten that a single holds exactly.
const float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// MBF's exponent byte holds 2^-128 to just under 2^127.
constexpr float kLargestMagnitude = 1.7014118e38f; // 2^127
// Smaller singles are denormal, which the MBF conversion cannot carry.
constexpr float kSmallestMagnitude = std::numeric_limits<float>::min(); // 2^-126
} // namespace

NumberRead ReadNumberText(const char* text, std::size_t length, float* value)
{
    const char* p = text;
    const char* end = text + length;
    const bool negative = p < end && *p == '-';
    if (p < end && (*p == '+' || *p == '-'))
        ++p;
    const char* digitsStart = p;
    // Plain prices such as 101.25 are read in this one pass: at most 8 significant digits over a
    // power of ten up to 10^10, both exact in a single, so one division rounds correctly.
    std::uint32_t digits = 0;
    int significant = 0;
    int fraction = -1;
    for (; p < end; ++p)
    {
        if (IsDigit(*p))
        {
            if (digits != 0 || *p != '0')
                ++significant;
            if (significant <= 8)
                digits = digits * 10 + static_cast<std::uint32_t>(*p - '0');
            if (fraction >= 0)
                ++fraction;
        }
        else if (*p == '.' && fraction < 0)
            fraction = 0;
        else
            return NumberRead::kNotANumber;
    }
    if (p - digitsStart - (fraction >= 0 ? 1 : 0) <= 0)
        return NumberRead::kNotANumber;
    if (significant <= 8 && digits <= (1u << 24) && fraction <= 10)
    {
        const float plain =
            fraction > 0 ? static_cast<float>(digits) / kPowersOfTen[fraction] : static_cast<float>(digits);
        *value = negative ? -plain : plain;
        return NumberRead::kOk;
    }
    // Long texts go the exact way; from_chars takes no sign of its own but '-'.
    double wide = 0;
    const auto result = std::from_chars(digitsStart, end, wide, std::chars_format::fixed);
    if (result.ptr != end)
        return NumberRead::kNotANumber;
    if (result.ec == std::errc::result_out_of_range || wide >= kLargestMagnitude)
        return NumberRead::kTooLarge;
    float single = 0;
    std::from_chars(digitsStart, end, single, std::chars_format::fixed);
    if (wide != 0 && (std::fabs(single) < kSmallestMagnitude || single == 0))
        return NumberRead::kTooSmall;
    if (std::fabs(single) >= kLargestMagnitude)
        return NumberRead::kTooLarge;
    *value = negative ? -single : single;
    return NumberRead::kOk;
}
} // namespace tavrix
