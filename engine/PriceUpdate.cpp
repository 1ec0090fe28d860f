#include "engine/ConversionJob.h"

#include "engine/DirectoryChange.h"
#include "marketdata/FieldLayout.h"
#include "marketdata/Master.h"

namespace tavrix {
void ConversionJob::UpdateMasterDates(const MbfBytes& firstDate, const MbfBytes& lastDate, std::uint8_t fileNumber)
{
    // The security is found by its number; <DIR> entries whose first byte matches are no securities.
    for (std::size_t i = 0; i < m_image.records.size(); ++i)
        if (m_image.records[i][kRecFileNumber] == fileNumber && !IsDirectoryEntry(m_image.records[i].data()))
            m_image.SetDates(i, firstDate, lastDate);
}

int ConversionJob::WriteSecurity(const std::deque<PriceLine>& lines)
{
    const RecordLayout layout = Layout();
    // The whole price file is built in memory, so it is written with a few system calls.
    std::vector<std::uint8_t> priceFile = MakePriceFileHeader(m_nFieldCount);
    priceFile.reserve(priceFile.size() * (lines.size() + 1));
    PriceBar bar;
    for (const PriceLine& line : lines)
    {
        bar.day = line.day;
        bar.values = line.values;
        AppendPriceRecord(layout, bar, &priceFile);
    }
    SetPriceFileRecordCount(priceFile.data(), static_cast<std::uint16_t>(lines.size()));
    const std::string layoutText = FieldLayoutText(layout.fields);

    // MASTER.BAK holds MASTER as it was before this change, so it can restore what was there.
    const std::vector<std::uint8_t> backup = m_image.MasterBytes();
    m_image.Add(m_pendingRecord);
    m_nFirstDay = lines.front().day;
    m_nLastDay = lines.back().day;
    UpdateMasterDates(DayToDateValue(m_nFirstDay), DayToDateValue(m_nLastDay), m_nFileNumber);

    // One change for all files, MASTER.BAK included, so a failure at any of them leaves nothing.
    DirectoryChange change(m_strPath);
    change.m_stepHook = m_stepHook;
    const bool staged =
        change.Stage(FileName(".DAT"), "the price file", priceFile, DirectoryChange::kCreate) &&
        change.Stage(FileName(".DOP"), "the field layout file",
                     std::vector<std::uint8_t>(layoutText.begin(), layoutText.end()), DirectoryChange::kCreate) &&
        (!UsesExistingMaster() ||
         change.Stage(m_strMasterName + ".BAK", "the Master backup", backup, DirectoryChange::kReplace)) &&
        m_image.Stage(&change, !UsesExistingMaster());
    if (!staged || !change.Commit())
        return Fail(change.Error());
    m_nLineCount = static_cast<int>(lines.size());
    return 0;
}
} // namespace tavrix
