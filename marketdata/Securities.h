#pragma once

#include "marketdata/Xmaster.h"

#include "marketdata/Fields.h"
#include "marketdata/PriceFile.h"

#include <string>
#include <vector>

namespace tavrix {
// One security of a directory tree, from MASTER or XMASTER, in the terms both share.
struct Security
{
    enum Source
    {
        kMaster,
        kXmaster,
    };

    std::string directory; // ends in '/'
    Source source = kMaster;
    std::size_t index = 0; // its record's position in its master file
    int fileNumber = 0;
    std::string symbol; // Latin-1, as stored, without trailing blanks
    std::string name;
    char period = 'D';
    int interval = 0; // bar minutes
    RecordLayout layout;
    double firstDate = 0; // date values (year - 1900) * 10000 + month * 100 + day
    double lastDate = 0;

    // F1.DAT, or F300.MWD above 255.
    std::string PriceFileName() const;
    // Its path as spelled on disk (found without regard to letter case).
    std::string PriceFilePath() const;
};

// The number of a price or layout file name (F12.DAT, f12.dop, F300.MWD in any letter case), or 0.
int PriceFileNumber(const char* name);

// Every security of a directory tree in the order a search visits them: each directory's MASTER
// securities, then its XMASTER's, then its sub-directories. "" on success; else a message naming the
// starting directory's MASTER or XMASTER that cannot be read, and why. Without `readLayouts`, MASTER
// securities get the usual layout for their field count and no F<n>.DOP is opened (enough to compare
// names and symbols).
std::string ListSecurities(const std::string& directory, std::vector<Security>* securities, bool readLayouts = true);

// The XMASTER securities of one directory (its XMASTER found without regard to letter case). ""
// when it has none or they were read; else why not.
std::string ReadXmasterSecurities(const std::string& directory, std::vector<Security>* securities);
// An XMASTER record's security as listings hold it, in `directory` (which ends in '/').
Security SecurityOfXmaster(const XmasterSecurity& above, const std::string& directory);

// True when `key` names the security: its name, or its symbol's first words, in any letter case.
bool SecurityMatchesKey(const Security& security, const char* key);
// The security `key` means among `securities`: the first whose symbol is the key, else the first
// it matches by name or leading symbol words; nullptr when none.
const Security* SecurityNamedBy(const std::vector<Security>& securities, const char* key);

// The record count its price file's header gives; -1 when it cannot be read.
long StoredRecordCount(const Security& security);

// The price records of a security: "" on success, else why they cannot be read.
std::string ReadSecurityBars(const Security& security, PriceFileContents* contents);
} // namespace tavrix
