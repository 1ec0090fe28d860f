#pragma once

#include <cstddef>

namespace tavrix {
// Reads a number the way "%f" does (white space, sign, digits, point, exponent; stops at the first
// character that cannot continue it), independent of the locale. Text that does not begin with a
// number, and numbers too large or too small for a single, read as 0.
float ReadPriceNumber(const char* text, std::size_t length);
} // namespace tavrix
