#include "app/JobOutcome.h"

#include "marketdata/Dates.h"

#include <sstream>

bool DaysDiffer(const tavrix::JobError& error)
{
    return error.commandLineAdvice.find("--replace") != std::string::npos;
}

std::string DifferingDays(const tavrix::JobError& error)
{
    std::string reason = error.reason;
    const std::string closing = "\nNothing was changed.";
    if (reason.size() >= closing.size() && reason.compare(reason.size() - closing.size(), closing.size(), closing) == 0)
        reason.erase(reason.size() - closing.size());
    return error.what + "\n" + reason;
}

std::vector<int> AmbiguousDateFormats(const tavrix::JobError& error)
{
    std::vector<int> codes;
    if (error.what.rfind("The date layout cannot be told", 0) != 0)
        return codes;
    // "...: MM_DD_CCYY, DD_MM_CCYY each read every date."
    std::istringstream words(error.what.substr(error.what.find(':') + 1));
    for (std::string word; words >> word;)
    {
        if (!word.empty() && word.back() == ',')
            word.pop_back();
        if (const int code = tavrix::DateFormatCode(word.c_str()); code != 0)
            codes.push_back(code);
    }
    return codes;
}
