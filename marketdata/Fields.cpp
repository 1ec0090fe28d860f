#include "marketdata/Fields.h"

#include <algorithm>

namespace tavrix {
namespace {
const FieldNames kNames[kFieldCount] = {
    {"date", "Date", "date", "Date", "DATE", 0x01},
    {"open", "Open", "open", "Open", "OPEN", 0x20},
    {"high", "High", "high", "High", "HIGH", 0x02},
    {"low", "Low", "low", "Low", "LOW", 0x04},
    {"close", "Close", "close", "Close", "CLOSE", 0x08},
    {"volume", "Volume", "volume", "Volume", "VOL", 0x10},
    {"open interest", "Open Int", "oi", "OpenInterest", "OI", 0x40},
};
} // namespace

const FieldNames& NamesOf(Field field)
{
    return kNames[field];
}

Field FieldOfOption(const std::string& option)
{
    for (int field = 0; field < kFieldCount; ++field)
        if (option == kNames[field].option)
            return static_cast<Field>(field);
    return kFieldCount;
}

std::string FieldWords(const std::vector<Field>& fields)
{
    std::string words;
    for (const Field field : fields)
        words += (words.empty() ? "" : " ") + std::string(kNames[field].word);
    return words;
}

int RecordLayout::IndexOf(Field field) const
{
    const auto found = std::find(fields.begin(), fields.end(), field);
    if (found == fields.end())
        return -1;
    const auto index = static_cast<int>(found - fields.begin());
    return index + (hasTime && index > 0 ? 1 : 0);
}

std::uint8_t RecordLayout::Bits() const
{
    std::uint8_t bits = hasTime ? kBitTime : 0;
    for (const Field field : fields)
        bits |= kNames[field].bit;
    return bits;
}

RecordLayout DefaultLayoutForCount(int fieldCount)
{
    static const std::vector<Field> kDefaults[] = {
        {},
        {},
        {kFieldDate, kFieldClose},
        {kFieldDate, kFieldClose, kFieldVolume},
        {kFieldDate, kFieldHigh, kFieldLow, kFieldClose},
        {kFieldDate, kFieldHigh, kFieldLow, kFieldClose, kFieldVolume},
        {kFieldDate, kFieldOpen, kFieldHigh, kFieldLow, kFieldClose, kFieldVolume},
        {kFieldDate, kFieldOpen, kFieldHigh, kFieldLow, kFieldClose, kFieldVolume, kFieldOpenInterest},
    };
    RecordLayout layout;
    layout.fieldCount = fieldCount;
    if (fieldCount == 8)
    {
        layout.fields = kDefaults[7];
        layout.hasTime = true;
    }
    else if (fieldCount >= 2 && fieldCount <= 7)
        layout.fields = kDefaults[fieldCount];
    return layout;
}

RecordLayout LayoutFromBits(std::uint8_t bits)
{
    // Record order: date, time, open, high, low, close, volume, open interest.
    RecordLayout layout;
    for (int field = 0; field < kFieldCount; ++field)
        if (bits & kNames[field].bit)
            layout.fields.push_back(static_cast<Field>(field));
    layout.hasTime = (bits & kBitTime) != 0;
    layout.fieldCount = static_cast<int>(layout.fields.size()) + (layout.hasTime ? 1 : 0);
    return layout;
}
} // namespace tavrix
