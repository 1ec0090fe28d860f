#pragma once

#include "engine/MasterImage.h"
#include "text/PriceLines.h"
#include "marketdata/Dates.h"
#include "marketdata/Master.h"
#include "marketdata/Mbf.h"
#include "marketdata/PriceFile.h"
#include "platform/DirectoryLock.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tavrix {
class ProfileStore;

// One conversion: filled by the caller, run once, deleted. Steps return 0 to go on and 1 to stop;
// every stop has told the user why through platform::AfxMessageBox. A run adds one complete
// security to the output directory or changes nothing there.
class ConversionJob
{
public:
    // Path, symbol and name are stored in `store` once the security's number is chosen; a null
    // store keeps them nowhere (the command-line converter leaves the desktop settings alone).
    explicit ConversionJob(ProfileStore* store = nullptr);
    virtual ~ConversionJob();
    ConversionJob(const ConversionJob&) = delete;
    ConversionJob& operator=(const ConversionJob&) = delete;

    int Run();

    // What to do with rows that are no price lines: ask (the desktop program's Yes/No question),
    // convert the other rows after reporting them, or refuse the whole input.
    enum LeftOutPolicy
    {
        kAskAboutLeftOut,
        kConvertOthers,
        kRefuseLeftOut,
    };
    LeftOutPolicy m_nLeftOutPolicy = kAskAboutLeftOut;
    // Called once when another conversion holds the output directory and this one has to wait.
    std::function<void()> m_onWaitForLock;
    // The caller holds the output directory's lock already (a batch of files under one lock).
    bool m_bLockHeldByCaller = false;
    // Test seam, asked before each file step ("write F1.DAT", "rename MASTER"); false fails it.
    std::function<bool(const std::string& step)> m_stepHook;

    // After Run: the message that made the run fail ("" after a success).
    std::string m_strFailure;
    // After Run: why the path, symbol and name were not stored ("" when they were, or no store).
    std::string m_strSettingsError;
    // After Run: the report of rows left out ("" when every row became a price record).
    std::string m_strLeftOutReport;
    // After a successful Run, e.g. "ACME: 260 price records, 2025-01-02 to 2025-12-31, F1.DAT in /data".
    std::string Summary() const;

    // Adds the input's new days to the security m_szSymbol names (`tavrix-cli update`); with
    // `replace`, days whose values differ from the stored ones are rewritten instead of refused.
    int Update(bool replace);
    // Removes the security m_szSymbol names: its record first, then its files.
    int Remove();
    // After Update: records added, rows already in the price file, records rewritten.
    int m_nAdded = 0;
    int m_nAlreadyPresent = 0;
    int m_nReplaced = 0;

    // m_nDateFormat asking for the layout to be found from the rows; Run then sets the one found.
    static constexpr int kAutoDateFormat = -1;

    int PrepareOutputDirectory();
    int CheckFieldCount();
    int CheckDuplicateSymbol();
    int AddSecurity();
    int ConvertInput();

    // Bounded copies into the fixed-size texts: longer input is cut, never written past the end.
    // Symbol and name are Latin-1, as MASTER holds them.
    void SetPath(const std::string& path);
    void SetSymbol(const std::string& symbol);
    void SetName(const std::string& name);

    std::string m_strInputPath; // "-" reads standard input
    int m_bUseExistingMaster = 0;
    std::array<int, kFieldCount> m_bFieldOn{};
    std::array<int, kFieldCount> m_nFieldCol{};
    char m_szPath[301] = {};
    char m_szMasterPath[301] = {};
    char m_szSymbol[17] = {};
    char m_szName[17] = {};
    char m_szDelimiter[4] = {','};
    int m_nDateFormat = 1;
    int m_bSkipOn = 0;
    int m_nSkipRows = 0;
    int m_nFieldCount = 0;

    // Set by AddSecurity: the file number chosen for the security and the conversion day's date.
    std::uint8_t m_nFileNumber = 0;
    MbfBytes m_conversionDay{};
    // Set by ConvertInput: the price records written and their first and last day.
    int m_nLineCount = 0;
    DayNumber m_nFirstDay = 0;
    DayNumber m_nLastDay = 0;

private:
    int Fail(const std::string& message);
    // Reads the input with the price-line rules, finding the date layout when asked to.
    int ReadPriceLines(std::unique_ptr<PriceLineReader>* lines);
    // The report's question or policy for rows left out; 0 to go on with the `kept` rows.
    int AcceptLeftOutRows(std::size_t kept);
    // The one security of this directory's MASTER that m_szSymbol names; messages for none or several.
    int FindOwnSecurity(std::size_t* index);
    // Once per run: an EMASTER out of step with MASTER is left alone, and the user is told.
    void WarnAboutEmaster() const;
    // Puts the dates into the security's record of the MASTER image.
    void UpdateMasterDates(const MbfBytes& firstDate, const MbfBytes& lastDate, std::uint8_t fileNumber);
    // The header's record count, set once when the whole price file is built.
    void UpdatePriceFileHeader(std::uint16_t count, std::vector<std::uint8_t>* priceFile) const;
    // Stages the price file, layout file and MASTER, renames them into place, then MASTER.BAK.
    int WriteSecurity(const std::deque<PriceLine>& lines);
    std::string FileName(const char* extension) const;

    ProfileStore* m_pProfileStore;
    platform::DirectoryLock m_lock;
    std::string m_strMasterName; // MASTER as it is spelled in the directory
    MasterImage m_image;         // the directory's MASTER (and EMASTER), changed in memory until the commit
};
} // namespace tavrix
