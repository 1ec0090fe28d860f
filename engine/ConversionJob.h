#pragma once

#include "marketdata/Mbf.h"
#include "marketdata/PriceFile.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace tavrix {
class ProfileStore;

// One conversion: filled by the caller, run once, deleted. Steps return 0 to go on and 1 to stop;
// every stop has told the user why through platform::AfxMessageBox.
class ConversionJob
{
public:
    // Path, symbol and name are stored in `store` once the security has been added; a null store
    // keeps them nowhere (the command-line converter leaves the desktop settings alone).
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

    // After Run: the message that made the run fail ("" after a success or when none was shown).
    std::string m_strFailure;
    // After Run: why the path, symbol and name were not stored ("" when they were, or no store).
    std::string m_strSettingsError;
    // After a successful Run, e.g. "ACME: 260 price records, 2025-01-02 to 2025-12-31, F1.DAT in /data".
    std::string Summary() const;

    int PrepareOutputDirectory();
    int CheckFieldCount();
    int CheckDuplicateSymbol();
    int AddSecurity();
    int ConvertInput();
    // Rewrite MASTER and F<n>.DAT through a .NEW copy; 0 when the copy took the file's place.
    int UpdateMasterDates(const MbfBytes& firstDate, const MbfBytes& lastDate, std::uint8_t fileNumber);
    int UpdatePriceFileHeader(std::uint16_t count, std::uint8_t fileNumber);

    // Bounded copies into the fixed-size texts: longer input is cut, never written past the end.
    void SetPath(const std::string& path);
    void SetSymbol(const std::string& symbol);
    void SetName(const std::string& name);

    std::string m_strInputPath;
    int m_bUseExistingMaster = 0;
    std::array<int, kFieldCount> m_bFieldOn{};
    std::array<int, kFieldCount> m_nFieldCol{};
    char m_szPath[301] = {};
    char m_szMasterPath[301] = {};
    char m_szSymbol[17] = {};
    char m_szName[17] = {};
    char m_szDelimiter[4] = {','};
    std::array<MbfBytes, kFieldCount> m_fValues{};
    int m_nDateFormat = 1;
    int m_bSkipOn = 0;
    int m_nSkipRows = 0;
    int m_nFieldCount = 0;

    // Set by AddSecurity: the file number it gave the security and the conversion day's date.
    std::uint8_t m_nFileNumber = 0;
    MbfBytes m_conversionDay{};
    // Set by ConvertInput: the price records written.
    int m_nLineCount = 0;

protected:
    // Price records go through one descriptor kept open for the whole input, one write per
    // record, so an interrupted run still leaves every converted record in the file.
    virtual bool OpenPriceFileForAppend(const std::string& path);
    virtual bool AppendPriceRecord(const std::string& path, const std::uint8_t* record, std::size_t size);
    virtual void ClosePriceFile();

    std::string PriceFilePath(std::uint8_t fileNumber, const char* extension) const;

private:
    ProfileStore* m_pProfileStore;
    int m_priceFile = -1;
};
} // namespace tavrix
