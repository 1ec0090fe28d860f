#include "settings/SettingsRules.h"

#include "marketdata/DirectoryCheck.h"
#include "platform/Strings.h"

namespace tavrix {
namespace rules {
std::string RangePrompt(int low, int high)
{
    return "Please enter an integer between " + std::to_string(low) + " and " + std::to_string(high) + ".";
}

std::string MaxCharsPrompt(std::size_t limit)
{
    return "Please enter no more than " + std::to_string(limit) + " characters.";
}

bool HasDuplicateColumns(const ConversionSettings& s)
{
    return !DuplicateColumnsMessage(s).empty();
}

std::string DuplicateColumnsMessage(const ConversionSettings& s)
{
    const char* taken[kMaxColumn + 1] = {};
    // Date and close first: they are always converted, so they keep their columns.
    for (const Field field :
         {kFieldDate, kFieldClose, kFieldOpen, kFieldHigh, kFieldLow, kFieldVolume, kFieldOpenInterest})
    {
        const FieldColumn& column = s.Column(field);
        const bool on = column.on || field == kFieldDate || field == kFieldClose;
        // Of columns named in part, the others are found from the file and cannot clash.
        const bool named = !s.m_bColumnsGiven || s.m_bFieldNamed[field];
        if (!on || !named || column.column < kMinColumn || column.column > kMaxColumn)
            continue;
        const char* caption = NamesOf(field).caption;
        if (taken[column.column])
            return std::string("Duplicate columns specified\n") + taken[column.column] + " and " + caption +
                   " both use column " + std::to_string(column.column) + "\nCorrect or disable";
        taken[column.column] = caption;
    }
    return "";
}

std::string ToMasterText(const std::string& utf8, std::string* latin1)
{
    std::string text;
    for (std::size_t i = 0; i < utf8.size();)
    {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80                   ? 1
                                   : lead >= 0xC2 && lead < 0xE0 ? 2
                                   : lead >= 0xE0 && lead < 0xF5 ? 3 + (lead >= 0xF0)
                                                                 : 0;
        unsigned long code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k)
        {
            const auto next = i + k < utf8.size() ? static_cast<unsigned char>(utf8[i + k]) : 0u;
            if ((next & 0xC0) != 0x80)
                return kNotUtf8;
            code = code << 6 | (next & 0x3F);
        }
        // Overlong forms and surrogates are no characters at all.
        static const unsigned long kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (length == 0 || code < kLeast[length] || (code >= 0xD800 && code < 0xE000) || code > 0x10FFFF)
            return kNotUtf8;
        if (code > 0xFF)
            return "\"" + utf8.substr(i, length) +
                   "\" cannot be stored: please use only Western European letters and signs (Latin-1).";
        if (code < 0x20 || (code >= 0x7F && code < 0xA0))
            return kNoControlCharacters;
        text += static_cast<char>(code);
        i += length;
    }
    *latin1 = text;
    return "";
}

bool NameMarksDirectory(const std::string& name)
{
    std::string field = name.substr(0, kMaxNameLength);
    field.resize(kMaxNameLength, ' ');
    return field[0] != ' ' && field.compare(kRecDirMarker - kRecName, 5, "<DIR>") == 0;
}

std::string CheckSettings(ConversionSettings& s)
{
    // Exchange order: columns as they appear, then name, path, symbol, skip rows, date format.
    for (const FieldColumn& column : s.m_fields)
        if (column.column < kMinColumn || column.column > kMaxColumn)
            return RangePrompt(kMinColumn, kMaxColumn);
    if (s.m_strName.size() > kMaxNameLength)
        return MaxCharsPrompt(kMaxNameLength);
    if (NameMarksDirectory(s.m_strName))
        return kNameMarksDirectory;
    if (platform::CharacterCount(s.m_strPath) > kMaxPathLength)
        return MaxCharsPrompt(kMaxPathLength);
    if (s.m_strSymbol.size() > kMaxSymbolLength)
        return MaxCharsPrompt(kMaxSymbolLength);
    if (s.m_nSkipRows < kMinSkipRows || s.m_nSkipRows > kMaxSkipRows)
        return RangePrompt(kMinSkipRows, kMaxSkipRows);
    if (s.m_strDateFormat.size() > kMaxDateFormatLength)
        return MaxCharsPrompt(kMaxDateFormatLength);
    if (HasDuplicateColumns(s))
        return DuplicateColumnsMessage(s);
    const std::string symbol = platform::UpperLatin1(platform::TrimRightWhite(s.m_strSymbol));
    if (symbol.empty())
        return kInvalidSymbol;
    if (platform::TrimRightWhite(s.m_strPath).empty())
        return kEnterPath;
    s.m_strSymbol = symbol;
    return "";
}
std::string FieldSetNote(const ConversionSettings& settings)
{
    return FieldSetNote(settings.FieldsOn(), settings.m_strSymbol);
}

std::string FieldSetNote(const std::vector<Field>& fields, const std::string& symbolText)
{
    std::string note;
    if (const std::string misread = MisreadFieldsNote(fields); !misread.empty())
        note = "Note: the security holds " + FieldWords(fields) + "; " + misread + ".";
    // MASTER keeps 16 symbol characters, but readers that take it from 14 bytes cut it there.
    const std::string symbol = platform::UpperLatin1(platform::TrimRightWhite(symbolText));
    if (symbol.size() > static_cast<std::size_t>(kShownSymbolWidth))
        note += std::string(note.empty() ? "" : "\n") + "Note: the symbol " + platform::Latin1ToUtf8(symbol) + " has " +
                std::to_string(symbol.size()) + " characters; some readers show only the first " +
                std::to_string(kShownSymbolWidth) + ", " + platform::Latin1ToUtf8(symbol.substr(0, kShownSymbolWidth)) +
                ".";
    return note;
}
} // namespace rules
} // namespace tavrix
