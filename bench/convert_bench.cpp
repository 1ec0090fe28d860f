// Conversion speed: a whole run (lock, rows, price file, layout file, MASTER, each flushed and
// renamed into place) against a plain copy of the same input bytes into the output directory with
// the same buffer size. The peak resident size is reported so that a larger input shows whether
// memory grows.
#include "engine/BatchConversion.h"
#include "engine/ConversionJob.h"
#include "marketdata/Dates.h"

#include "BenchTemp.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <vector>
#include <sys/resource.h>
#include <unistd.h>

namespace {
using bench::TempRoot;

// An input of `lines` lines with all seven fields, made once per size.
std::string Input(long lines)
{
    const std::string path = TempRoot() + "/input-" + std::to_string(lines) + ".csv";
    if (std::filesystem::exists(path))
        return path;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    for (long i = 0; i < lines; ++i)
    {
        // One row a day from 1 January 1961: price lines run oldest first.
        const tavrix::DayParts day = tavrix::SplitDayNumber(static_cast<tavrix::DayNumber>(i + 1));
        const double price = 10.0 + static_cast<double>(i % 9973) / 100.0;
        std::fprintf(file, "%02d/%02d/%04d,%.2f,%.2f,%.2f,%.2f,%ld,%ld\r\n", day.month, day.day, day.year + 1900, price,
                     price + 1.25, price - 0.75, price + 0.5, 1000 + i % 50000, 300 + i % 700);
    }
    std::fclose(file);
    return path;
}

// Every field in columns 1 to 7, comma-separated.
tavrix::ConversionSettings Settings(const std::string& out, const std::string& symbol, tavrix::MasterChoice master)
{
    tavrix::ConversionSettings settings;
    settings.m_strPath = out;
    settings.m_strSymbol = symbol;
    settings.m_nExist = master;
    return settings;
}

long PeakResidentKiB()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// `detect`: nothing about the file is given; its delimiter, columns and date layout are found.
void Convert(benchmark::State& state, bool detect = false)
{
    const long lines = state.range(0);
    const std::string input = Input(lines);
    const std::string out = TempRoot() + "/out";
    for (auto _ : state)
    {
        state.PauseTiming();
        std::filesystem::remove_all(out);
        std::filesystem::create_directory(out);
        tavrix::ConversionJob job;
        job.m_strInputPath = input;
        job.m_settings = Settings(out, "BENCH", tavrix::MasterChoice::kMakeNew);
        job.m_nDateFormat = detect ? tavrix::ConversionJob::kAutoDateFormat : 4;
        if (detect)
        {
            job.m_settings.m_nDelimiter = tavrix::DelimiterChoice::kNone;
            job.m_settings.m_bColumnsGiven = false;
        }
        state.ResumeTiming();
        if (job.Run() != 0)
            state.SkipWithError(job.m_error.Text().c_str());
    }
    state.SetItemsProcessed(state.iterations() * lines);
    state.counters["peak_rss_KiB"] = static_cast<double>(PeakResidentKiB());
}

void BM_Convert(benchmark::State& state)
{
    Convert(state);
}

void BM_ConvertDetected(benchmark::State& state)
{
    Convert(state, true);
}

// The floor any conversion stands on: read the input and write as many bytes, 64 KiB at a time,
// flushed to disk (range 1) as the conversion's files are, or left to the page cache (range 0).
void BM_PlainCopy(benchmark::State& state)
{
    const std::string input = Input(65534);
    const std::string out = TempRoot() + "/copy";
    std::vector<char> buffer(65536);
    for (auto _ : state)
    {
        state.PauseTiming();
        std::filesystem::remove_all(out);
        std::filesystem::create_directory(out);
        state.ResumeTiming();
        const int in = ::open(input.c_str(), O_RDONLY);
        const int copy = ::open((out + "/copy.csv").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ssize_t got = 0;
        while ((got = ::read(in, buffer.data(), buffer.size())) > 0)
            if (::write(copy, buffer.data(), static_cast<std::size_t>(got)) != got)
                state.SkipWithError("write failed");
        if (state.range(0) != 0)
            ::fsync(copy);
        ::close(copy);
        ::close(in);
    }
    state.SetItemsProcessed(state.iterations() * 65534);
}
} // namespace

// What users run after a download: 255 files of 257 rows (65,535 rows in all) into one new
// directory in one batch (one lock, one commit), against one conversion of 65,534 rows.
void BM_ConvertBatchOf255(benchmark::State& state)
{
    std::vector<std::string> inputs;
    for (int file = 0; file < 255; ++file)
    {
        const std::string path = TempRoot() + "/batch-" + std::to_string(file) + ".csv";
        if (!std::filesystem::exists(path))
            std::filesystem::copy_file(Input(257), path);
        inputs.push_back(path);
    }
    // A new directory each time, none deleted meanwhile: ext4 passes over inodes freed moments
    // ago when it makes files, which would time the benchmark's own clean-up, not the batch.
    static int run = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        const std::string out = TempRoot() + "/batch-out-" + std::to_string(run++);
        std::filesystem::create_directory(out);
        state.ResumeTiming();
        tavrix::BatchConversion batch;
        batch.m_settings = Settings(out, "", tavrix::MasterChoice::kMakeNew);
        batch.m_nDateFormat = 4;
        for (std::size_t file = 0; file < inputs.size(); ++file)
            batch.m_files.push_back({inputs[file], "S" + std::to_string(file), ""});
        if (batch.Run() != 0)
        {
            state.SkipWithError("batch failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * 255 * 257);
}
BENCHMARK(BM_ConvertBatchOf255)->Unit(benchmark::kMillisecond);

// Smaller input first: if the peak size does not rise for the larger one, memory is bounded.
BENCHMARK(BM_Convert)->Arg(4096)->Arg(65534)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertDetected)->Arg(65534)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainCopy)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(TempRoot());
    return 0;
}
