#pragma once

#include "engine/ConversionJob.h"

#include <functional>
#include <string>
#include <vector>

namespace tavrix {
// One file of a batch: each becomes its own security.
struct BatchFile
{
    std::string input;
    std::string symbol; // Latin-1, as MASTER holds it
    std::string name;
};

// What became of one file.
struct BatchOutcome
{
    std::string input;
    std::string symbol;
    bool converted = false;
    bool skipped = false; // refused before it was read: its symbol or settings are no good
    int records = 0;
    DayNumber firstDay = 0;
    DayNumber lastDay = 0;
    std::string readAs; // how the file was read ("Read as: ..."), once it was
    PriceLineReport leftOut;
    JobError error; // why the file was refused
    // Of a converted file: "converted", or with the rows left out.
    std::string ConvertedText() const;
};

// Many files into one directory, each its own security: every file is read first, then the
// directory is locked once and the files that read are added in one change, committed once, so a
// kill leaves none or all of them. A refused file does not stop the others.
class BatchConversion
{
public:
    // Directory, fields, delimiter, skipped rows and master choice, shared by every file.
    ConversionSettings m_settings;
    int m_nDateFormat = 1;         // or ConversionJob::kAutoDateFormat, found per file
    bool m_bFileSaysFirst = false; // as ConversionJob's, for every file
    ConversionJob::LeftOutPolicy m_nLeftOutPolicy = ConversionJob::kConvertOthers;
    std::function<void()> m_onWaitForLock;
    std::function<void(const std::string& warning)> m_onWarning;
    // Before each file: its position from 0 and the count.
    std::function<void(std::size_t index, std::size_t count, const std::string& input)> m_onProgress;
    std::vector<BatchFile> m_files;
    // Test seam: as ConversionJob::m_stepHook, for the one change of the whole batch.
    std::function<bool(const std::string& step)> m_stepHook;

    // 0 when every file was converted.
    int Run();
    std::vector<BatchOutcome> m_outcomes;
    JobError m_error;      // the directory could not be used, or the change not committed: nothing went in
    std::string m_strPath; // the directory, resolved
    int Converted() const;
    // How the files were read when two or more were read and all alike, else "" and each
    // outcome's readAs says it.
    std::string SharedReading() const;
};

// A file's name without its folder and last extension, in capitals: the symbol a batch gives it.
std::string SymbolOfFile(const std::string& path);
} // namespace tavrix
