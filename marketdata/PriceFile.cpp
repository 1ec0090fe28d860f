#include "marketdata/PriceFile.h"

#include "platform/FileOps.h"

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
    const auto word = static_cast<std::uint16_t>(priceRecords + 1);
    header[kPriceCountOffset] = static_cast<std::uint8_t>(word & 0xFF);
    header[kPriceCountOffset + 1] = static_cast<std::uint8_t>(word >> 8);
}

std::uint16_t PriceFileCountWord(const std::uint8_t* header)
{
    return static_cast<std::uint16_t>(header[kPriceCountOffset] | header[kPriceCountOffset + 1] << 8);
}

std::size_t BuildPriceRecord(const std::array<MbfBytes, kFieldCount>& values,
                             const std::array<int, kFieldCount>& fieldOn, std::uint8_t* record)
{
    std::size_t size = 0;
    for (int field = 0; field < kFieldCount; ++field)
        if (fieldOn[field])
        {
            std::memcpy(record + size, values[field].data(), kPriceFieldSize);
            size += kPriceFieldSize;
        }
    return size;
}

Status ReadPriceFile(const std::string& path, const std::vector<Field>& fields, PriceFileContents* contents)
{
    if (fields.empty() || fields.size() > kFieldCount || !contents)
        return kStatusInvalidParm;
    platform::FilePtr file = platform::OpenFile(path, "rb");
    if (!file)
        return kStatusFileOpen;
    const std::size_t length = kPriceFieldSize * fields.size();
    std::vector<std::uint8_t> record(length);
    *contents = PriceFileContents{};
    if (std::fread(record.data(), 1, length, file.get()) != length)
        return kStatusFileRead;
    contents->countWord = PriceFileCountWord(record.data());
    std::size_t got = 0;
    while ((got = std::fread(record.data(), 1, length, file.get())) == length)
    {
        PriceRow row;
        for (std::size_t i = 0; i < fields.size(); ++i)
            row.values[fields[i]] = FromMbf(&record[kPriceFieldSize * i]);
        contents->rows.push_back(row);
    }
    contents->trailingBytes = got;
    return std::ferror(file.get()) ? kStatusFileRead : kStatusOk;
}
} // namespace tavrix
