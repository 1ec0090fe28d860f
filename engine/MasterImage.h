#pragma once

#include "engine/JobError.h"
#include "marketdata/Emaster.h"
#include "marketdata/Master.h"
#include "marketdata/Xmaster.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavrix {
class DirectoryChange;

// A directory's MASTER, and its EMASTER and XMASTER when it has them, read once and changed in
// memory; Stage puts those that changed into a DirectoryChange, MASTER last.
class MasterImage
{
public:
    // Reads `masterName` in `directory`. No error when it is sound; otherwise why nothing may be
    // added to it (unreadable, not a regular file, shorter than its header, count and records disagree,
    // or an XMASTER that cannot be read).
    JobError Load(const std::string& directory, const std::string& masterName);
    // An empty MASTER for "Make New Master".
    void Clear(const std::string& directory, const std::string& masterName);

    void Add(const MasterRecord& record);
    void Remove(std::size_t index);
    void SetDates(std::size_t index, const MbfBytes& firstDate, const MbfBytes& lastDate);

    // XMASTER's records, for the securities numbered from 256.
    void AddAbove(const XmasterRecord& record);
    void RemoveAbove(std::size_t index);
    void SetDatesAbove(std::size_t index, std::int32_t firstDate, std::int32_t lastDate);
    // Why XMASTER cannot be changed ("" when it can, or there is none yet).
    const std::string& XmasterProblem() const { return m_xmasterProblem; }
    // The next number above 255 that XMASTER's header and records leave free.
    int NextNumberAbove() const;

    std::vector<std::uint8_t> MasterBytes() const;
    // Stages what changed: XMASTER, EMASTER (when kept in step) and MASTER (`created` when it did
    // not exist), in that order, so the file readers start from is replaced last.
    bool Stage(DirectoryChange* change, bool created) const;

    // The file numbers MASTER's records hold, <DIR> entries' included.
    std::vector<int> FileNumbers() const;

    MasterHeader header{};
    std::vector<MasterRecord> records;
    MasterRecord headerBytes{}; // as read: vendor bytes such as the serial are written back unchanged
    XmasterFile xmaster;        // its records; the header once there is one
    bool masterChanged = false;
    bool xmasterChanged = false;
    // Set by Load when an EMASTER exists but does not match MASTER: it is left untouched.
    std::string emasterWarning;

private:
    void SyncCounters(bool vendorCounter);
    JobError LoadXmaster();

    std::string m_directory;
    std::string m_masterName;
    std::string m_emasterName; // "" when there is no EMASTER, or it is out of step
    EmasterFile m_emaster;
    std::string m_xmasterName; // "" when there is none yet
    std::string m_xmasterProblem;
};
} // namespace tavrix
