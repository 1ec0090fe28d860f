#include "engine/MasterImage.h"

#include "engine/DirectoryChange.h"
#include "marketdata/DirectoryTree.h"
#include "platform/FileOps.h"

#include <algorithm>
#include <cstring>

namespace tavrix {
JobError MasterImage::Load(const std::string& directory, const std::string& masterName)
{
    Clear(directory, masterName);
    const std::string path = platform::JoinPath(directory, masterName);
    MasterFile file;
    const std::string error = ReadMasterFile(path, &file);
    if (error.rfind("shorter", 0) == 0)
        return DamagedMaster(path, "It is " + error + ".");
    if (!error.empty())
        return FileError("Cannot read the Master file", path, error);
    headerBytes = file.header;
    header = ReadMasterHeader(file.header.data());
    records = std::move(file.records);
    // A record past the count is seen by no reader, and a count past the records names nothing.
    if (header.count != static_cast<long>(records.size()) || file.extraBytes != 0)
        return DamagedMaster(path,
                             "Its header counts " + std::to_string(header.count) + " records, but it holds " +
                                 std::to_string(records.size()) +
                                 (file.extraBytes ? " and " + std::to_string(file.extraBytes) + " bytes more." : "."));

    if (JobError problem = LoadXmaster(); problem.Failed())
        return problem;
    const std::string emasterName = platform::FindNameNoCase(directory, kEmasterFileName);
    if (emasterName.empty())
        return {};
    const std::string emasterPath = platform::JoinPath(directory, emasterName);
    std::vector<std::string> differences;
    if (const std::string emasterError = ReadRecordFile(emasterPath, kEmasterMaxRecords, &m_emaster);
        !emasterError.empty())
        differences.push_back("it cannot be read: " + emasterError);
    else if (m_emaster.extraBytes != 0)
        differences.push_back("it ends in a cut-off record");
    else
        differences = CompareEmasterWithMaster(m_emaster, header, records);
    if (differences.empty())
        m_emasterName = emasterName;
    else
        emasterWarning = "The EMASTER file does not match the Master file, so it is left as it is:\n" + emasterPath +
                         "\n" + differences.front() + "\nReaders that start from EMASTER will not show the change.";
    return {};
}

void MasterImage::Clear(const std::string& directory, const std::string& masterName)
{
    m_directory = directory;
    m_masterName = masterName;
    m_emasterName.clear();
    m_emaster = EmasterFile{};
    emasterWarning.clear();
    header = {};
    headerBytes = {};
    records.clear();
    xmaster = XmasterFile{};
    m_xmasterName.clear();
    m_xmasterProblem.clear();
    masterChanged = xmasterChanged = false;
}

JobError MasterImage::LoadXmaster()
{
    m_xmasterName = platform::FindNameNoCase(m_directory, kXmasterFileName);
    if (m_xmasterName.empty())
        return {};
    const std::string path = platform::JoinPath(m_directory, m_xmasterName);
    // Securities it holds but that cannot be read would be taken for absent: their symbols and
    // numbers given again. Nothing changes until it can be read.
    std::string error = ReadRecordFile(path, kXmasterMaxRecords, &xmaster);
    if (!error.empty())
        return FileError("Cannot read the XMASTER file", path, error);
    if (!HasXmasterSignature(xmaster.header))
        error = "it does not begin with 5D FE 58 4D";
    if (error.empty() && (xmaster.extraBytes != 0 || XmasterCount(xmaster.header) != xmaster.records.size()))
        error = "its header counts " + std::to_string(XmasterCount(xmaster.header)) + " records, but it holds " +
                std::to_string(xmaster.records.size()) + (xmaster.extraBytes ? " and some bytes more" : "");
    if (!error.empty())
        m_xmasterProblem = "The XMASTER file is damaged, so it is left as it is:\n" + path + "\n" + error + ".";
    return {};
}

int MasterImage::NextNumberAbove() const
{
    int next = kFirstXmasterNumber;
    if (!m_xmasterName.empty())
        next = std::max<int>(next, XmasterNextNumber(xmaster.header));
    for (const XmasterRecord& record : xmaster.records)
        next = std::max(next, XmasterFileNumber(record) + 1);
    return next;
}

void MasterImage::AddAbove(const XmasterRecord& record)
{
    if (m_xmasterName.empty() && xmaster.records.empty())
        xmaster.header =
            NewXmasterHeader(headerBytes.data(), m_emasterName.empty() ? nullptr : m_emaster.header.data());
    xmaster.records.push_back(record);
    xmasterChanged = true;
}

void MasterImage::RemoveAbove(std::size_t index)
{
    xmaster.records.erase(xmaster.records.begin() + static_cast<long>(index));
    xmasterChanged = true;
}

void MasterImage::SetDatesAbove(std::size_t index, std::int32_t firstDate, std::int32_t lastDate)
{
    SetXmasterDates(&xmaster.records[index], firstDate, lastDate);
    xmasterChanged = true;
}

void MasterImage::SyncCounters(bool vendorCounter)
{
    // Our files keep both counters equal; a vendor's second counter holds the highest number in use.
    header.count = static_cast<std::int16_t>(records.size());
    if (!vendorCounter)
        header.count2 = header.count;
    else
    {
        int highest = 0;
        for (const MasterRecord& record : records)
            if (!IsDirectoryEntry(record.data()))
                highest = std::max<int>(highest, record[kRecFileNumber]);
        header.count2 = static_cast<std::int16_t>(highest);
    }
}

void MasterImage::Add(const MasterRecord& record)
{
    masterChanged = true;
    const bool vendorCounter = header.count2 != header.count;
    records.push_back(record);
    if (vendorCounter)
        header.count2 = std::max<std::int16_t>(header.count2, record[kRecFileNumber]);
    header.count = static_cast<std::int16_t>(records.size());
    if (!vendorCounter)
        header.count2 = header.count;
    if (!m_emasterName.empty())
        m_emaster.records.push_back(BuildEmasterRecord(record));
}

void MasterImage::Remove(std::size_t index)
{
    masterChanged = true;
    const bool vendorCounter = header.count2 != header.count;
    records.erase(records.begin() + static_cast<long>(index));
    SyncCounters(vendorCounter);
    if (!m_emasterName.empty())
        m_emaster.records.erase(m_emaster.records.begin() + static_cast<long>(index));
}

void MasterImage::SetDates(std::size_t index, const MbfBytes& firstDate, const MbfBytes& lastDate)
{
    masterChanged = true;
    std::memcpy(&records[index][kRecFirstDate], firstDate.data(), 4);
    std::memcpy(&records[index][kRecLastDate], lastDate.data(), 4);
    if (!m_emasterName.empty())
        SetEmasterDates(&m_emaster.records[index], firstDate, lastDate);
}

std::vector<std::uint8_t> MasterImage::MasterBytes() const
{
    std::vector<std::uint8_t> bytes(headerBytes.begin(), headerBytes.end());
    WriteMasterHeader(bytes.data(), header);
    for (const MasterRecord& record : records)
        bytes.insert(bytes.end(), record.begin(), record.end());
    return bytes;
}

bool MasterImage::Stage(DirectoryChange* change, bool created) const
{
    const std::vector<std::uint8_t> master = MasterBytes();
    if (xmasterChanged)
    {
        XmasterFile above = xmaster;
        int highest = kFirstXmasterNumber - 1;
        for (const XmasterRecord& record : above.records)
            highest = std::max(highest, XmasterFileNumber(record));
        // A vendor's number 65535 leaves the counter nowhere to go: it stays at its end, not at 0.
        SetXmasterCounts(&above.header, static_cast<std::uint16_t>(above.records.size()),
                         static_cast<std::uint16_t>(std::min(std::max(NextNumberAbove(), highest + 1), 65535)));
        if (!change->Stage(m_xmasterName.empty() ? kXmasterFileName : m_xmasterName, "the XMASTER file", above.Bytes(),
                           m_xmasterName.empty() ? DirectoryChange::kCreate : DirectoryChange::kReplace))
            return false;
    }
    if (!masterChanged && !created)
        return true;
    if (!m_emasterName.empty())
    {
        EmasterFile emaster = m_emaster;
        CopyMasterHeader(master.data(), &emaster.header);
        if (!change->Stage(m_emasterName, "the EMASTER file", emaster.Bytes(), DirectoryChange::kReplace))
            return false;
    }
    return change->Stage(m_masterName, "the Master file", master,
                         created ? DirectoryChange::kCreate : DirectoryChange::kReplace);
}

std::vector<int> MasterImage::FileNumbers() const
{
    // A <DIR> entry's number byte counts too: readers that go by the numbers would see it twice.
    std::vector<int> numbers;
    for (const MasterRecord& record : records)
        if (record[kRecFileNumber] != 0)
            numbers.push_back(record[kRecFileNumber]);
    return numbers;
}
} // namespace tavrix
