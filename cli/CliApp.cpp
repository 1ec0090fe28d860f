#include "cli/CliApp.h"

#include "cli/CheckCommand.h"
#include "cli/CliCommands.h"
#include "marketdata/Dates.h"
#include "platform/Strings.h"
#include "settings/SettingsRules.h"

#include <CLI/CLI.hpp>

#include <climits>
#include <map>
#include <sstream>

#ifndef TAVRIX_VERSION
#define TAVRIX_VERSION "0.0.0"
#endif

namespace tavrix::cli {
namespace {
// "date=1,open=2": the columns named, into the settings.
std::string ApplyColumns(const std::string& text, ConversionSettings& settings)
{
    std::stringstream pieces(text);
    std::string piece;
    while (std::getline(pieces, piece, ','))
    {
        const auto equals = piece.find('=');
        const std::string name = equals == std::string::npos ? "" : piece.substr(0, equals);
        const Field field = FieldOfOption(name);
        if (field == kFieldCount && name != "time")
            return "--columns: '" + piece +
                   "' is not FIELD=NUMBER with FIELD one of date, time, open, high, low, close, "
                   "volume, oi";
        const std::string number = piece.substr(equals + 1);
        if (number.empty() || number.size() > 9 || number.find_first_not_of("0123456789") != std::string::npos)
            return "Please enter a positive integer.";
        (field == kFieldCount ? settings.m_nTimeCol : settings.Column(field).column) = std::stoi(number);
        if (field != kFieldCount)
            settings.Column(field).on = settings.m_bFieldNamed[field] = true;
        settings.m_bColumnsGiven = true;
    }
    return "";
}

std::string ApplyWithout(const std::vector<std::string>& fields, ConversionSettings& settings)
{
    for (const std::string& name : fields)
    {
        const Field field = FieldOfOption(name);
        if (field == kFieldCount || field == kFieldDate || field == kFieldClose)
            return "--without: '" + name +
                   "' cannot be left out (date and close are always converted; "
                   "the others are open, high, low, volume, oi)";
        settings.Column(field).on = false;
        settings.m_bFieldNamed[field] = true;
        settings.m_bColumnsGiven = true;
    }
    return "";
}

// Symbols and names come from the terminal as UTF-8 and go into MASTER as Latin-1.
std::string ToMasterText(const char* what, std::string& text)
{
    std::string latin1;
    const std::string problem = rules::ToMasterText(text, &latin1);
    if (!problem.empty())
        return std::string(what) + ": " + problem;
    text = latin1;
    return "";
}

std::string DateFormatChoices()
{
    std::string names;
    for (int code = 1; code <= kDateFormatCount; ++code)
        names += std::string(code > 1 ? ", " : "") + DateFormatName(code);
    return names;
}

std::string ApplyDateFormat(const std::string& text, ConversionSettings& settings)
{
    if (platform::_stricmp(text.c_str(), kAutoDateFormatName) == 0)
    {
        settings.m_strDateFormat = kAutoDateFormatName;
        return "";
    }
    for (int code = 1; code <= kDateFormatCount; ++code)
        if (platform::_stricmp(text.c_str(), DateFormatName(code)) == 0)
        {
            settings.m_strDateFormat = DateFormatName(code);
            return "";
        }
    return "--date-format: '" + text + "' is not one of " + DateFormatChoices() + " or auto";
}
// The options that say how rows are read, shared by convert and update.
struct ParsingArgs
{
    std::string delimiter;
    std::string decimal;
    std::string dateFormat = kAutoDateFormatName;
    std::string columns;
    std::vector<std::string> without;
    static constexpr int kNoSkip = INT_MIN;
    int skip = kNoSkip;
    bool strict = false;
    bool daily = false;

    void AddTo(CLI::App* command)
    {
        command->add_option("--delimiter", delimiter, "Column delimiter (found from the rows when not given)")
            ->check(CLI::IsMember({"comma", "tab", "space", "semicolon", "pipe"}));
        command->add_option("--decimal", decimal, "Decimal mark of the numbers (found from the rows when not given)")
            ->check(CLI::IsMember({"point", "comma"}));
        command->add_option("--date-format", dateFormat, "Date layout: " + DateFormatChoices() + ", or auto")
            ->capture_default_str();
        command->add_option("--skip", skip, "Skip this many leading rows (0 to 200)");
        command->add_option("--columns", columns,
                            "Column of each field, e.g. date=1,open=2,high=3,low=4,close=5,volume=6,oi=7 (a header "
                            "row names them when not given)");
        command->add_option("--without", without, "Fields the input lacks: open, high, low, volume, oi")
            ->delimiter(',');
        command->add_flag("--strict", strict, "Fail, writing nothing, when any row is not a price line");
        command->add_flag("--daily", daily,
                          "Make one daily bar of each day's intraday bars (first open, highest high, lowest low, "
                          "last close, summed volume)");
    }

    std::string ApplyTo(ConversionSettings& settings) const
    {
        const std::map<std::string, DelimiterChoice> delimiters = {
            {"comma", DelimiterChoice::kComma}, {"tab", DelimiterChoice::kTab},
            {"space", DelimiterChoice::kSpace}, {"semicolon", DelimiterChoice::kSemicolon},
            {"pipe", DelimiterChoice::kPipe},
        };
        settings.m_nDelimiter = delimiters.count(delimiter) ? delimiters.at(delimiter) : DelimiterChoice::kNone;
        settings.m_nDecimal = decimal == "comma"   ? DecimalChoice::kComma
                              : decimal == "point" ? DecimalChoice::kPoint
                                                   : DecimalChoice::kAutomatic;
        // The columns are the file's header's, or these, unless --columns or --without names them.
        settings.m_bColumnsGiven = false;
        settings.m_bFieldNamed.fill(false);
        settings.m_bDaily = daily;
        if (skip != kNoSkip)
        {
            settings.m_bSkipOn = true;
            settings.m_nSkipRows = skip;
        }
        for (const std::string& problem :
             {ApplyDateFormat(dateFormat, settings), ApplyColumns(columns, settings), ApplyWithout(without, settings),
              ToMasterText("The symbol", settings.m_strSymbol), ToMasterText("The name", settings.m_strName)})
            if (!problem.empty())
                return problem;
        return "";
    }
};
} // namespace

int Main(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    CLI::App app{"Tavrix converts delimited price files into MetaStock-format data directories."};
    app.name("tavrix-cli");
    app.set_version_flag("--version", std::string("tavrix-cli ") + TAVRIX_VERSION);
    app.require_subcommand(1);

    ConvertOptions options;
    ParsingArgs parsing;
    std::vector<std::string> inputs;
    bool newMaster = false;
    bool existingMaster = false;
    CLI::App* convert = app.add_subcommand("convert", "Convert input files into new securities");
    convert
        ->add_option("INPUT", inputs,
                     "Delimited text files, one trading period per row (or a file of many securities, one "
                     "row per security and period); - reads standard input")
        ->required();
    convert->add_option("--dir", options.settings.m_strPath, "Output directory")->required();
    CLI::Option* symbolOption =
        convert->add_option("--symbol", options.settings.m_strSymbol,
                            "Symbol of the new security (one input; a file of many securities needs none)");
    CLI::Option* nameOption =
        convert->add_option("--name", options.settings.m_strName, "Name of the new security (one input)");
    CLI::Option* newFlag = convert->add_flag("--new-master", newMaster, "Make a new MASTER in the directory");
    CLI::Option* existingFlag = convert->add_flag("--existing-master", existingMaster,
                                                  "Add to the directory's MASTER, which must exist (without either "
                                                  "option: add to it when there is one, else make one)");
    newFlag->excludes(existingFlag);
    parsing.AddTo(convert);
    convert->add_flag("--save-settings", options.saveSettings,
                      "Store these settings as the desktop program's conversion settings");

    CLI::App* inspect = app.add_subcommand("inspect", "Show how an input file is read, changing nothing");
    inspect->add_option("INPUT", options.input, "Delimited text file; - reads standard input")->required();
    parsing.AddTo(inspect);

    CLI::App* update = app.add_subcommand("update", "Add an input's new days to an existing security");
    update->add_option("INPUT", options.input, "Delimited text file; - reads standard input")->required();
    update->add_option("--dir", options.settings.m_strPath, "Directory holding the security's MASTER")->required();
    CLI::Option* updateSymbol = update->add_option(
        "--symbol", options.settings.m_strSymbol,
        "Symbol or name of the security (not for a file of many securities, which names each in a column)");
    update->add_flag("--replace", options.replace, "Rewrite stored days whose values differ from the input");
    parsing.AddTo(update);

    std::string directory;
    std::string symbol;
    CLI::App* remove = app.add_subcommand("remove", "Remove one security and its files");
    remove->add_option("DIR", directory, "Directory holding a MASTER file")->required();
    remove->add_option("SYMBOL", symbol, "Symbol or name of the security")->required();

    CLI::App* check = app.add_subcommand("check", "Check a directory tree and report its problems");
    check->add_option("DIR", directory, "Directory holding a MASTER file")->required();

    CLI::App* list = app.add_subcommand("list", "List the securities of a directory tree");
    list->add_option("DIR", directory, "Directory holding a MASTER file")->required();

    CLI::App* exportCommand = app.add_subcommand("export", "Write one security's price records as CSV");
    exportCommand->add_option("DIR", directory, "Directory holding a MASTER file")->required();
    exportCommand->add_option("SYMBOL", symbol, "Symbol or name of the security")->required();

    try
    {
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend()); // CLI11 takes them last first
        app.parse(reversed);
        if (*convert && inputs.size() > 1 && (*symbolOption || *nameOption))
            throw CLI::ValidationError("--symbol and --name", "take one input; with several, each file's name "
                                                              "gives its symbol");
    }
    catch (const CLI::ParseError& error)
    {
        const int code = app.exit(error, out, err);
        return code == 0 ? kExitSuccess : kExitUsage;
    }

    if (*list)
        return RunList(directory, out, err);
    if (*exportCommand)
        return RunExport(directory, symbol, out, err);
    if (*check)
        return RunCheck(directory, out, err);
    if (*remove)
        return RunRemove(directory, symbol, out, err);

    options.settings.m_nExist = newMaster        ? MasterChoice::kMakeNew
                                : existingMaster ? MasterChoice::kUseExisting
                                                 : MasterChoice::kAutomatic;
    options.strict = parsing.strict;
    const std::string problem = parsing.ApplyTo(options.settings);
    if (!problem.empty())
    {
        err << problem << "\n";
        return kExitUsage;
    }
    // A file without --symbol is a file of many securities, which names each in a column.
    if (*update)
    {
        if (*updateSymbol)
            return RunUpdate(options, out, err);
        options.settings.m_nExist = MasterChoice::kUseExisting;
        return RunMarket(options, out, err);
    }
    if (*inspect)
        return RunInspect(options, out, err);
    if (inputs.size() > 1)
        return RunConvertMany(options, inputs, out, err);
    options.input = inputs.front();
    if (!*symbolOption)
    {
        if (*nameOption)
        {
            err << "--name takes --symbol; a file of many securities gives their names in a column.\n";
            return kExitUsage;
        }
        return RunMarket(options, out, err);
    }
    return RunConvert(options, out, err);
}
} // namespace tavrix::cli
