#pragma once

#include "marketdata/Fields.h"
#include "marketdata/Master.h"

#include <string>
#include <vector>

namespace tavrix {
// The F<n>.DOP text: one line per field, "LABEL",0,0 for the date and "LABEL",4,4 for the
// others, each ending in CR LF as on Windows.
std::string FieldLayoutText(const std::vector<Field>& fields);

// The fields a layout file names, in its order: "" on success, else why not.
std::string ReadFieldLayoutFile(const std::string& path, std::vector<Field>* fields);

// What the records of the MASTER security `record` in `directory` hold: its F<n>.DOP's fields when
// that file names as many as MASTER counts, else the usual ones for the count.
RecordLayout MasterRecordLayout(const std::string& directory, const MasterRecord& record);
} // namespace tavrix
