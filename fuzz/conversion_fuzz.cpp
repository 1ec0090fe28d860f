// One conversion of a fuzzed input file into a fresh directory with "Make New Master". All or
// nothing: afterwards the directory is empty and the run failed, or the run succeeded and the
// directory holds one complete security whose counts and dates agree with its price records.
//
// Input: a settings byte (date layout, delimiter, fields, skipping), then the input file.
#include "FuzzSupport.h"
#include "engine/ConversionJob.h"
#include "marketdata/Master.h"
#include "marketdata/PriceFile.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "settings/ConversionSettings.h"

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace tavrix;

namespace {
// The job changes the working directory; libFuzzer writes its findings relative to it.
const std::string kStartDirectory = [] {
    char buffer[4096];
    return std::string(::getcwd(buffer, sizeof buffer) ? buffer : "/");
}();

std::string g_lastMessage;

struct Choice
{
    ConversionSettings settings;
    int dateFormat = 1;
    int fieldCount = 7;
};

Choice ChooseSettings(std::uint8_t byte)
{
    Choice choice;
    ConversionSettings& settings = choice.settings;
    choice.dateFormat = byte % 12 + 1;
    settings.m_nDelimiter = byte / 12 % 3;
    switch (byte / 36 % 4)
    {
    case 1:
        settings.m_bOIOn = 0;
        choice.fieldCount = 6;
        break;
    case 2:
        settings.m_bOpenOn = settings.m_bHiOn = settings.m_bLoOn = settings.m_bVolOn = settings.m_bOIOn = 0;
        settings.m_nCloCol = 2;
        choice.fieldCount = 2;
        break;
    case 3:
        settings.m_bOpenOn = settings.m_bVolOn = 0;
        settings.m_nHiCol = 2;
        settings.m_nLoCol = 3;
        settings.m_nCloCol = 4;
        settings.m_nOICol = 5;
        choice.fieldCount = 5;
        break;
    default:
        break;
    }
    settings.m_bSkipOn = byte / 144;
    settings.m_nSkipRows = settings.m_bSkipOn;
    settings.m_nExist = 1; // Make New Master
    settings.m_strSymbol = "FUZZ";
    settings.m_strName = "FUZZ CORP";
    return choice;
}

std::string Joined(const std::set<std::string>& names)
{
    std::string text;
    for (const auto& name : names)
        text += (text.empty() ? "" : " ") + name;
    return text;
}

void CheckSecurity(const std::string& out, int fieldCount)
{
    using fuzz_support::Bytes;
    const Bytes master = fuzz_support::ReadFile(out + "/MASTER");
    FUZZ_CHECK(master.size() == 2 * kMasterRecordSize, "MASTER of " + std::to_string(master.size()) + " bytes");
    FUZZ_CHECK(ReadMasterHeader(master.data()).count == 1, "MASTER's count is not 1");
    const std::uint8_t* record = &master[kMasterRecordSize];
    FUZZ_CHECK(record[kRecFileNumber] == 1, "the security is not F1");
    FUZZ_CHECK(record[kRecFieldCount] == fieldCount, "field count " + std::to_string(record[kRecFieldCount]));
    const std::size_t length = 4u * static_cast<std::size_t>(fieldCount);
    FUZZ_CHECK(record[kRecRecordLength] == length, "record length " + std::to_string(record[kRecRecordLength]));

    const Bytes prices = fuzz_support::ReadFile(out + "/F1.DAT");
    FUZZ_CHECK(prices.size() >= 2 * length && prices.size() % length == 0,
               "F1.DAT of " + std::to_string(prices.size()) + " bytes");
    const std::size_t count = PriceFileCountWord(prices.data());
    FUZZ_CHECK(count == prices.size() / length, "F1.DAT header counts " + std::to_string(count) + " of " +
                                                    std::to_string(prices.size() / length) + " records");
    FUZZ_CHECK(std::memcmp(&record[kRecFirstDate], &prices[length], 4) == 0,
               "MASTER's first date is not the first record's");
    FUZZ_CHECK(std::memcmp(&record[kRecLastDate], &prices[prices.size() - length], 4) == 0,
               "MASTER's last date is not the last record's");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    fuzz_support::ScratchDir dir;
    const std::string input = dir / "prices.txt";
    const std::string out = dir / "out";
    fuzz_support::WriteFile(input, data + 1, size - 1);
    FUZZ_CHECK(::mkdir(out.c_str(), 0755) == 0, "cannot make " + out);

    platform::SetHivePath(dir / "registry");
    platform::SetDateSource([] { return platform::CalendarDate{2026, 1, 15}; });
    g_lastMessage.clear();
    platform::SetMessageBoxHandler([](const std::string& text, unsigned type) {
        g_lastMessage = text;
        return (type & 0x0F) == platform::MB_YESNO ? platform::IDNO : platform::IDOK;
    });

    Choice choice = ChooseSettings(data[0]);
    choice.settings.m_strPath = out;
    int result = 1;
    {
        ConversionJob job;
        choice.settings.ApplyToJob(job, input, choice.dateFormat);
        job.m_nLeftOutPolicy = ConversionJob::kConvertOthers;
        result = job.Run();
    }
    FUZZ_CHECK(::chdir(kStartDirectory.c_str()) == 0, "cannot go back to " + kStartDirectory);

    const std::set<std::string> names = fuzz_support::ListNames(out);
    if (names.empty())
    {
        FUZZ_CHECK(result != 0, "reported success but wrote nothing");
        return 0;
    }
    FUZZ_CHECK(names == (std::set<std::string>{"F1.DAT", "F1.DOP", "MASTER"}),
               "left [" + Joined(names) + "] after: " + g_lastMessage);
    FUZZ_CHECK(result == 0, "reported failure but added a security: " + g_lastMessage);
    CheckSecurity(out, choice.fieldCount);
    return 0;
}
