#pragma once

#include "marketdata/PriceFile.h"
#include "marketdata/Status.h"

#include <array>
#include <string>
#include <vector>

namespace tavrix {
// The F<n>.DOP text: one line per switched-on field, "LABEL",0,0 for the date and "LABEL",4,4 for
// the others, each ending in CR LF as on Windows.
std::string FieldLayoutText(const std::array<int, kFieldCount>& fieldOn);

// Creates or empties `path` and writes the layout. kStatusFileOpen or kStatusFileWrite on failure.
Status WriteFieldLayoutFile(const std::string& path, const std::array<int, kFieldCount>& fieldOn);

// The fields a layout file names, in its order; kStatusFileOpen when it cannot be read,
// kStatusInvalidParm when a line names no field.
Status ReadFieldLayoutFile(const std::string& path, std::vector<Field>* fields);

// The usual fields of a price record with this many fields when no layout file says otherwise.
std::vector<Field> DefaultFieldsForCount(int fieldCount);
} // namespace tavrix
