#pragma once

#include <cstddef>

namespace tavrix {
// What a number text read as.
enum class NumberRead
{
    kOk,
    kNotANumber,
    kTooLarge, // 2^127 or more: a price file's single cannot hold it
    kTooSmall, // not zero, but nearer to zero than a price file's single can hold
};

// The mark between a number's whole part and its fraction; the other one of the two may group
// thousands.
enum class DecimalMark
{
    kPoint,
    kComma,
};

struct NumberStyle
{
    DecimalMark decimal = DecimalMark::kPoint;
    bool amount = false; // volume and open interest: may end in K, M or B (54.11M) or in ".0"
};

// A number text: an optional sign, digits with at most one decimal mark, nothing else (no
// exponent, no "inf", no hexadecimal). Also read: a leading $, € or £ (UTF-8 or Latin-1), the
// other mark between groups of exactly three digits before the decimal mark (1,263.89 or
// 1.263,89), and for amounts a K/M/B suffix or a trailing ".0". Locale-independent; the decimal
// value is rounded once to the nearest single.
NumberRead ReadNumberText(const char* text, std::size_t length, float* value, NumberStyle style = {});

// A time of day written H:MM, HH:MM or HH:MM:SS (a fraction of a second passed over), or as
// the digits HHMM or HHMMSS. Gives HHMMSS as a number, or -1 when the text is no time of day.
int ReadTimeText(const char* text, std::size_t length);
} // namespace tavrix
