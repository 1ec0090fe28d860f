#pragma once

#include "engine/DirectoryChange.h"
#include "engine/JobError.h"
#include "engine/MasterImage.h"
#include "marketdata/PriceFile.h"
#include "marketdata/Securities.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace tavrix {
// A security of the directory being changed: its record in MASTER or in XMASTER.
struct SecurityRef
{
    bool above = false; // in XMASTER
    std::size_t index = 0;
};

// What a new security is, apart from its prices.
struct AddedSecurity
{
    std::string symbol; // Latin-1
    std::string name;
    RecordLayout layout;
    char period = 'D';
    int interval = 0; // bar minutes of an intraday security
};

// The bar length of intraday bars in minutes: the most common step between two bars of one day.
int BarMinutesOf(const std::vector<PriceBar>& bars);

// Changes to one directory made in memory and staged as they come, then committed at once: any
// number of securities added, rewritten or removed go in with one journal, one flush and one
// MASTER (and XMASTER, EMASTER), or not at all. The caller holds the directory's lock.
class DirectoryEdit
{
public:
    explicit DirectoryEdit(std::string directory); // absolute
    DirectoryEdit(const DirectoryEdit&) = delete;
    DirectoryEdit& operator=(const DirectoryEdit&) = delete;

    // Reads the directory's master files (or starts empty ones, for a new MASTER) and the file
    // numbers its price and layout files take.
    JobError Load(const std::string& masterName, bool makeNew);

    // The securities `key` names, MASTER's first: those whose symbol is the key, or when none is,
    // those whose name or leading symbol words are (any case).
    std::vector<SecurityRef> Matching(const std::string& key) const;
    Security Describe(SecurityRef ref) const;
    // "MASTER record 3: BETA", "XMASTER record 2: RCF", for messages.
    std::string RecordLabel(SecurityRef ref) const;
    // The other records, in MASTER or XMASTER, that hold the same file number as `ref` (their labels):
    // one number names one price file, whichever master file lists it.
    std::vector<std::string> SharingItsNumber(SecurityRef ref) const;
    // The number the next Add takes: MASTER's lowest free one while it has room, then XMASTER's
    // next by its counter, or its lowest free one once the counter is at its end; 0 when none is free.
    int NextFileNumber() const;

    // Why no security can be added: both master files are full (or XMASTER is damaged).
    JobError NoRoom() const;
    // Adds a security with its bars (oldest first, at least one) and stages its files.
    JobError Add(const AddedSecurity& added, const std::vector<PriceBar>& bars, int* fileNumber);
    // Rewrites a security's price file with these bars (oldest first) and its dates.
    JobError Replace(SecurityRef ref, const std::vector<PriceBar>& bars);
    // Takes the security out of its master file; its files go once the change is committed.
    JobError Remove(SecurityRef ref);
    // Stages MASTER.BAK (MASTER as it was) and the master files that changed, then commits.
    JobError Commit();

    const std::string& EmasterWarning() const { return m_image.emasterWarning; }
    bool MasterExisted() const { return !m_makeNew; }
    // The name MASTER has (or will have) in the directory.
    const std::string& MasterName() const { return m_masterName; }
    std::function<bool(const std::string& step)> m_stepHook;

private:
    // A refusal when `ref` is a security of an XMASTER that did not read whole.
    JobError DamagedXmaster(SecurityRef ref) const;
    std::string PriceFileOf(SecurityRef ref) const;

    std::string m_directory;
    std::string m_masterName;
    bool m_makeNew = false;
    MasterImage m_image;
    std::vector<std::uint8_t> m_masterBefore;
    std::set<int> m_taken; // numbers of files on disk, and of those this edit stages
    DirectoryChange m_change;
};
} // namespace tavrix
