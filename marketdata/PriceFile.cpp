#include "marketdata/PriceFile.h"

#include "marketdata/Bytes.h"
#include "platform/FileOps.h"
#include "platform/Memory.h"

#include <array>
#include <cstring>

namespace tavrix {
std::vector<std::uint8_t> MakePriceFileHeader(int fieldCount)
{
    std::vector<std::uint8_t> header;
    for (int i = 0; i < fieldCount; ++i)
        header.insert(header.end(), {0x00, 0x00, 0x01, 0x00});
    return header;
}

void SetPriceFileRecordCount(std::uint8_t* header, std::uint16_t priceRecords)
{
    ByteWriter(header, kPriceCountOffset + 2).Put16(kPriceCountOffset, static_cast<std::uint16_t>(priceRecords + 1));
}

std::uint16_t PriceFileCountWord(const std::uint8_t* header)
{
    return ByteReader(header, kPriceCountOffset + 2).Get16(kPriceCountOffset);
}

namespace {
// Writes one record's fields at `at`; returns the position after it.
std::uint8_t* PutPriceRecord(const RecordLayout& layout, const PriceBar& bar, std::uint8_t* at)
{
    const auto put = [&at](const MbfBytes& mbf) {
        std::memcpy(at, mbf.data(), kPriceFieldSize);
        at += kPriceFieldSize;
    };
    for (const Field field : layout.fields)
    {
        if (field != kFieldDate)
        {
            put(ToMbf(bar.values[field]));
            continue;
        }
        put(DayToDateValue(bar.day));
        if (layout.hasTime)
            put(ToMbf(static_cast<float>(bar.time < 0 ? 0 : bar.time)));
    }
    return at;
}
} // namespace

void AppendPriceRecord(const RecordLayout& layout, const PriceBar& bar, std::vector<std::uint8_t>* file)
{
    std::array<std::uint8_t, kPriceFieldSize * kFieldCount + kPriceFieldSize> record;
    file->insert(file->end(), record.data(), PutPriceRecord(layout, bar, record.data()));
}

std::vector<std::uint8_t> BuildPriceFile(const RecordLayout& layout, const std::vector<PriceBar>& bars)
{
    std::vector<std::uint8_t> file = MakePriceFileHeader(layout.fieldCount);
    const std::size_t recordSize = file.size();
    // Sized once and written in place: a record at a time through the vector costs a third more.
    file.reserve(recordSize * (bars.size() + 1));
    platform::PrepareForWriting(file.data(), file.capacity());
    file.resize(recordSize * (bars.size() + 1));
    std::uint8_t* at = file.data() + recordSize;
    for (const PriceBar& bar : bars)
        at = PutPriceRecord(layout, bar, at);
    SetPriceFileRecordCount(file.data(), static_cast<std::uint16_t>(bars.size()));
    return file;
}

std::string ReadPriceFile(const std::string& path, const RecordLayout& layout, PriceFileContents* contents)
{
    *contents = PriceFileContents{};
    if (!layout.Known())
        return "its records hold " + std::to_string(layout.fieldCount) + " fields, which this program does not read";
    std::vector<std::uint8_t> bytes;
    const std::string error = platform::ReadRegularFile(path, kMaxPriceFileBytes, &bytes);
    if (!error.empty())
        return error;
    const std::size_t length = kPriceFieldSize * static_cast<std::size_t>(layout.fieldCount);
    if (bytes.size() < length)
        return "shorter than its " + std::to_string(length) + "-byte header record";
    contents->countWord = PriceFileCountWord(bytes.data());
    const std::size_t count = bytes.size() / length - 1;
    contents->bars.resize(count);
    for (std::size_t i = 0; i < count; ++i)
    {
        const std::uint8_t* record = &bytes[length * (i + 1)];
        StoredBar& bar = contents->bars[i];
        std::size_t at = 0;
        for (const Field field : layout.fields)
        {
            const float value = FromMbf(record + at);
            at += kPriceFieldSize;
            if (field != kFieldDate)
            {
                bar.values[field] = value;
                continue;
            }
            bar.date = value;
            if (layout.hasTime)
            {
                bar.time = FromMbf(record + at);
                at += kPriceFieldSize;
            }
        }
    }
    contents->trailingBytes = bytes.size() % length;
    return "";
}
} // namespace tavrix
