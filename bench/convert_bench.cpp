// Conversion speed: lines per second for a whole run (directory, MASTER, price file, finishing
// copies), against a variant that opens and closes the price file for every record. The peak
// resident size is reported so that a run over a larger input shows whether memory grows.
#include "engine/ConversionJob.h"
#include "platform/MessageBox.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {
std::string TempRoot()
{
    static const std::string root = [] {
        std::string pattern = "/tmp/tavrix-bench-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return pattern;
    }();
    return root;
}

// An input of `lines` lines with all seven fields, made once per size.
std::string Input(long lines)
{
    const std::string path = TempRoot() + "/input-" + std::to_string(lines) + ".csv";
    if (std::filesystem::exists(path))
        return path;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    for (long i = 0; i < lines; ++i)
    {
        const long day = i % 28 + 1;
        const long month = i / 28 % 12 + 1;
        const long year = 1961 + i / 336 % 179;
        const double price = 10.0 + static_cast<double>(i % 9973) / 100.0;
        std::fprintf(file, "%02ld/%02ld/%04ld,%.2f,%.2f,%.2f,%.2f,%ld,%ld\r\n", month, day, year, price, price + 1.25,
                     price - 0.75, price + 0.5, 1000 + i % 50000, 300 + i % 700);
    }
    std::fclose(file);
    return path;
}

// The variant that pays an open and a close for every record.
class ReopeningJob : public tavrix::ConversionJob
{
protected:
    bool OpenPriceFileForAppend(const std::string&) override { return true; }
    bool AppendPriceRecord(const std::string& path, const std::uint8_t* record, std::size_t size) override
    {
        std::FILE* file = std::fopen(path.c_str(), "ab");
        if (!file)
            return false;
        const bool written = std::fwrite(record, 1, size, file) == size;
        return std::fclose(file) == 0 && written;
    }
    void ClosePriceFile() override {}
};

// Everything but the price records' writes: shows what reading and converting the text costs.
class NoWriteJob : public tavrix::ConversionJob
{
protected:
    bool AppendPriceRecord(const std::string&, const std::uint8_t*, std::size_t) override { return true; }
};

long PeakResidentKiB()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

template <typename Job> void Convert(benchmark::State& state)
{
    platform::SetMessageBoxHandler([&state](const std::string& text, unsigned) {
        state.SkipWithError(text.c_str());
        return platform::IDOK;
    });
    const long lines = state.range(0);
    const std::string input = Input(lines);
    const std::string out = TempRoot() + "/out";
    for (auto _ : state)
    {
        state.PauseTiming();
        std::filesystem::remove_all(out);
        std::filesystem::create_directory(out);
        Job job;
        job.m_strInputPath = input;
        job.SetPath(out);
        job.SetSymbol("BENCH");
        job.m_bUseExistingMaster = 0;
        job.m_bFieldOn = {1, 1, 1, 1, 1, 1, 1};
        job.m_nFieldCol = {0, 1, 2, 3, 4, 5, 6};
        job.m_nDateFormat = 4;
        state.ResumeTiming();
        if (job.Run() != 0)
            state.SkipWithError("conversion failed");
    }
    state.SetItemsProcessed(state.iterations() * lines);
    state.counters["peak_rss_KiB"] = static_cast<double>(PeakResidentKiB());
}

void BM_Convert(benchmark::State& state)
{
    Convert<tavrix::ConversionJob>(state);
}

void BM_ConvertReopenPerRecord(benchmark::State& state)
{
    Convert<ReopeningJob>(state);
}
} // namespace

// Smaller input first: if the peak size does not rise for the larger one, the run streams.
BENCHMARK(BM_Convert)->Arg(4096)->Arg(65534)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertReopenPerRecord)->Arg(65534)->Unit(benchmark::kMillisecond);

void BM_ConvertWithoutRecordWrites(benchmark::State& state)
{
    Convert<NoWriteJob>(state);
}
BENCHMARK(BM_ConvertWithoutRecordWrites)->Arg(65534)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(TempRoot());
    return 0;
}
