#pragma once

#include "marketdata/Securities.h"
#include "settings/ConversionSettings.h"
#include "text/Detection.h"
#include "text/InputText.h"

#include <memory>
#include <string>

// What the settings dialog learns from the file it is opened for, on top of the text library's
// detection and the settings' reading choices.
namespace reading {
// Why `settings` with the date-format code do not read every row of `input` as a price line
// ("2 of 262 rows would be left out"), or "" when they do.
std::string ReadingProblem(const tavrix::InputText& input, const tavrix::ConversionSettings& settings, int dateFormat);

// Reads delimiter, header, columns, date layout, decimal mark and time from the file alone and
// puts them into `settings`; returns detection's description ("Read as: ..."), or leaves the
// settings alone and sets `error` when the file reads two ways.
// `preferredDateFormat` (0: none) is taken when the dates read several ways.
std::string FillFromFile(const tavrix::InputText& input, tavrix::ConversionSettings* settings, std::string* error,
                         int preferredDateFormat = 0);

// The file's header as detection finds it (line 0 when it has none).
tavrix::Header HeaderOf(const tavrix::InputText& input);

// The whole file, or an empty text with `error` set.
std::shared_ptr<const tavrix::InputText> ReadFile(const std::string& path, std::string* error);
} // namespace reading

// What the settings dialog knows of the output directory before anything is written.
namespace target {
// The security `symbol` names (as a duplicate check matches it): of the directory's own MASTER
// only, or of its whole tree.
bool FindSecurity(const std::string& directory, const std::string& symbol, bool ownMasterOnly, tavrix::Security* found);
// Whether the directory holds a MASTER (in any letter case).
bool HasMaster(const std::string& directory);
} // namespace target
