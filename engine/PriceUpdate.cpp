#include "engine/ConversionJob.h"

#include "engine/EngineMessages.h"
#include "marketdata/Master.h"
#include "platform/FileOps.h"
#include "platform/ReplacementFile.h"

#include <cstring>
#include <vector>

namespace tavrix {
namespace {
} // namespace

int ConversionJob::UpdateMasterDates(const MbfBytes& firstDate, const MbfBytes& lastDate, std::uint8_t fileNumber)
{
    platform::FilePtr master = platform::OpenFile(m_szMasterPath, "rb");
    if (!master)
        return ReportFailure(FileErrorMessage("Cannot read the Master file", m_szMasterPath));
    platform::ReplacementFile copy(m_szMasterPath, std::string(m_szMasterPath) + ".NEW");
    if (!copy.Open())
        return ReportFailure("Cannot create\n" + copy.Temp() + "\n" + copy.Error());

    MasterRecord record{};
    if (std::fread(record.data(), 1, record.size(), master.get()) != record.size())
        return ReportFailure(DamagedMasterMessage(m_szMasterPath, "It is shorter than its 53-byte header."));
    bool written = copy.Write(record.data(), record.size());
    while (written && std::fread(record.data(), 1, record.size(), master.get()) == record.size())
    {
        // A <DIR> entry's first byte is no file number.
        if (record[kRecFileNumber] == fileNumber && !IsDirectoryEntry(record.data()))
        {
            std::memcpy(&record[kRecFirstDate], firstDate.data(), 4);
            std::memcpy(&record[kRecLastDate], lastDate.data(), 4);
        }
        written = copy.Write(record.data(), record.size());
    }
    if (written && std::ferror(master.get()))
        return ReportFailure(FileErrorMessage("Cannot read the Master file", m_szMasterPath));
    master.reset();
    if (!written || !copy.Commit())
        return ReportFailure("Cannot replace the Master file\n" + std::string(m_szMasterPath) + "\n" + copy.Error());
    return 0;
}

int ConversionJob::UpdatePriceFileHeader(std::uint16_t count, std::uint8_t fileNumber)
{
    const std::string dataPath = PriceFilePath(fileNumber, ".DAT");
    platform::FilePtr data = platform::OpenFile(dataPath, "rb");
    if (!data)
        return ReportFailure(FileErrorMessage("Cannot read the price file", dataPath));
    std::string newPath = dataPath;
    newPath.replace(newPath.size() - 4, 4, ".NEW");
    platform::ReplacementFile copy(dataPath, newPath);
    if (!copy.Open())
        return ReportFailure("Cannot create\n" + copy.Temp() + "\n" + copy.Error());

    const std::size_t recordLength = static_cast<std::size_t>(kPriceFieldSize) * m_nFieldCount;
    std::vector<std::uint8_t> record(recordLength);
    if (std::fread(record.data(), 1, recordLength, data.get()) != recordLength)
        return ReportFailure(FileErrorMessage("The price file has no header record", dataPath));
    SetPriceFileRecordCount(record.data(), count);
    bool written = copy.Write(record.data(), recordLength);
    // Records are copied in large blocks; a cut-off piece at the end is not a record.
    std::vector<std::uint8_t> block(recordLength * 4096);
    std::size_t got = 0;
    while (written && (got = std::fread(block.data(), 1, block.size(), data.get())) > 0)
        written = copy.Write(block.data(), got - got % recordLength);
    if (written && std::ferror(data.get()))
        return ReportFailure(FileErrorMessage("Cannot read the price file", dataPath));
    data.reset();
    if (!written || !copy.Commit())
        return ReportFailure("Cannot replace the price file\n" + dataPath + "\n" + copy.Error());
    return 0;
}
} // namespace tavrix
