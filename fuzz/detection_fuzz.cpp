// Reading a file nobody described: whatever the bytes, detection ends with a reading or a reason,
// and the price lines read under it are oldest first, one per date (and time), with real days.
//
// Input: the file's bytes.
#include "FuzzSupport.h"
#include "text/Detection.h"
#include "text/InputText.h"
#include "text/PriceLines.h"

using namespace tavrix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const InputText input = InputTextFromBytes(std::string(reinterpret_cast<const char*>(data), size));
    const Reading reading = Detect(input, GivenReading{});
    if (!reading.error.empty())
        return 0;
    FUZZ_CHECK(!reading.description.empty(), "a reading that says nothing of itself");
    FUZZ_CHECK(reading.rules.column[kFieldDate] >= 0 && reading.rules.column[kFieldClose] >= 0,
               "a reading without a date or a close");
    PriceLineReader reader(reading.rules);
    reader.AddRows(input);
    long long last = -1;
    const bool timed = reading.rules.timeColumn >= 0 || reading.rules.timeAfterDate;
    for (const PriceLine& line : reader.Lines())
    {
        FUZZ_CHECK(line.day != 0 && !IsoDayText(line.day).empty(), "a line without a real day");
        const long long key = static_cast<long long>(line.day) * 1000000 + (timed ? line.time : 0);
        FUZZ_CHECK(key > last, "lines not oldest first, or a date twice");
        last = key;
    }
    FUZZ_CHECK(reader.Report().leftOut <= reader.Report().rows, "more rows left out than read");
    return 0;
}
