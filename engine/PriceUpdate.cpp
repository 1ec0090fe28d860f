#include "engine/ConversionJob.h"

#include "engine/DirectoryChange.h"
#include "engine/EngineMessages.h"
#include "marketdata/FieldLayout.h"
#include "marketdata/Master.h"

#include <cstring>

namespace tavrix {
void ConversionJob::UpdateMasterDates(const MbfBytes& firstDate, const MbfBytes& lastDate, std::uint8_t fileNumber)
{
    // The security is found by its number; <DIR> entries whose first byte matches are no securities.
    for (std::size_t i = 0; i < m_image.records.size(); ++i)
        if (m_image.records[i][kRecFileNumber] == fileNumber && !IsDirectoryEntry(m_image.records[i].data()))
            m_image.SetDates(i, firstDate, lastDate);
}

void ConversionJob::UpdatePriceFileHeader(std::uint16_t count, std::vector<std::uint8_t>* priceFile) const
{
    SetPriceFileRecordCount(priceFile->data(), count);
}

int ConversionJob::WriteSecurity(const std::deque<PriceLine>& lines)
{
    // The whole price file is built in memory, so it is written with a few system calls.
    std::vector<std::uint8_t> priceFile = MakePriceFileHeader(m_nFieldCount);
    const std::size_t recordLength = priceFile.size();
    priceFile.reserve(recordLength * (lines.size() + 1));
    std::array<MbfBytes, kFieldCount> values{};
    std::uint8_t record[kFieldCount * kPriceFieldSize];
    for (const PriceLine& line : lines)
    {
        values[kFieldDate] = DayToDateValue(line.day);
        for (int field = kFieldOpen; field < kFieldCount; ++field)
            values[field] = m_bFieldOn[field] ? ToMbf(line.values[field]) : MbfBytes{};
        const std::size_t size = BuildPriceRecord(values, m_bFieldOn, record);
        priceFile.insert(priceFile.end(), record, record + size);
    }
    UpdatePriceFileHeader(static_cast<std::uint16_t>(lines.size()), &priceFile);
    const std::string layout = FieldLayoutText(m_bFieldOn);

    // MASTER.BAK holds the new record with the conversion day's dates, as taken before the input.
    const std::vector<std::uint8_t> backup = m_image.MasterBytes();
    m_nFirstDay = lines.front().day;
    m_nLastDay = lines.back().day;
    UpdateMasterDates(DayToDateValue(m_nFirstDay), DayToDateValue(m_nLastDay), m_nFileNumber);

    // One change for all files, MASTER.BAK included, so a failure at any of them leaves nothing.
    DirectoryChange change(m_szPath);
    change.m_stepHook = m_stepHook;
    const bool staged =
        change.Stage(FileName(".DAT"), "the price file", priceFile, DirectoryChange::kCreate) &&
        change.Stage(FileName(".DOP"), "the field layout file", std::vector<std::uint8_t>(layout.begin(), layout.end()),
                     DirectoryChange::kCreate) &&
        (!m_bUseExistingMaster ||
         change.Stage(m_strMasterName + ".BAK", "the Master backup", backup, DirectoryChange::kReplace)) &&
        m_image.Stage(&change, !m_bUseExistingMaster);
    if (!staged || !change.Commit())
        return Fail(change.Error());
    m_nLineCount = static_cast<int>(lines.size());
    return 0;
}
} // namespace tavrix
