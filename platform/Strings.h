#pragma once

#include <string>

namespace platform {
// Compares two texts without regard to ASCII letter case; 0 when equal. Locale-independent, as
// file names and symbols must compare the same on every machine.
int _stricmp(const char* a, const char* b);

// Latin-1 bytes as UTF-8 text, for messages and listings of what MASTER holds.
std::string Latin1ToUtf8(const std::string& text);
// UTF-8 text as Latin-1 bytes; false when a character lies outside Latin-1 or the text is not UTF-8.
bool Utf8ToLatin1(const std::string& text, std::string* latin1);
bool IsValidUtf8(const std::string& text);
} // namespace platform
