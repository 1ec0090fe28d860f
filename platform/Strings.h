#pragma once

#include <string>

namespace platform {
// Compares two texts without regard to ASCII letter case; 0 when equal. Locale-independent, as
// file names and symbols must compare the same on every machine.
int _stricmp(const char* a, const char* b);

// Latin-1 bytes as UTF-8 text, for messages and listings of what MASTER holds.
std::string Latin1ToUtf8(const std::string& text);
bool IsValidUtf8(const std::string& text);
} // namespace platform
