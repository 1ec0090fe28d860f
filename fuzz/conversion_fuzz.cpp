// One conversion of a fuzzed input file into an empty directory with "Make New Master". All or
// nothing: afterwards the directory is empty and the run failed, or the run succeeded and the
// directory holds one complete security whose counts and dates agree with its price records.
//
// Input: a settings byte (date layout, delimiter, fields, skipping), then the input file.
#include "FuzzSupport.h"
#include "engine/ConversionJob.h"
#include "marketdata/Master.h"
#include "marketdata/PriceFile.h"
#include "platform/Clock.h"
#include "settings/ConversionSettings.h"

#include <cstring>
#include <numeric>

using namespace tavrix;
using testing_support::Bytes;

namespace {
// Fields on (date, open, high, low, close, volume, open interest) and their columns: all seven,
// no open interest, date and close, date-high-low-close-open interest.
const std::array<int, 7> kOn[4] = {
    {1, 1, 1, 1, 1, 1, 1}, {1, 1, 1, 1, 1, 1, 0}, {1, 0, 0, 0, 1, 0, 0}, {1, 0, 1, 1, 1, 0, 1}};
const std::array<int, 7> kColumn[4] = {
    {0, 1, 2, 3, 4, 5, 6}, {0, 1, 2, 3, 4, 5, 6}, {0, 1, 2, 3, 1, 5, 6}, {0, 1, 1, 2, 3, 5, 4}};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    testing_support::TempDir dir;
    const std::string out = dir / "out";
    testing_support::WriteBytes(dir / "prices.txt", Bytes(data + 1, data + size));
    testing_support::MakeDir(out);
    platform::SetDateSource([] { return platform::CalendarDate{2026, 1, 15}; });

    ConversionSettings settings;
    settings.m_nDelimiter = static_cast<DelimiterChoice>(data[0] / 12 % 3);
    settings.m_nSkipRows = data[0] / 144;
    settings.m_bSkipOn = settings.m_nSkipRows != 0;
    settings.m_nExist = MasterChoice::kMakeNew;
    settings.m_strSymbol = "FUZZ";
    settings.m_strName = "FUZZ CORP";
    settings.m_strPath = out;
    const int fields = data[0] / 36 % 4;
    for (int field = 0; field < kFieldCount; ++field)
        settings.m_fields[field] = {kOn[fields][field] != 0, kColumn[fields][field] + 1};
    ConversionJob job;
    settings.ApplyToJob(job, dir / "prices.txt", data[0] % 12 + 1);
    job.m_nLeftOutPolicy = ConversionJob::kConvertOthers;
    const int result = job.Run();

    const std::vector<std::string> names = testing_support::ListDir(out);
    if (names.empty())
    {
        FUZZ_CHECK(result != 0, "reported success but wrote nothing");
        return 0;
    }
    const auto joined = [](std::string text, const std::string& name) { return text + " " + name; };
    FUZZ_CHECK(names == (std::vector<std::string>{"F1.DAT", "F1.DOP", "MASTER"}),
               "left" + std::accumulate(names.begin(), names.end(), std::string(), joined) + ": " + job.m_error.Text());
    FUZZ_CHECK(result == 0, "reported failure but added a security: " + job.m_error.Text());
    const Bytes master = testing_support::ReadBytes(out + "/MASTER");
    const Bytes prices = testing_support::ReadBytes(out + "/F1.DAT");
    const int fieldCount = std::accumulate(kOn[fields].begin(), kOn[fields].end(), 0);
    const std::size_t length = 4u * fieldCount;
    FUZZ_CHECK(master.size() == 2 * kMasterRecordSize && ReadMasterHeader(master.data()).count == 1, "MASTER");
    const std::uint8_t* record = &master[kMasterRecordSize];
    FUZZ_CHECK(record[kRecFileNumber] == 1 && record[kRecFieldCount] == fieldCount &&
                   record[kRecRecordLength] == length,
               "MASTER's record");
    FUZZ_CHECK(prices.size() >= 2 * length && prices.size() % length == 0, "F1.DAT's size");
    FUZZ_CHECK(PriceFileCountWord(prices.data()) == prices.size() / length, "F1.DAT's count is not its records'");
    FUZZ_CHECK(std::memcmp(&record[kRecFirstDate], &prices[length], 4) == 0, "first date is not the first record's");
    FUZZ_CHECK(std::memcmp(&record[kRecLastDate], &prices[prices.size() - length], 4) == 0,
               "last date is not the last record's");
    return 0;
}
