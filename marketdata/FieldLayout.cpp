#include "marketdata/FieldLayout.h"

#include "platform/FileOps.h"

#include <cstring>

namespace tavrix {
namespace {
const char* const kLabels[kFieldCount] = {"DATE", "OPEN", "HIGH", "LOW", "CLOSE", "VOL", "OI"};
} // namespace

std::string FieldLayoutText(const std::array<int, kFieldCount>& fieldOn)
{
    std::string text;
    for (int field = 0; field < kFieldCount; ++field)
    {
        if (!fieldOn[field])
            continue;
        text += '"';
        text += kLabels[field];
        text += field == kFieldDate ? "\",0,0\r\n" : "\",4,4\r\n";
    }
    return text;
}

Status WriteFieldLayoutFile(const std::string& path, const std::array<int, kFieldCount>& fieldOn)
{
    platform::FilePtr file = platform::OpenFile(path, "wb");
    if (!file)
        return kStatusFileOpen;
    const std::string text = FieldLayoutText(fieldOn);
    const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    const bool closed = platform::CloseFileSynced(std::move(file));
    return written && closed ? kStatusOk : kStatusFileWrite;
}

Status ReadFieldLayoutFile(const std::string& path, std::vector<Field>* fields)
{
    platform::FilePtr file = platform::OpenFile(path, "rb");
    if (!file)
        return kStatusFileOpen;
    fields->clear();
    char line[128];
    while (std::fgets(line, sizeof line, file.get()))
    {
        const char* open = std::strchr(line, '"');
        const char* close = open ? std::strchr(open + 1, '"') : nullptr;
        if (!close)
        {
            if (line[std::strspn(line, " \t\r\n")] == '\0')
                continue;
            return kStatusInvalidParm;
        }
        const std::string label(open + 1, close);
        int found = -1;
        for (int field = 0; field < kFieldCount; ++field)
            if (label == kLabels[field])
                found = field;
        if (found < 0 || fields->size() >= kFieldCount)
            return kStatusInvalidParm;
        fields->push_back(static_cast<Field>(found));
    }
    return fields->empty() ? kStatusInvalidParm : kStatusOk;
}

std::vector<Field> DefaultFieldsForCount(int fieldCount)
{
    switch (fieldCount)
    {
    case 2:
        return {kFieldDate, kFieldClose};
    case 3:
        return {kFieldDate, kFieldClose, kFieldVolume};
    case 4:
        return {kFieldDate, kFieldHigh, kFieldLow, kFieldClose};
    case 5:
        return {kFieldDate, kFieldHigh, kFieldLow, kFieldClose, kFieldVolume};
    case 6:
        return {kFieldDate, kFieldOpen, kFieldHigh, kFieldLow, kFieldClose, kFieldVolume};
    case 7:
        return {kFieldDate, kFieldOpen, kFieldHigh, kFieldLow, kFieldClose, kFieldVolume, kFieldOpenInterest};
    default:
        return {};
    }
}
} // namespace tavrix
