#include "marketdata/Emaster.h"

#include "marketdata/Bytes.h"
#include "marketdata/Dates.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cstring>

namespace tavrix {
namespace {
// MASTER's symbol as EMASTER holds it: readers show 14 characters.
std::string SymbolFor(const MasterRecord& master)
{
    return platform::TrimRight(RecordSymbol(master.data()).substr(0, kEmSymbolWidth));
}

int BitCount(std::uint8_t bits)
{
    int count = 0;
    for (; bits; bits = static_cast<std::uint8_t>(bits & (bits - 1)))
        ++count;
    return count;
}
} // namespace

std::uint16_t EmasterCount(const EmasterRecord& header)
{
    return ByteReader(header).Get16(kMasterCountOffset);
}

std::uint16_t EmasterCount2(const EmasterRecord& header)
{
    return ByteReader(header).Get16(kMasterCount2Offset);
}

void CopyMasterHeader(const std::uint8_t* masterHeader, EmasterRecord* header)
{
    std::memcpy(header->data(), masterHeader, kMasterRecordSize);
}

std::uint8_t FieldBitsForCount(int fieldCount)
{
    if (fieldCount <= 0)
        return 0;
    return fieldCount >= 8 ? 0xFF : static_cast<std::uint8_t>((1u << fieldCount) - 1);
}

EmasterRecord BuildEmasterRecord(const MasterRecord& master, const std::string& fullName)
{
    const ByteReader from(master);
    EmasterRecord record{};
    ByteWriter to(record);
    to.Put8(kEmRecordType, '6');
    to.Put8(kEmRecordType + 1, '6');
    to.Put8(kEmFileNumber, from.Get8(kRecFileNumber));
    to.Put8(kEmFieldCount, from.Get8(kRecFieldCount));
    to.Put8(kEmFieldBits, FieldBitsForCount(from.Get8(kRecFieldCount)));
    to.Put8(kEmChartFlag, ' ');
    to.PutText(kEmSymbol, kEmSymbolWidth, SymbolFor(master), '\0');
    const std::string name = RecordName(master.data());
    to.PutText(kEmName, kEmNameWidth, name, '\0');
    to.Put8(kEmPeriod, from.Get8(kRecPeriod));
    to.Put16(kEmInterval, from.Get16(kRecInterval));
    SetEmasterDates(&record, RecordFirstDate(master.data()), RecordLastDate(master.data()));
    if (fullName.size() > kRecTextWidth && fullName.compare(0, name.size(), name) == 0)
        to.PutText(kEmLongName, kEmLongNameWidth, fullName.substr(0, kEmLongNameWidth), '\0');
    return record;
}

void SetEmasterDates(EmasterRecord* record, const MbfBytes& firstDate, const MbfBytes& lastDate)
{
    MbfToIeee(firstDate.data(), &(*record)[kEmFirstDate]);
    MbfToIeee(lastDate.data(), &(*record)[kEmLastDate]);
    const float first = FromMbf(firstDate.data());
    const auto yyyymmdd = first > 0 ? static_cast<std::uint32_t>(static_cast<long>(first) + kDateValueToYyyymmdd) : 0u;
    ByteWriter(*record).Put32(kEmFirstDateLong, yyyymmdd);
}

std::string EmasterSymbol(const EmasterRecord& record)
{
    return ByteReader(record).Text(kEmSymbol, kEmSymbolWidth);
}

std::string EmasterName(const EmasterRecord& record)
{
    return ByteReader(record).Text(kEmName, kEmNameWidth);
}

std::string EmasterLongName(const EmasterRecord& record)
{
    return ByteReader(record).Text(kEmLongName, kEmLongNameWidth);
}

std::vector<std::string> CompareEmasterWithMaster(const EmasterFile& emaster, const MasterHeader& masterHeader,
                                                  const std::vector<MasterRecord>& master)
{
    std::vector<std::string> differences;
    const auto count = static_cast<std::uint16_t>(masterHeader.count);
    const auto count2 = static_cast<std::uint16_t>(masterHeader.count2);
    if (EmasterCount(emaster.header) != count || EmasterCount2(emaster.header) != count2)
        differences.push_back("header counters " + std::to_string(EmasterCount(emaster.header)) + "/" +
                              std::to_string(EmasterCount2(emaster.header)) + ", MASTER's " + std::to_string(count) +
                              "/" + std::to_string(count2));
    if (emaster.records.size() != master.size())
        differences.push_back(std::to_string(emaster.records.size()) + " records, MASTER " +
                              std::to_string(master.size()));
    const std::size_t both = std::min(emaster.records.size(), master.size());
    for (std::size_t i = 0; i < both; ++i)
    {
        const ByteReader e(emaster.records[i]);
        const ByteReader m(master[i]);
        const EmasterRecord expected = BuildEmasterRecord(master[i]);
        std::vector<std::string> fields;
        if (e.Get8(kEmFileNumber) != m.Get8(kRecFileNumber))
            fields.push_back("file number " + std::to_string(e.Get8(kEmFileNumber)));
        if (EmasterSymbol(emaster.records[i]) != SymbolFor(master[i]))
            fields.push_back("symbol '" + EmasterSymbol(emaster.records[i]) + "'");
        if (EmasterName(emaster.records[i]) != RecordName(master[i].data()))
            fields.push_back("name '" + EmasterName(emaster.records[i]) + "'");
        if (e.Get8(kEmFieldCount) != m.Get8(kRecFieldCount) || BitCount(e.Get8(kEmFieldBits)) != m.Get8(kRecFieldCount))
            fields.push_back("field count " + std::to_string(e.Get8(kEmFieldCount)) + " with " +
                             std::to_string(BitCount(e.Get8(kEmFieldBits))) + " field bits");
        if (e.Get8(kEmPeriod) != m.Get8(kRecPeriod))
            fields.push_back(std::string("period '") + static_cast<char>(e.Get8(kEmPeriod)) + "'");
        if (e.Get16(kEmInterval) != m.Get16(kRecInterval))
            fields.push_back("interval " + std::to_string(e.Get16(kEmInterval)));
        if (e.Get32(kEmFirstDate) != ByteReader(expected).Get32(kEmFirstDate))
            fields.push_back("first date");
        if (e.Get32(kEmLastDate) != ByteReader(expected).Get32(kEmLastDate))
            fields.push_back("last date");
        const std::string longName = EmasterLongName(emaster.records[i]);
        const std::string name = RecordName(master[i].data());
        if (!longName.empty() && longName.compare(0, name.size(), name) != 0)
            fields.push_back("long name '" + longName + "' not beginning with the name");
        if (fields.empty())
            continue;
        std::string text = "record " + std::to_string(i + 1) + " (F" + std::to_string(m.Get8(kRecFileNumber)) + " " +
                           RecordSymbol(master[i].data()) + " in MASTER) has ";
        for (std::size_t f = 0; f < fields.size(); ++f)
            text += (f ? ", " : "") + fields[f];
        differences.push_back(text);
    }
    return differences;
}
} // namespace tavrix
