#pragma once

#include <string>

namespace tavrix {
class ConversionJob;
class ProfileStore;

// The user's choices for one conversion, kept in section "Setting" of the profile store.
// Column numbers here are 1-based; the job's are 0-based.
struct ConversionSettings
{
    std::string m_strDateFormat = "MMDDYY";
    int m_nExist = 0;     // 0 "Use Existing Master", 1 "Make New Master", -1 neither
    int m_nDelimiter = 0; // 0 comma, 1 tab, 2 space, -1 none chosen
    std::string m_strPath;
    std::string m_strSymbol;
    std::string m_strName;
    int m_bSkipOn = 0;
    int m_nSkipRows = 0;
    int m_nDateCol = 1;
    int m_bOpenOn = 1;
    int m_nOpenCol = 2;
    int m_bHiOn = 1;
    int m_nHiCol = 3;
    int m_bLoOn = 1;
    int m_nLoCol = 4;
    int m_nCloCol = 5;
    int m_bVolOn = 1;
    int m_nVolCol = 6;
    int m_bOIOn = 1;
    int m_nOICol = 7;

    // Reads all twenty entries, each falling back to its default.
    void Load(ProfileStore& store);
    // Writes seventeen entries; "Path", "Symbol" and "Name" are stored by the job once it has
    // checked them. Returns why the settings were not kept, or "".
    std::string Save(ProfileStore& store) const;
    // Fills a freshly constructed job for the input file and the date-format code (0 to 12).
    void ApplyToJob(ConversionJob& job, const std::string& inputPath, int dateFormat) const;
};
} // namespace tavrix
