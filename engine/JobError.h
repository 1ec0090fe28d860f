#pragma once

#include <string>

namespace tavrix {
// What the desktop program says where the command line names the options that settle a reading.
constexpr const char* kReadingAdvice =
    "Choose the delimiter, columns, date format or decimal mark in the Conversion Settings dialog.";

// The job's own message texts, shown exactly as written here.
namespace msg {
constexpr const char* kPathDoesNotExist = "Path does not exist";
constexpr const char* kNoMasterFile = "Path specified does not point to a Master file";
constexpr const char* kMasterExists = "New Master chosen but one already exists";
constexpr const char* kMoreColumns = "You need to select more columns";
constexpr const char* kDuplicateSymbol = "Duplicate Symbol";
constexpr const char* kNumericDateFormat =
    "You specified a numeric-only date format\nbut a non-numeric date character was found.";
constexpr const char* kSeparatedDateFormat =
    "You specified a character-separated date format\nbut only numeric date characters were found.";
} // namespace msg

// Who reads a message: advice names the desktop program's controls or the command line's options.
enum class Audience
{
    kDesktop,
    kCommandLine,
};

// Why a job failed: what it could not do, the file or directory concerned, the reason in words and
// the system's error, and advice in the words of each front end. Every job failure is one of these.
struct JobError
{
    std::string what;    // "Cannot write the price file", "Duplicate Symbol"
    std::string path;    // "" when no file is concerned
    std::string reason;  // further lines, in words
    int systemError = 0; // errno of the call that failed; 0 for none
    std::string desktopAdvice;
    std::string commandLineAdvice;
    bool declined = false; // the user answered a question No: nothing more to tell

    bool Failed() const { return !what.empty(); }
    // what, the path, the reason, the system's words and the advice, one per line.
    std::string Text(Audience audience = Audience::kDesktop) const;
    // The first line, for a log or a table.
    const std::string& Headline() const { return what; }
};

// A file the job could not use, with the reason of the last failed system call.
JobError FileError(const std::string& what, const std::string& path);
JobError FileError(const std::string& what, const std::string& path, const std::string& reason);
// "The Master file is damaged:" with its path and what is wrong.
JobError DamagedMaster(const std::string& path, const std::string& detail);
} // namespace tavrix
