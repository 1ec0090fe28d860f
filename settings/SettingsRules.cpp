#include "settings/SettingsRules.h"

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
    bool taken[kMaxColumn + 1] = {};
    bool duplicate = false;
    const struct
    {
        bool on;
        int column;
    } fields[] = {{true, s.m_nDateCol},         {true, s.m_nCloCol},          {s.m_bOpenOn != 0, s.m_nOpenCol},
                  {s.m_bHiOn != 0, s.m_nHiCol}, {s.m_bLoOn != 0, s.m_nLoCol}, {s.m_bVolOn != 0, s.m_nVolCol},
                  {s.m_bOIOn != 0, s.m_nOICol}};
    for (const auto& field : fields)
    {
        if (!field.on || field.column < kMinColumn || field.column > kMaxColumn)
            continue;
        duplicate = duplicate || taken[field.column];
        taken[field.column] = true;
    }
    return duplicate;
}

std::string TrimRightWhite(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || (text.back() >= 9 && text.back() <= 13)))
        text.pop_back();
    return text;
}

std::string UpperCaseAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string CheckSettings(ConversionSettings& s)
{
    // Exchange order: columns as they appear, then name, path, symbol, skip rows, date format.
    for (const int column : {s.m_nDateCol, s.m_nOpenCol, s.m_nHiCol, s.m_nLoCol, s.m_nCloCol, s.m_nVolCol, s.m_nOICol})
        if (column < kMinColumn || column > kMaxColumn)
            return RangePrompt(kMinColumn, kMaxColumn);
    if (s.m_strName.size() > kMaxNameLength)
        return MaxCharsPrompt(kMaxNameLength);
    if (s.m_strPath.size() > kMaxPathLength)
        return MaxCharsPrompt(kMaxPathLength);
    if (s.m_strSymbol.size() > kMaxSymbolLength)
        return MaxCharsPrompt(kMaxSymbolLength);
    if (s.m_nSkipRows < kMinSkipRows || s.m_nSkipRows > kMaxSkipRows)
        return RangePrompt(kMinSkipRows, kMaxSkipRows);
    if (s.m_strDateFormat.size() > kMaxDateFormatLength)
        return MaxCharsPrompt(kMaxDateFormatLength);
    if (HasDuplicateColumns(s))
        return kDuplicateColumns;
    const std::string symbol = UpperCaseAscii(TrimRightWhite(s.m_strSymbol));
    if (symbol.empty())
        return kInvalidSymbol;
    if (TrimRightWhite(s.m_strPath).empty())
        return kEnterPath;
    s.m_strSymbol = symbol;
    return "";
}
} // namespace rules
} // namespace tavrix
