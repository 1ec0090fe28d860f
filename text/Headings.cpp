#include "text/Headings.h"

#include "platform/Strings.h"

#include <cstring>

namespace tavrix {
namespace {
struct KnownName
{
    const char* name; // as ReadHeading compares it: lower case, no blanks, '_', '<', '>' or '*'
    Heading heading;
};

// Names as the usual sources write them: Yahoo, Stooq, Nasdaq, Alpha Vantage, Investing.com,
// MetaTrader, exchanges' futures files and German banks' exports.
const KnownName kNames[] = {
    {"date", Heading::kDate},
    {"timestamp", Heading::kDate},
    {"datum", Heading::kDate},
    {"day", Heading::kDate},
    {"time", Heading::kTime},
    {"zeit", Heading::kTime},
    {"open", Heading::kOpen},
    {"eröffnung", Heading::kOpen},
    {"erster", Heading::kOpen},
    {"high", Heading::kHigh},
    {"hoch", Heading::kHigh},
    {"low", Heading::kLow},
    {"tief", Heading::kLow},
    {"close", Heading::kClose},
    {"close/last", Heading::kClose},
    {"price", Heading::kClose},
    {"schluss", Heading::kClose},
    {"schlusskurs", Heading::kClose},
    {"zuletzt", Heading::kClose},
    {"last", Heading::kLast},
    {"settle", Heading::kSettle},
    {"volume", Heading::kVolume},
    {"vol.", Heading::kVolume},
    {"vol", Heading::kVolume},
    {"volumen", Heading::kVolume},
    {"umsatz", Heading::kVolume},
    {"tickvol", Heading::kTickVolume},
    {"openinterest", Heading::kOpenInterest},
    {"oi", Heading::kOpenInterest},
    {"previousdayopeninterest", Heading::kOpenInterest},
    {"openint", Heading::kOpenInterest},
    {"ticker", Heading::kTicker},
    {"symbol", Heading::kTicker},
    {"name", Heading::kName},
    {"per", Heading::kPeriod},
    {"period", Heading::kPeriod},
    {"adjclose", Heading::kNotAPrice},
    {"adjustedclose", Heading::kNotAPrice},
    {"change", Heading::kNotAPrice},
    {"change%", Heading::kNotAPrice},
};

const char* const kColumnWords[kFieldCount] = {"date", "open", "high", "low", "close", "volume", "oi"};
const char* const kFieldNames[kFieldCount] = {"date", "open", "high", "low", "close", "volume", "open interest"};

std::string Comparable(const char* text, std::size_t length)
{
    std::string name(text, length);
    if (!platform::IsValidUtf8(name))
        name = platform::Latin1ToUtf8(name);
    std::string plain;
    for (std::size_t i = 0; i < name.size(); ++i)
    {
        char c = name[i];
        if (c == ' ' || c == '\t' || c == '_' || c == '<' || c == '>' || c == '*')
            continue;
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        plain.push_back(c);
        // Ä, Ö, Ü in UTF-8: C3 84, C3 96, C3 9C; their small letters are 0x20 further on.
        const auto next = i + 1 < name.size() ? static_cast<unsigned char>(name[i + 1]) : 0u;
        if (static_cast<unsigned char>(c) == 0xC3 && (next == 0x84 || next == 0x96 || next == 0x9C))
        {
            plain.push_back(static_cast<char>(next + 0x20));
            ++i;
        }
    }
    return plain;
}
} // namespace

Heading ReadHeading(const char* text, std::size_t length)
{
    const std::string name = Comparable(text, length);
    for (const KnownName& known : kNames)
        if (name == known.name)
            return known.heading;
    return Heading::kUnknown;
}

int HeadingField(Heading heading)
{
    switch (heading)
    {
    case Heading::kDate:
        return kFieldDate;
    case Heading::kOpen:
        return kFieldOpen;
    case Heading::kHigh:
        return kFieldHigh;
    case Heading::kLow:
        return kFieldLow;
    case Heading::kClose:
    case Heading::kLast:
    case Heading::kSettle:
        return kFieldClose;
    case Heading::kVolume:
    case Heading::kTickVolume:
        return kFieldVolume;
    case Heading::kOpenInterest:
        return kFieldOpenInterest;
    default:
        return -1;
    }
}

std::string ColumnsText(const std::array<int, kFieldCount>& column, int timeColumn)
{
    std::string text;
    const auto add = [&](const char* word, int index) {
        if (index >= 0)
            text += (text.empty() ? "" : ",") + std::string(word) + "=" + std::to_string(index + 1);
    };
    add(kColumnWords[kFieldDate], column[kFieldDate]);
    add("time", timeColumn);
    for (int field = kFieldOpen; field < kFieldCount; ++field)
        add(kColumnWords[field], column[field]);
    return text;
}

std::string CheckColumnsAgainstHeader(const Header& header, const std::array<int, kFieldCount>& column, int timeColumn)
{
    if (header.line == 0)
        return "";
    std::string misfits;
    const auto check = [&](const char* what, int index, Heading wanted) {
        if (index < 0 || static_cast<std::size_t>(index) >= header.headings.size())
            return;
        const Heading heading = header.headings[index];
        const bool fits = heading == Heading::kUnknown || heading == wanted ||
                          (HeadingField(heading) >= 0 && HeadingField(heading) == HeadingField(wanted));
        if (!fits)
            misfits += std::string(misfits.empty() ? "" : "; ") + what + " is column " + std::to_string(index + 1) +
                       ", headed " + header.names[index];
    };
    const Heading fieldHeadings[kFieldCount] = {Heading::kDate,  Heading::kOpen,   Heading::kHigh,        Heading::kLow,
                                                Heading::kClose, Heading::kVolume, Heading::kOpenInterest};
    check(kFieldNames[kFieldDate], column[kFieldDate], Heading::kDate);
    check("time", timeColumn, Heading::kTime);
    for (int field = kFieldOpen; field < kFieldCount; ++field)
        check(kFieldNames[field], column[field], fieldHeadings[field]);
    if (misfits.empty())
        return "";
    return "The columns do not fit the header on line " + std::to_string(header.line) + ": " + misfits + ".\n" +
           header.text;
}
} // namespace tavrix
