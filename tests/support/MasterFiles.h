#pragma once

#include "marketdata/Master.h"
#include "support/TempDir.h"

#include <string>
#include <vector>

namespace testing_support {
// A security record as a conversion writes it, with both dates zero.
inline tavrix::MasterRecord SecurityRecord(std::uint8_t fileNumber, const std::string& symbol,
                                           const std::string& name = "", int fieldCount = 7)
{
    tavrix::NewSecurity security;
    security.fileNumber = fileNumber;
    security.fieldCount = fieldCount;
    security.symbol = symbol;
    security.name = name;
    return tavrix::BuildSecurityRecord(security);
}

// A <DIR> entry: the name in the first 8 name characters, "<DIR>" in the last five.
inline tavrix::MasterRecord DirectoryRecord(const std::string& name)
{
    tavrix::MasterRecord record{};
    for (int i = 0; i < 16; ++i)
        record[tavrix::kRecName + i] = ' ';
    for (std::size_t i = 0; i < name.size() && i < 8; ++i)
        record[tavrix::kRecName + i] = static_cast<std::uint8_t>(name[i]);
    for (int i = 0; i < 5; ++i)
        record[tavrix::kRecDirMarker + i] = static_cast<std::uint8_t>("<DIR>"[i]);
    return record;
}

inline Bytes MasterBytes(const std::vector<tavrix::MasterRecord>& records, int count = -1000, int count2 = -1000)
{
    Bytes bytes(tavrix::kMasterRecordSize, 0);
    const auto n = static_cast<std::int16_t>(records.size());
    tavrix::WriteMasterHeader(bytes.data(), {count == -1000 ? n : static_cast<std::int16_t>(count),
                                             count2 == -1000 ? n : static_cast<std::int16_t>(count2)});
    for (const auto& record : records)
        bytes.insert(bytes.end(), record.begin(), record.end());
    return bytes;
}

inline void WriteMaster(const std::string& directory, const std::vector<tavrix::MasterRecord>& records,
                        const std::string& fileName = "MASTER", int count = -1000)
{
    MakeDir(directory);
    WriteBytes(directory + "/" + fileName, MasterBytes(records, count, count));
}
} // namespace testing_support
