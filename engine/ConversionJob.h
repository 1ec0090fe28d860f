#pragma once

#include "engine/DirectoryEdit.h"
#include "engine/JobError.h"
#include "marketdata/Dates.h"
#include "marketdata/Master.h"
#include "marketdata/PriceFile.h"
#include "platform/DirectoryLock.h"
#include "settings/ConversionSettings.h"
#include "text/Detection.h"
#include "text/InputText.h"
#include "text/PriceLines.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tavrix {
class ProfileStore;

// One conversion: filled by the caller, run once, deleted. Steps return 0 to go on and 1 to stop;
// a stop leaves its reason in m_error. A run adds one complete security to the output directory
// or changes nothing there. The job works with absolute paths and never changes the process's
// working directory, so jobs can run side by side.
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

    // What to do with rows that are no price lines: ask m_askConvertOthers, convert the other rows
    // after reporting them, or refuse the whole input.
    enum LeftOutPolicy
    {
        kAskAboutLeftOut,
        kConvertOthers,
        kRefuseLeftOut,
    };
    LeftOutPolicy m_nLeftOutPolicy = kAskAboutLeftOut;
    // The question for kAskAboutLeftOut: true converts the `kept` rows. Without one, nothing is converted.
    std::function<bool(const PriceLineReport& report, std::size_t kept)> m_askConvertOthers;
    // Told of what the user should know though nothing failed (an EMASTER out of step).
    std::function<void(const std::string& warning)> m_onWarning;
    // Called once when another conversion holds the output directory and this one has to wait.
    std::function<void()> m_onWaitForLock;
    // The caller holds the output directory's lock already (a batch of files under one lock).
    bool m_bLockHeldByCaller = false;
    // A batch's change of the directory: Run stages the security into it and leaves the commit,
    // and the lock, to the batch. The input may be read before (Inspect), outside the lock.
    DirectoryEdit* m_pSharedEdit = nullptr;
    // Test seam, asked before each file step ("write F1.DAT", "rename MASTER"); false fails it.
    std::function<bool(const std::string& step)> m_stepHook;

    // After Run: why it failed (no error after a success).
    JobError m_error;
    // After Run: why the path, symbol and name were not stored ("" when they were, or no store).
    std::string m_strSettingsError;
    // After Run: the rows left out (none when every row became a price record).
    PriceLineReport m_leftOut;
    // After the input was read: how, in one or two lines ("Read as: comma-separated, ...").
    std::string ReadAs() const { return m_reading.description; }
    // After the input was read: the date layouts that each read its dates, when it stopped because
    // they give different days (the user picks one).
    const std::vector<int>& AmbiguousDateFormats() const { return m_reading.dateFormats; }
    // After a successful Run, e.g. "ACME: 260 price records, 2025-01-02 to 2025-12-31, F1.DAT in /data".
    std::string Summary() const;

    // Reads the input as a conversion would, changing nothing: ReadAs(), Lines() and m_leftOut
    // then say how it reads.
    int Inspect() { return ReadInput(); }
    const PriceLineReader* Lines() const { return m_lines.get(); }
    // Once the input is read: the bars to store, the price lines or one bar a day made of them
    // (m_bDaily), and what their records hold: the fields read, with a time for intraday bars.
    const std::vector<PriceBar>& Bars();
    RecordLayout Layout() const;

    // Adds the input's new days to the security the symbol names (`tavrix-cli update`); with
    // `replace`, days whose values differ from the stored ones are rewritten instead of refused.
    int Update(bool replace);
    // Removes the security the symbol names: its record first, then its files.
    int Remove();
    // After Update: the days that differ from the price file ("2025-01-06: close is 6 in the price
    // file, 6.5 in the input"), when they made it stop; Update(true) rewrites them.
    std::vector<std::string> m_differences;
    // After Update: records added, rows already in the price file, records rewritten.
    int m_nAdded = 0;
    int m_nAlreadyPresent = 0;
    int m_nReplaced = 0;
    // "2 records added, 2025-02-13 to 2025-02-14; 29 rows were already present; 1 day replaced".
    std::string UpdateSummary() const;

    // m_nDateFormat asking for the layout to be found from the rows; Run then sets the one found.
    static constexpr int kAutoDateFormat = -1;

    int PrepareOutputDirectory();
    int CheckFieldCount();
    int CheckDuplicateSymbol();
    int AddSecurity();
    int ConvertInput();

    std::string m_strInputPath; // "-" reads standard input
    // Output directory, symbol and name (Latin-1), master choice, fields and columns, delimiter and
    // skipped rows; m_settings.m_strPath is made absolute by PrepareOutputDirectory.
    ConversionSettings m_settings;
    int m_nDateFormat = 1;
    // The settings and m_nDateFormat stand in where the file does not say, rather than force a
    // reading on it: for files from different places (FileSaysFirst).
    bool m_bFileSaysFirst = false;
    int m_nFieldCount = 0;
    // The fields the input gives, in field order, as it is read (date and close always).
    std::vector<Field> m_fields;

    // Set by PrepareOutputDirectory: the directory and MASTER as absolute paths.
    std::string m_strPath;
    std::string m_strMasterPath;
    // Set by AddSecurity: the file number chosen for the security (from 256 in XMASTER).
    int m_nFileNumber = 0;
    // Set by ConvertInput: the price records written and their first and last day.
    int m_nLineCount = 0;
    DayNumber m_nFirstDay = 0;
    DayNumber m_nLastDay = 0;

    // The symbol and name as MASTER will hold them: Latin-1, at most 16 characters.
    std::string Symbol() const;
    std::string Name() const;

private:
    int Fail(JobError error);
    std::vector<PriceBar> m_dailyBars; // Bars() when intraday lines are made daily
    // Reads the whole input and its rows before the directory is locked, so a slow or stalled
    // input (a pipe) never keeps other jobs waiting. What the user did not give (delimiter,
    // header and columns, date layout, decimal mark) is read from the file.
    int ReadInput();
    // The report's question or policy for rows left out; 0 to go on with the `kept` rows.
    int AcceptLeftOutRows(std::size_t kept);
    // The one security of this directory (MASTER or XMASTER) the symbol names; errors for none,
    // several, or one whose price file another record names too.
    int FindOwnSecurity(SecurityRef* ref);
    // Reads the directory's master files for a change.
    int OpenEdit(bool makeNew);
    // Once per run: an EMASTER out of step with MASTER is left alone, and the user is told.
    void WarnAboutEmaster() const;
    bool Intraday() const { return m_reading.intraday && !m_settings.m_bDaily; }
    std::string PriceFileName() const;
    bool UsesExistingMaster() const { return m_settings.m_nExist == MasterChoice::kUseExisting; }

    InputText m_input;
    Reading m_reading;
    std::unique_ptr<PriceLineReader> m_lines;
    ProfileStore* m_pProfileStore;
    platform::DirectoryLock m_lock;
    std::string m_strMasterName; // MASTER as it is spelled in the directory
    bool m_bMasterExists = false;
    std::unique_ptr<DirectoryEdit> m_ownEdit;
    DirectoryEdit* m_edit = nullptr; // the directory's master files, changed in memory until the commit
};
} // namespace tavrix
