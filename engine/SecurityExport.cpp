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
    // Without an exponent: a volume of 30000000 reads "3e+07" in the shortest form, which
    // spreadsheets and scripts take for text or round. Fixed notation still reads back exactly.
    char text[128]; // the widest single, 2^127 or 2^-149, fits
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    return std::string(text, result.ptr);
}

namespace {
void WriteHeading(const RecordLayout& layout, std::ostream& out)
{
    for (const Field field : layout.fields)
    {
        out << (field == kFieldDate ? "" : ",") << NamesOf(field).column;
        if (field == kFieldDate && layout.hasTime)
            out << ",Time";
    }
    out << "\n";
}
} // namespace

void WriteBarsCsv(const RecordLayout& layout, const std::vector<PriceBar>& bars, std::ostream& out)
{
    WriteHeading(layout, out);
    for (const PriceBar& bar : bars)
    {
        for (const Field field : layout.fields)
        {
            if (field != kFieldDate)
                out << "," << ShortestText(bar.values[field]);
            else
            {
                out << IsoDayText(bar.day);
                if (layout.hasTime)
                {
                    const std::string time = TimeText(bar.time);
                    out << "," << (time.empty() ? "-" : time);
                }
            }
        }
        out << "\n";
    }
}

std::string WriteSecurityCsv(const Security& security, std::ostream& out)
{
    PriceFileContents contents;
    if (const std::string error = ReadSecurityBars(security, &contents); !error.empty())
        return error;
    const RecordLayout& layout = security.layout;
    WriteHeading(layout, out);
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
