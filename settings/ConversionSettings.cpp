#include "settings/ConversionSettings.h"

#include "engine/ConversionJob.h"
#include "settings/ProfileStore.h"

namespace tavrix {
namespace {
constexpr const char* kSection = "Setting";

// The entries of each field's switch and column; date and close have no switch.
struct FieldEntries
{
    const char* on;
    const char* column;
};
const FieldEntries kFieldEntries[kFieldCount] = {
    {nullptr, "DateCol"}, {"OpenOn", "OpenCol"}, {"HiOn", "HiCol"}, {"LoOn", "LoCol"},
    {nullptr, "CloCol"},  {"VolOn", "VolCol"},   {"OIOn", "OICol"},
};
} // namespace

std::vector<Field> ConversionSettings::FieldsOn() const
{
    std::vector<Field> fields;
    for (int field = 0; field < kFieldCount; ++field)
        if (m_fields[field].on || field == kFieldDate || field == kFieldClose)
            fields.push_back(static_cast<Field>(field));
    return fields;
}

void ConversionSettings::Load(ProfileStore& store)
{
    const ConversionSettings defaults;
    m_strDateFormat = store.ReadString(kSection, "DateFormat", defaults.m_strDateFormat.c_str());
    m_nExist = static_cast<MasterChoice>(store.ReadInt(kSection, "Exist", static_cast<int>(defaults.m_nExist)));
    m_nDelimiter =
        static_cast<DelimiterChoice>(store.ReadInt(kSection, "Delimiter", static_cast<int>(defaults.m_nDelimiter)));
    m_strPath = store.ReadString(kSection, "Path", "");
    m_strSymbol = store.ReadString(kSection, "Symbol", "");
    m_strName = store.ReadString(kSection, "Name", "");
    m_bSkipOn = store.ReadInt(kSection, "SkipOn", defaults.m_bSkipOn) != 0;
    m_nDecimal = static_cast<DecimalChoice>(store.ReadInt(kSection, "Decimal", static_cast<int>(defaults.m_nDecimal)));
    m_nTimeCol = store.ReadInt(kSection, "TimeCol", defaults.m_nTimeCol);
    m_bDaily = store.ReadInt(kSection, "Daily", defaults.m_bDaily) != 0;
    m_nSkipRows = store.ReadInt(kSection, "SkipRows", defaults.m_nSkipRows);
    for (int field = 0; field < kFieldCount; ++field)
    {
        const FieldEntries& entries = kFieldEntries[field];
        m_fields[field].column = store.ReadInt(kSection, entries.column, defaults.m_fields[field].column);
        m_fields[field].on = !entries.on || store.ReadInt(kSection, entries.on, defaults.m_fields[field].on) != 0;
    }
}

std::string ConversionSettings::Save(ProfileStore& store) const
{
    std::string error;
    const auto keep = [&store, &error](bool written) {
        if (!written && error.empty())
            error = store.LastWriteError();
    };
    keep(store.WriteString(kSection, "DateFormat", m_strDateFormat.c_str()));
    keep(store.WriteInt(kSection, "Delimiter", static_cast<int>(m_nDelimiter)));
    keep(store.WriteInt(kSection, "Exist", static_cast<int>(m_nExist)));
    keep(store.WriteInt(kSection, "SkipOn", m_bSkipOn));
    keep(store.WriteInt(kSection, "SkipRows", m_nSkipRows));
    keep(store.WriteInt(kSection, "Decimal", static_cast<int>(m_nDecimal)));
    keep(store.WriteInt(kSection, "TimeCol", m_nTimeCol));
    keep(store.WriteInt(kSection, "Daily", m_bDaily));
    for (int field = 0; field < kFieldCount; ++field)
    {
        const FieldEntries& entries = kFieldEntries[field];
        if (entries.on)
            keep(store.WriteInt(kSection, entries.on, m_fields[field].on));
        keep(store.WriteInt(kSection, entries.column, m_fields[field].column));
    }
    return error;
}

void ConversionSettings::ApplyToJob(ConversionJob& job, const std::string& inputPath, int dateFormat) const
{
    job.m_strInputPath = inputPath;
    job.m_nDateFormat = dateFormat;
    job.m_settings = *this;
}
} // namespace tavrix
