#include "marketdata/Emaster.h"

#include "platform/FileOps.h"

#include <algorithm>
#include <cstring>

namespace tavrix {
namespace {
constexpr int kRecInterval = 34; // MASTER's u16 bar minutes

std::string TextAt(const EmasterRecord& record, int offset, int width)
{
    std::string text;
    for (int i = 0; i < width && record[offset + i] != 0; ++i)
        text.push_back(static_cast<char>(record[offset + i]));
    return text;
}

void PutText(EmasterRecord* record, int offset, int width, const std::string& text)
{
    for (int i = 0; i < width; ++i)
        (*record)[offset + i] = static_cast<std::uint8_t>(i < static_cast<int>(text.size()) ? text[i] : 0);
}

std::string TrimRight(std::string text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// MASTER's symbol as EMASTER holds it: readers show 14 characters.
std::string SymbolFor(const MasterRecord& master)
{
    return TrimRight(RecordSymbol(master.data()).substr(0, kEmSymbolWidth));
}

std::uint16_t Word(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

int BitCount(std::uint8_t bits)
{
    int count = 0;
    for (; bits; bits = static_cast<std::uint8_t>(bits & (bits - 1)))
        ++count;
    return count;
}

// An MBF date value YYYMMDD as int32 YYYYMMDD; 0 for no date.
std::int32_t LongDate(const MbfBytes& date)
{
    const float value = FromMbf(date.data());
    return value > 0 ? static_cast<std::int32_t>(value) + 19000000 : 0;
}
} // namespace

Status ReadEmasterFile(const std::string& path, EmasterFile* file)
{
    return ReadRecordFile(path, file);
}

std::vector<std::uint8_t> EmasterBytes(const EmasterFile& file)
{
    std::vector<std::uint8_t> bytes(file.header.begin(), file.header.end());
    for (const EmasterRecord& record : file.records)
        bytes.insert(bytes.end(), record.begin(), record.end());
    return bytes;
}

std::uint16_t EmasterCount(const EmasterRecord& header)
{
    return Word(&header[0]);
}

std::uint16_t EmasterCount2(const EmasterRecord& header)
{
    return Word(&header[2]);
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
    EmasterRecord record{};
    record[kEmRecordType] = record[kEmRecordType + 1] = '6';
    record[kEmFileNumber] = master[kRecFileNumber];
    record[kEmFieldCount] = master[kRecFieldCount];
    record[kEmFieldBits] = FieldBitsForCount(master[kRecFieldCount]);
    record[kEmChartFlag] = ' ';
    PutText(&record, kEmSymbol, kEmSymbolWidth, SymbolFor(master));
    const std::string name = RecordName(master.data());
    PutText(&record, kEmName, kEmNameWidth, name);
    record[kEmPeriod] = master[kRecPeriod];
    record[kEmInterval] = master[kRecInterval];
    record[kEmInterval + 1] = master[kRecInterval + 1];
    MbfBytes first{};
    MbfBytes last{};
    std::memcpy(first.data(), &master[kRecFirstDate], 4);
    std::memcpy(last.data(), &master[kRecLastDate], 4);
    SetEmasterDates(&record, first, last);
    if (fullName.size() > kRecTextWidth && fullName.compare(0, name.size(), name) == 0)
        PutText(&record, kEmLongName, kEmLongNameWidth, fullName.substr(0, kEmLongNameWidth));
    return record;
}

void SetEmasterDates(EmasterRecord* record, const MbfBytes& firstDate, const MbfBytes& lastDate)
{
    MbfToIeee(firstDate.data(), &(*record)[kEmFirstDate]);
    MbfToIeee(lastDate.data(), &(*record)[kEmLastDate]);
    const auto longDate = static_cast<std::uint32_t>(LongDate(firstDate));
    for (int i = 0; i < 4; ++i)
        (*record)[kEmFirstDateLong + i] = static_cast<std::uint8_t>(longDate >> (8 * i));
}

std::string EmasterSymbol(const EmasterRecord& record)
{
    return TextAt(record, kEmSymbol, kEmSymbolWidth);
}

std::string EmasterName(const EmasterRecord& record)
{
    return TextAt(record, kEmName, kEmNameWidth);
}

std::string EmasterLongName(const EmasterRecord& record)
{
    return TextAt(record, kEmLongName, kEmLongNameWidth);
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
        const EmasterRecord& e = emaster.records[i];
        const MasterRecord& m = master[i];
        const EmasterRecord expected = BuildEmasterRecord(m);
        std::vector<std::string> fields;
        if (e[kEmFileNumber] != m[kRecFileNumber])
            fields.push_back("file number " + std::to_string(e[kEmFileNumber]));
        if (EmasterSymbol(e) != SymbolFor(m))
            fields.push_back("symbol '" + EmasterSymbol(e) + "'");
        if (EmasterName(e) != RecordName(m.data()))
            fields.push_back("name '" + EmasterName(e) + "'");
        if (e[kEmFieldCount] != m[kRecFieldCount] || BitCount(e[kEmFieldBits]) != m[kRecFieldCount])
            fields.push_back("field count " + std::to_string(e[kEmFieldCount]) + " with " +
                             std::to_string(BitCount(e[kEmFieldBits])) + " field bits");
        if (e[kEmPeriod] != m[kRecPeriod])
            fields.push_back(std::string("period '") + static_cast<char>(e[kEmPeriod]) + "'");
        if (Word(&e[kEmInterval]) != Word(&m[kRecInterval]))
            fields.push_back("interval " + std::to_string(Word(&e[kEmInterval])));
        if (std::memcmp(&e[kEmFirstDate], &expected[kEmFirstDate], 4) != 0)
            fields.push_back("first date");
        if (std::memcmp(&e[kEmLastDate], &expected[kEmLastDate], 4) != 0)
            fields.push_back("last date");
        const std::string longName = EmasterLongName(e);
        if (!longName.empty() && longName.compare(0, RecordName(m.data()).size(), RecordName(m.data())) != 0)
            fields.push_back("long name '" + longName + "' not beginning with the name");
        if (fields.empty())
            continue;
        std::string text = "record " + std::to_string(i + 1) + " (F" + std::to_string(m[kRecFileNumber]) + " " +
                           RecordSymbol(m.data()) + " in MASTER) has ";
        for (std::size_t f = 0; f < fields.size(); ++f)
            text += (f ? ", " : "") + fields[f];
        differences.push_back(text);
    }
    return differences;
}
} // namespace tavrix
