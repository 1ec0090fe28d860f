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

// A plain number text: an optional sign, digits with at most one decimal point, nothing else (no
// exponent, no "inf", no hexadecimal). Locale-independent, rounded once to the nearest single.
NumberRead ReadNumberText(const char* text, std::size_t length, float* value);
} // namespace tavrix
