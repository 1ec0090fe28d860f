#pragma once

#include "marketdata/Fields.h"

#include <array>
#include <string>

namespace tavrix {
class ConversionJob;
class ProfileStore;

// "How to use a Master File in this Directory?"; the stored numbers are the radio buttons' order.
enum class MasterChoice
{
    kNone = -1,       // no button chosen
    kUseExisting = 0, // add to the directory's MASTER, which must exist
    kMakeNew = 1,     // make a MASTER, which must not exist yet
    kAutomatic = 2,   // the directory's MASTER when it has one, a new one when not
};

// "Which Column Delimiter Character?"; the stored numbers are the radio buttons' order.
enum class DelimiterChoice
{
    kNone = -1, // none chosen
    kComma = 0,
    kTab = 1,
    kSpace = 2,
    kSemicolon = 3,
    kPipe = 4,
};

// The decimal mark of the file's numbers.
enum class DecimalChoice
{
    kAutomatic = -1, // read from the file
    kPoint = 0,
    kComma = 1,
};

// Whether a field is converted and from which column (1-based). Date and close are always on.
struct FieldColumn
{
    bool on = true;
    int column = 1;
};

// The user's choices for one conversion, kept in section "Setting" of the profile store: the one
// model that the dialog, the store, the job and the command line read and write.
struct ConversionSettings
{
    std::string m_strDateFormat = "MMDDYY";
    MasterChoice m_nExist = MasterChoice::kUseExisting;
    DelimiterChoice m_nDelimiter = DelimiterChoice::kComma;
    std::string m_strPath;
    std::string m_strSymbol; // Latin-1, as MASTER holds it
    std::string m_strName;   // likewise
    bool m_bSkipOn = false;
    int m_nSkipRows = 0;
    std::array<FieldColumn, kFieldCount> m_fields = {
        {{true, 1}, {true, 2}, {true, 3}, {true, 4}, {true, 5}, {true, 6}, {true, 7}}};
    DecimalChoice m_nDecimal = DecimalChoice::kAutomatic;
    int m_nTimeCol = 0;    // 1-based; 0: none given, a time is found from the file
    bool m_bDaily = false; // several bars a day become one daily bar each day
    // Whether the columns above are the user's own (confirmed in the dialog, or --columns); not
    // stored. When they are not, a header row names the columns, and these stand in only for a
    // file without one.
    bool m_bColumnsGiven = true;
    // With m_bColumnsGiven, the fields the user named (--columns names some, --without drops some);
    // the others are read as the header names them, or from their columns above without one.
    std::array<bool, kFieldCount> m_bFieldNamed = {true, true, true, true, true, true, true};

    FieldColumn& Column(Field field) { return m_fields[field]; }
    const FieldColumn& Column(Field field) const { return m_fields[field]; }
    // The fields switched on, in field order (date and close always).
    std::vector<Field> FieldsOn() const;

    // Reads all entries, each falling back to its default.
    void Load(ProfileStore& store);
    // Writes every entry but "Path", "Symbol" and "Name", which the job stores once it has checked
    // them. Returns why the settings were not kept, or "".
    std::string Save(ProfileStore& store) const;
    // Fills a freshly constructed job for the input file and the date-format code (0 to 12).
    void ApplyToJob(ConversionJob& job, const std::string& inputPath, int dateFormat) const;
};
} // namespace tavrix
