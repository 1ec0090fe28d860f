#pragma once

#include <string>

namespace platform {
// Compares two texts without regard to ASCII letter case; 0 when equal. Locale-independent, as
// file names must compare the same on every machine.
int _stricmp(const char* a, const char* b);

// Compares two Latin-1 texts without regard to letter case, accented letters included (À and à):
// the rule for symbols and names, which MASTER holds in Latin-1.
bool EqualNoCaseLatin1(const std::string& a, const std::string& b);

// Letters in capitals: a to z, and the Latin-1 letters à to þ (not ß or ÿ, which have no capital
// in Latin-1).
std::string UpperLatin1(std::string text);
// Letters a to z in capitals, whatever the locale.
std::string UpperAscii(std::string text);

// Removes trailing characters found in `characters` (by default the space).
std::string TrimRight(std::string text, const char* characters = " ");
// Removes the space and the control characters 9 to 13 from the end.
std::string TrimRightWhite(std::string text);
// Removes them from both ends.
std::string TrimWhite(std::string text);

// Latin-1 bytes as UTF-8 text, for messages and listings of what MASTER holds.
std::string Latin1ToUtf8(const std::string& text);
bool IsValidUtf8(const std::string& text);
// Characters of a UTF-8 text (bytes that are no UTF-8 count one each), for limits that count characters.
std::size_t CharacterCount(const std::string& utf8);
} // namespace platform
