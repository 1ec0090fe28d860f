#pragma once

#include "settings/ConversionSettings.h"
#include "text/Detection.h"

namespace tavrix {
// What the settings give of a file's reading (the rest is read from the file): the delimiter
// unless none is chosen, the decimal mark unless automatic, the columns when they are the user's
// own (else they stand in for a file without a header), the time column, the date layout unless
// `dateFormat` is ConversionJob::kAutoDateFormat, and the rows to skip when switched on.
GivenReading GivenReadingOf(const ConversionSettings& settings, int dateFormat);

// Settings that read the file as `reading` does: its delimiter, decimal mark, columns (fields it
// does not store are switched off), time column, date layout and the rows before its data.
void ApplyReading(const Reading& reading, ConversionSettings* settings);
} // namespace tavrix
