#pragma once

#include "engine/JobError.h"
#include "marketdata/Emaster.h"
#include "marketdata/Master.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavrix {
class DirectoryChange;

// A directory's MASTER, and its EMASTER when it has one, read once and changed in memory; Stage
// puts both into a DirectoryChange, EMASTER first, so MASTER is replaced last.
class MasterImage
{
public:
    // Reads `masterName` in `directory`. No error when it is sound; otherwise why nothing may be
    // added to it (unreadable, not a regular file, shorter than its header, count and records disagree).
    JobError Load(const std::string& directory, const std::string& masterName);
    // An empty MASTER for "Make New Master".
    void Clear(const std::string& directory, const std::string& masterName);

    void Add(const MasterRecord& record);
    void Remove(std::size_t index);
    void SetDates(std::size_t index, const MbfBytes& firstDate, const MbfBytes& lastDate);

    std::vector<std::uint8_t> MasterBytes() const;
    // Stages EMASTER (when kept in step) and MASTER; `created` when MASTER did not exist.
    bool Stage(DirectoryChange* change, bool created) const;

    // Indexes of the security records `key` matches (name or leading symbol words, any case).
    std::vector<std::size_t> Matching(const char* key) const;
    // The file numbers MASTER's records hold, <DIR> entries' included.
    std::vector<int> FileNumbers() const;

    MasterHeader header{};
    std::vector<MasterRecord> records;
    MasterRecord headerBytes{}; // as read: vendor bytes such as the serial are written back unchanged
    // Set by Load when an EMASTER exists but does not match MASTER: it is left untouched.
    std::string emasterWarning;

private:
    void SyncCounters(bool vendorCounter);

    std::string m_directory;
    std::string m_masterName;
    std::string m_emasterName; // "" when there is no EMASTER, or it is out of step
    EmasterFile m_emaster;
};
} // namespace tavrix
