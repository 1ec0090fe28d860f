#include "engine/SecurityExport.h"

#include <charconv>

namespace tavrix {
namespace {
std::string DateOrDash(double dateValue)
{
    const std::string iso = IsoDateText(dateValue);
    return iso.empty() ? "-" : iso;
}
} // namespace

std::string ShortestText(float value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string WriteSecurityCsv(const Security& security, std::ostream& out)
{
    PriceFileContents contents;
    if (const std::string error = ReadSecurityBars(security, &contents); !error.empty())
        return error;
    const RecordLayout& layout = security.layout;
    for (const Field field : layout.fields)
    {
        out << (field == kFieldDate ? "" : ",") << NamesOf(field).column;
        if (field == kFieldDate && layout.hasTime)
            out << ",Time";
    }
    out << "\n";
    for (const StoredBar& bar : contents.bars)
    {
        for (const Field field : layout.fields)
        {
            if (field != kFieldDate)
            {
                out << "," << ShortestText(bar.values[field]);
                continue;
            }
            out << DateOrDash(bar.date);
            if (layout.hasTime)
            {
                const std::string time = TimeText(bar.time);
                out << "," << (time.empty() ? "-" : time);
            }
        }
        out << "\n";
    }
    return "";
}
} // namespace tavrix
