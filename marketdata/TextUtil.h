#pragma once

#include <cstdint>

namespace tavrix {
// Number of occurrences of `c` in the zero-terminated text.
std::int16_t CountChar(const char* text, char c);

// Removes every trailing space in place; a text of spaces only becomes empty. Returns the new length.
std::int16_t TrimTrailingSpaces(char* text);

// Characters before the k-th occurrence of `separator`, or the whole length when there are fewer.
std::int16_t WordPrefixLength(const char* text, char separator, int k);
} // namespace tavrix
