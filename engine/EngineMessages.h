#pragma once

#include <string>

namespace tavrix {
// The job's message texts; shown exactly as written here.
namespace msg {
constexpr const char* kPathDoesNotExist = "Path does not exist";
constexpr const char* kNoMasterFile = "Path specified does not point to a Master file";
constexpr const char* kMasterExists = "New Master chosen but one already exists";
constexpr const char* kMoreColumns = "You need to select more columns";
constexpr const char* kDuplicateSymbol = "Duplicate Symbol";
constexpr const char* kMasterFull =
    "This portfolio already has the\nmaximum number of symbols (255).\nChoose a different or new portfolio.";
constexpr const char* kNumericDateFormat =
    "You specified a numeric-only date format\nbut a non-numeric date character was found.";
constexpr const char* kSeparatedDateFormat =
    "You specified a character-separated date format\nbut a only numeric date characters were found.";
constexpr const char* kPathTooLong = "Path is too long\n(the output directory may have at most 293 characters).";
} // namespace msg

// Shows the message and gives the step's result for a stop, 1.
int ReportFailure(const std::string& message);

// "<what>\n<path>\n<reason of the last system error>", for a file that could not be used.
std::string FileErrorMessage(const std::string& what, const std::string& path);
// "The Master file is damaged:\n<path>\n<detail>"
std::string DamagedMasterMessage(const std::string& path, const std::string& detail);
} // namespace tavrix
