#include "settings/ConversionSettings.h"

#include "engine/ConversionJob.h"
#include "settings/ProfileStore.h"

namespace tavrix {
namespace {
constexpr const char* kSection = "Setting";
} // namespace

void ConversionSettings::Load(ProfileStore& store)
{
    const ConversionSettings defaults;
    m_strDateFormat = store.ReadString(kSection, "DateFormat", defaults.m_strDateFormat.c_str());
    m_nExist = store.ReadInt(kSection, "Exist", defaults.m_nExist);
    m_nDelimiter = store.ReadInt(kSection, "Delimiter", defaults.m_nDelimiter);
    m_strPath = store.ReadString(kSection, "Path", "");
    m_strSymbol = store.ReadString(kSection, "Symbol", "");
    m_strName = store.ReadString(kSection, "Name", "");
    m_bSkipOn = store.ReadInt(kSection, "SkipOn", defaults.m_bSkipOn);
    m_nSkipRows = store.ReadInt(kSection, "SkipRows", defaults.m_nSkipRows);
    m_nDateCol = store.ReadInt(kSection, "DateCol", defaults.m_nDateCol);
    m_bOpenOn = store.ReadInt(kSection, "OpenOn", defaults.m_bOpenOn);
    m_nOpenCol = store.ReadInt(kSection, "OpenCol", defaults.m_nOpenCol);
    m_bHiOn = store.ReadInt(kSection, "HiOn", defaults.m_bHiOn);
    m_nHiCol = store.ReadInt(kSection, "HiCol", defaults.m_nHiCol);
    m_bLoOn = store.ReadInt(kSection, "LoOn", defaults.m_bLoOn);
    m_nLoCol = store.ReadInt(kSection, "LoCol", defaults.m_nLoCol);
    m_nCloCol = store.ReadInt(kSection, "CloCol", defaults.m_nCloCol);
    m_bVolOn = store.ReadInt(kSection, "VolOn", defaults.m_bVolOn);
    m_nVolCol = store.ReadInt(kSection, "VolCol", defaults.m_nVolCol);
    m_bOIOn = store.ReadInt(kSection, "OIOn", defaults.m_bOIOn);
    m_nOICol = store.ReadInt(kSection, "OICol", defaults.m_nOICol);
}

std::string ConversionSettings::Save(ProfileStore& store) const
{
    std::string error;
    if (!store.WriteString(kSection, "DateFormat", m_strDateFormat.c_str()))
        error = store.LastWriteError();
    const struct
    {
        const char* entry;
        int value;
    } integers[] = {
        {"Delimiter", m_nDelimiter}, {"Exist", m_nExist},   {"SkipOn", m_bSkipOn},   {"SkipRows", m_nSkipRows},
        {"DateCol", m_nDateCol},     {"OpenOn", m_bOpenOn}, {"OpenCol", m_nOpenCol}, {"HiOn", m_bHiOn},
        {"HiCol", m_nHiCol},         {"LoOn", m_bLoOn},     {"LoCol", m_nLoCol},     {"CloCol", m_nCloCol},
        {"VolOn", m_bVolOn},         {"VolCol", m_nVolCol}, {"OIOn", m_bOIOn},       {"OICol", m_nOICol},
    };
    for (const auto& integer : integers)
        if (!store.WriteInt(kSection, integer.entry, integer.value) && error.empty())
            error = store.LastWriteError();
    return error;
}

void ConversionSettings::ApplyToJob(ConversionJob& job, const std::string& inputPath, int dateFormat) const
{
    job.m_strInputPath = inputPath;
    job.m_nDateFormat = dateFormat;
    job.SetPath(m_strPath);
    job.SetSymbol(m_strSymbol);
    job.SetName(m_strName);
    job.m_szDelimiter[0] = ',';
    if (m_nDelimiter == 1)
        job.m_szDelimiter[0] = '\t';
    else if (m_nDelimiter == 2)
        job.m_szDelimiter[0] = ' ';
    job.m_szDelimiter[1] = '\0';
    job.m_bSkipOn = m_bSkipOn;
    job.m_nSkipRows = m_nSkipRows;
    job.m_bUseExistingMaster = m_nExist == 0 ? 1 : 0;
    job.m_bFieldOn = {1, m_bOpenOn, m_bHiOn, m_bLoOn, 1, m_bVolOn, m_bOIOn};
    job.m_nFieldCol = {m_nDateCol - 1, m_nOpenCol - 1, m_nHiCol - 1, m_nLoCol - 1,
                       m_nCloCol - 1,  m_nVolCol - 1,  m_nOICol - 1};
}
} // namespace tavrix
