#pragma once

#include "settings/ConversionSettings.h"
#include "text/Detection.h"

namespace tavrix {
// What the settings give of a file's reading (the rest is read from the file): the delimiter
// unless none is chosen, the decimal mark unless automatic, the columns when they are the user's
// own (else they stand in for a file without a header), the time column, the date layout unless
// `dateFormat` is ConversionJob::kAutoDateFormat, and the rows to skip when switched on.
GivenReading GivenReadingOf(const ConversionSettings& settings, int dateFormat);

// For files from different places: what `given` forces becomes what stands in where the file does
// not say. Its columns and time serve a file without a header, its date layout settles dates that
// read several ways; the delimiter, decimal mark and rows to skip are each file's own.
GivenReading FileSaysFirst(const GivenReading& given);

// Settings that read the file as `reading` does: its delimiter, decimal mark, columns (fields it
// does not store are switched off), time column, date layout and the rows before its data.
void ApplyReading(const Reading& reading, ConversionSettings* settings);
} // namespace tavrix
