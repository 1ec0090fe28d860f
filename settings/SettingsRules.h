#pragma once

#include "marketdata/Master.h"
#include "settings/ConversionSettings.h"

#include <string>

namespace tavrix {
// The limits and messages the settings dialog applies, shared with the command-line converter.
namespace rules {
constexpr int kMinColumn = 1;
constexpr int kMaxColumn = 20;
constexpr int kMinSkipRows = 0;
constexpr int kMaxSkipRows = 200;
constexpr std::size_t kMaxPathLength = 200; // characters, not bytes
constexpr std::size_t kMaxSymbolLength = kRecTextWidth;
constexpr std::size_t kMaxNameLength = kRecTextWidth;
constexpr std::size_t kMaxDateFormatLength = 12;

constexpr const char* kDuplicateColumns = "Duplicate columns specified\nCorrect or disable";
constexpr const char* kInvalidSymbol = "You did not enter a valid symbol";
constexpr const char* kEnterPath = "Please enter path";
constexpr const char* kPositiveInteger = "Please enter a positive integer.";
constexpr const char* kChooseDateFormat = "Please choose a date format from the list.";
constexpr const char* kNotUtf8 = "Please enter the text in UTF-8.";
constexpr const char* kNoControlCharacters = "Please do not use tabs, line breaks or other control characters.";
constexpr const char* kNameMarksDirectory =
    "A name that ends in <DIR> at its 16th character would make the security a sub-directory entry.";

// "Please enter an integer between 1 and 20."
std::string RangePrompt(int low, int high);
// "Please enter no more than 16 characters."
std::string MaxCharsPrompt(std::size_t limit);

// True when MASTER would read a record with this name (Latin-1) as a sub-directory entry.
bool NameMarksDirectory(const std::string& name);
// True when two switched-on fields (date and close always) share a column.
bool HasDuplicateColumns(const ConversionSettings& settings);
// The duplicate-columns message naming the first two fields that share a column, e.g.
// "Duplicate columns specified\nDate and Close both use column 1\nCorrect or disable"; "" when none do.
std::string DuplicateColumnsMessage(const ConversionSettings& settings);
// A symbol or name given as UTF-8, as MASTER holds it: Latin-1, one byte per character. Returns
// "" and sets *latin1, or the prompt that says why the text cannot be stored there.
std::string ToMasterText(const std::string& utf8, std::string* latin1);
// The notes for what some readers would show differently from what a conversion with these settings
// writes: the fields, when readers that go by the field count take them for others, and a symbol
// (Latin-1, as MASTER holds it) longer than they show. One line each, without a final line break;
// "" when there is nothing to say.
std::string FieldSetNote(const ConversionSettings& settings);
std::string FieldSetNote(const std::vector<Field>& fields, const std::string& symbol);

// The dialog's checks in its order: ranges and lengths as fields are read, then duplicate columns,
// the symbol and the path. Returns the first message, or "" when the settings are accepted. On
// acceptance the symbol is trimmed at the right and upper-cased (Latin-1 letters too), as the
// dialog leaves it.
std::string CheckSettings(ConversionSettings& settings);
} // namespace rules
} // namespace tavrix
