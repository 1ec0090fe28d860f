#pragma once

namespace platform {
// Compares two texts without regard to ASCII letter case; 0 when equal. Locale-independent, as
// file names and symbols must compare the same on every machine.
int _stricmp(const char* a, const char* b);
} // namespace platform
