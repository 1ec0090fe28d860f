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

// A row holds at most 299 characters, so a number's plain form fits.
constexpr std::size_t kPlainRoom = 320;

// Reads a plain decimal text ("-1234.5", "5411e4") with one rounding to a single.
NumberRead ReadPlain(const char* begin, const char* end, float* value)
{
    double wide = 0;
    const auto result = std::from_chars(begin, end, wide, std::chars_format::general);
    if (result.ptr != end)
        return NumberRead::kNotANumber;
    if (result.ec == std::errc::result_out_of_range)
    {
        // Past a double either way: too large when a digit other than 0 comes before the point.
        for (const char* p = begin; p < end && *p != '.' && *p != 'e'; ++p)
            if (*p >= '1' && *p <= '9')
                return NumberRead::kTooLarge;
        return NumberRead::kTooSmall;
    }
    if (std::fabs(wide) >= kLargestMagnitude)
        return NumberRead::kTooLarge;
    float single = 0;
    std::from_chars(begin, end, single, std::chars_format::general);
    if (wide != 0 && (std::fabs(single) < kSmallestMagnitude || single == 0))
        return NumberRead::kTooSmall;
    if (std::fabs(single) >= kLargestMagnitude)
        return NumberRead::kTooLarge;
    *value = single;
    return NumberRead::kOk;
}

// $, £ or € first, in UTF-8 or in Latin-1 (Windows' 0x80 for the euro); the position after it.
const char* SkipCurrency(const char* p, const char* end)
{
    const auto at = [&](std::size_t i) { return p + i < end ? static_cast<unsigned char>(p[i]) : 0u; };
    std::size_t sign = 0;
    if (at(0) == '$' || at(0) == 0xA3 || at(0) == 0x80)
        sign = 1;
    else if (at(0) == 0xC2 && at(1) == 0xA3)
        sign = 2;
    else if (at(0) == 0xE2 && at(1) == 0x82 && at(2) == 0xAC)
        sign = 3;
    p += sign;
    while (sign > 0 && p < end && *p == ' ')
        ++p;
    return p;
}

// The slow way, for texts the plain loop does not take: currency, thousands groups, the decimal
// comma with groups, amounts with a suffix. Whatever else is in the text makes it no number.
NumberRead ReadWrittenNumber(const char* p, const char* end, float* value, NumberStyle style)
{
    const char mark = style.decimal == DecimalMark::kComma ? ',' : '.';
    const char group = mark == ',' ? '.' : ',';
    if (style.amount && mark == ',' && end - p >= 2 && end[-2] == '.' && end[-1] == '0' &&
        std::char_traits<char>::find(p, static_cast<std::size_t>(end - p - 2), '.') == nullptr)
        end -= 2; // "1234.0": a whole amount written as a float
    if (static_cast<std::size_t>(end - p) + 4 > kPlainRoom)
        return NumberRead::kNotANumber;

    char plain[kPlainRoom];
    std::size_t n = 0;
    bool negative = false;
    const auto takeSign = [&] {
        if (p < end && (*p == '+' || *p == '-'))
        {
            negative = *p++ == '-';
            return true;
        }
        return false;
    };
    const bool signFirst = takeSign();
    const char* afterCurrency = SkipCurrency(p, end);
    const bool currency = afterCurrency != p;
    p = afterCurrency;
    if (currency && !signFirst)
        takeSign(); // "$-5" as well as "-$5"
    if (negative)
        plain[n++] = '-';

    int digits = 0;
    int run = 0;
    bool grouped = false;
    for (; p < end && (IsDigit(*p) || *p == group); ++p)
    {
        if (*p == group)
        {
            if (run == 0 || run > 3 || (grouped && run != 3))
                return NumberRead::kNotANumber;
            grouped = true;
            run = 0;
            continue;
        }
        plain[n++] = *p;
        ++run;
        ++digits;
    }
    if (grouped && run != 3)
        return NumberRead::kNotANumber;
    if (p < end && *p == mark)
    {
        plain[n++] = '.';
        for (++p; p < end && IsDigit(*p); ++p, ++digits)
            plain[n++] = *p;
    }
    if (digits == 0)
        return NumberRead::kNotANumber;
    if (style.amount && p < end && (*p == 'K' || *p == 'M' || *p == 'B'))
    {
        plain[n++] = 'e';
        plain[n++] = *p == 'K' ? '3' : *p == 'M' ? '6' : '9';
        ++p;
    }
    if (p != end)
        return NumberRead::kNotANumber;
    return ReadPlain(plain, plain + n, value);
}
} // namespace

NumberRead ReadNumberText(const char* text, std::size_t length, float* value, NumberStyle style)
{
    const char mark = style.decimal == DecimalMark::kComma ? ',' : '.';
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
        else if (*p == mark && fraction < 0)
            fraction = 0;
        else
            return ReadWrittenNumber(text, end, value, style);
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
    return ReadWrittenNumber(text, end, value, style);
}

int ReadTimeText(const char* text, std::size_t length)
{
    const char* p = text;
    const char* end = text + length;
    const auto pair = [&](int* part) {
        if (end - p < 2 || !IsDigit(p[0]) || !IsDigit(p[1]))
            return false;
        *part = (p[0] - '0') * 10 + (p[1] - '0');
        p += 2;
        return true;
    };
    int hour = 0;
    int minute = 0;
    int second = 0;
    const char* colon = std::char_traits<char>::find(text, length, ':');
    if (colon)
    {
        if (colon - p < 1 || colon - p > 2 || !IsDigit(p[0]) || !IsDigit(colon[-1]))
            return -1;
        hour = colon - p == 1 ? p[0] - '0' : (p[0] - '0') * 10 + (p[1] - '0');
        p = colon + 1;
        if (!pair(&minute))
            return -1;
        if (p < end && *p == ':')
        {
            ++p;
            if (!pair(&second))
                return -1;
            if (p < end && *p == '.')
                for (++p; p < end && IsDigit(*p);)
                    ++p;
        }
    }
    else if ((length != 4 && length != 6) || !pair(&hour) || !pair(&minute) || (length == 6 && !pair(&second)))
        return -1;
    if (p != end || hour > 23 || minute > 59 || second > 59)
        return -1;
    return hour * 10000 + minute * 100 + second;
}
} // namespace tavrix
