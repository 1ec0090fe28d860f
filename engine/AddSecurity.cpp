#include "engine/ConversionJob.h"

#include "engine/EngineMessages.h"
#include "marketdata/Dates.h"
#include "marketdata/FieldLayout.h"
#include "marketdata/Master.h"
#include "platform/Clock.h"
#include "platform/FileOps.h"
#include "platform/ReplacementFile.h"

#include <unistd.h>

namespace tavrix {
namespace {
bool IsFull(const MasterHeader& header)
{
    return header.count >= kMasterMaxSecurities || header.count2 >= kMasterMaxSecurities;
}
} // namespace

int ConversionJob::AddSecurity()
{
    platform::FilePtr master = platform::OpenFile(m_szMasterPath, "rb");
    if (!master)
        return ReportFailure(FileErrorMessage("Cannot read the Master file", m_szMasterPath));
    MasterRecord header{};
    if (std::fread(header.data(), 1, header.size(), master.get()) != header.size())
        return ReportFailure(DamagedMasterMessage(m_szMasterPath, "It is shorter than its 53-byte header."));
    MasterHeader counts = ReadMasterHeader(header.data());
    if (IsFull(counts))
        return ReportFailure(msg::kMasterFull);

    // Rebuild beside MASTER and swap it in, so a failed run leaves the old file readable.
    platform::ReplacementFile copy(m_szMasterPath, std::string(m_szMasterPath) + ".~NU");
    if (!copy.Open())
        return ReportFailure("Cannot create\n" + copy.Temp() + "\n" + copy.Error());
    counts.count = static_cast<std::int16_t>(counts.count + 1);
    counts.count2 = static_cast<std::int16_t>(counts.count2 + 1);
    WriteMasterHeader(header.data(), counts);
    bool written = copy.Write(header.data(), header.size());

    bool taken[256] = {true};
    MasterRecord record{};
    while (written && std::fread(record.data(), 1, record.size(), master.get()) == record.size())
    {
        taken[record[kRecFileNumber]] = true;
        written = copy.Write(record.data(), record.size());
    }
    if (written && std::ferror(master.get()))
        return ReportFailure(FileErrorMessage("Cannot read the Master file", m_szMasterPath));
    master.reset();
    if (!written)
        return ReportFailure("Cannot write\n" + copy.Temp() + "\n" + copy.Error());

    int fileNumber = 1;
    while (fileNumber < 256 && taken[fileNumber])
        ++fileNumber;
    if (fileNumber == 256)
        return ReportFailure(msg::kMasterFull); // every number is used, whatever the counters say
    m_nFileNumber = static_cast<std::uint8_t>(fileNumber);

    char today[9];
    m_conversionDay = DayToDateValue(ParseDateText(platform::_strdate(today), 3));
    NewSecurity security;
    security.fileNumber = m_nFileNumber;
    security.fieldCount = m_nFieldCount;
    security.name = m_szName;
    security.symbol = m_szSymbol;
    security.firstDate = security.lastDate = m_conversionDay;
    const MasterRecord added = BuildSecurityRecord(security);
    if (!copy.Write(added.data(), added.size()))
        return ReportFailure("Cannot write\n" + copy.Temp() + "\n" + copy.Error());

    // The security's files exist before MASTER names them, so no record ever points at nothing.
    const std::string dataPath = PriceFilePath(m_nFileNumber, ".DAT");
    const std::string layoutPath = PriceFilePath(m_nFileNumber, ".DOP");
    platform::FilePtr data = platform::OpenFile(dataPath, "wb");
    if (!data)
        return ReportFailure(FileErrorMessage("Cannot create the price file", dataPath));
    const std::vector<std::uint8_t> priceHeader = MakePriceFileHeader(m_nFieldCount);
    const bool dataWritten = std::fwrite(priceHeader.data(), 1, priceHeader.size(), data.get()) == priceHeader.size();
    if (!platform::CloseFileSynced(std::move(data)) || !dataWritten)
    {
        const std::string message = FileErrorMessage("Cannot write the price file", dataPath);
        ::unlink(dataPath.c_str());
        return ReportFailure(message);
    }
    if (WriteFieldLayoutFile(layoutPath, m_bFieldOn) != kStatusOk)
    {
        const std::string message = FileErrorMessage("Cannot write the field layout file", layoutPath);
        ::unlink(dataPath.c_str());
        ::unlink(layoutPath.c_str());
        return ReportFailure(message);
    }
    if (!copy.Commit())
    {
        ::unlink(dataPath.c_str());
        ::unlink(layoutPath.c_str());
        return ReportFailure("Cannot replace the Master file\n" + std::string(m_szMasterPath) + "\n" + copy.Error());
    }
    return 0;
}
} // namespace tavrix
