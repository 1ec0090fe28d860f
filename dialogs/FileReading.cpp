#include "dialogs/FileReading.h"

#include "marketdata/Dates.h"
#include "platform/FileOps.h"
#include "platform/Strings.h"
#include "settings/ReadingChoices.h"
#include "text/PriceLines.h"

using namespace tavrix;

namespace reading {
std::string ReadingProblem(const InputText& input, const ConversionSettings& settings, int dateFormat)
{
    if (dateFormat < 1 || dateFormat > kDateFormatCount)
        return "no date layout is chosen";
    const Reading found = Detect(input, GivenReadingOf(settings, dateFormat));
    if (!found.error.empty())
        return found.error;
    if (found.tickerColumn >= 0)
        return ""; // each ticker's rows are read on their own, not the file's as one
    PriceLineReader lines(found.rules);
    lines.AddRows(input);
    const PriceLineReport& report = lines.Report();
    if (lines.Lines().empty())
        return "no row would be a price line";
    if (report.leftOut > 0)
        return std::to_string(report.leftOut) + " of " + std::to_string(report.rows) +
               (report.rows == 1 ? " row" : " rows") + " would be left out";
    return "";
}

std::string FillFromFile(const InputText& input, ConversionSettings* settings, std::string* error,
                         int preferredDateFormat)
{
    GivenReading given;
    if (preferredDateFormat > 0)
        given.preferredDateFormat = preferredDateFormat;
    const Reading found = Detect(input, given);
    if (!found.error.empty())
    {
        *error = found.error;
        return "";
    }
    error->clear();
    ApplyReading(found, settings);
    return found.description;
}

Header HeaderOf(const InputText& input)
{
    return Detect(input, GivenReading{}).header;
}

std::shared_ptr<const InputText> ReadFile(const std::string& path, std::string* error)
{
    auto text = std::make_shared<InputText>();
    platform::FilePtr file = platform::OpenFile(path, "rb");
    if (!file)
    {
        *error = platform::LastErrorText();
        return text;
    }
    *text = ReadInputText(file.get());
    error->clear();
    if (text->Failed())
        *error = platform::LastErrorText();
    return text;
}
} // namespace reading

namespace target {
bool FindSecurity(const std::string& directory, const std::string& symbol, bool ownMasterOnly, Security* found)
{
    std::string listed = platform::TrimRightWhite(directory);
    if (listed.empty())
        return false;
    while (listed.size() > 1 && listed.back() == '/')
        listed.pop_back();
    std::vector<Security> securities;
    ListSecurities(listed, &securities, false);
    std::vector<Security> candidates;
    for (const Security& security : securities)
        if (!ownMasterOnly || (security.source == Security::kMaster && security.directory == listed + "/"))
            candidates.push_back(security);
    const Security* named = SecurityNamedBy(candidates, symbol.c_str());
    if (named)
        *found = *named;
    return named != nullptr;
}

bool HasMaster(const std::string& directory)
{
    const std::string trimmed = platform::TrimRightWhite(directory);
    return !trimmed.empty() && !platform::FindNameNoCase(trimmed, "MASTER").empty();
}
} // namespace target
