#pragma once

#include "marketdata/Securities.h"

#include <ostream>
#include <string>

namespace tavrix {
// One security's price records as CSV: a heading line ("Date,Time,Open,...", the fields it holds),
// then one line per record, oldest first, with ISO dates, times as 09:30:00 and each value as the
// shortest text that reads back as the same single. "" on success, else why the records could not
// be read (nothing is written then).
std::string WriteSecurityCsv(const Security& security, std::ostream& out);
// The same for bars not yet stored.
void WriteBarsCsv(const RecordLayout& layout, const std::vector<PriceBar>& bars, std::ostream& out);

// The shortest text without an exponent that reads back as the same single (0.1, 0.0001, 30000000).
std::string ShortestText(float value);
} // namespace tavrix
