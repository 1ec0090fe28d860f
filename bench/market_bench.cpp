// Whole commands on directories of many securities, as tavrix-cli runs them: 2,000 files into one
// new directory (255 in MASTER, the rest in XMASTER); a market-wide file of 300 tickers of 60 days
// into a new directory; and a one-day file of 4,000 tickers extending a directory of 4,000.
#include "cli/CliApp.h"

#include "BenchTemp.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {
using bench::TempRoot;

int Cli(const std::vector<std::string>& arguments)
{
    std::ostringstream out, err;
    return tavrix::cli::Main(arguments, out, err);
}

// `days` weekdays from 2 January 2025 as YYYYMMDD.
std::vector<std::string> Days(int days, int from = 0)
{
    std::vector<std::string> dates;
    for (int d = 0, weekday = 4; static_cast<int>(dates.size()) < from + days; ++d, weekday = (weekday + 1) % 7)
        if (weekday < 5)
        {
            char text[16];
            const int month = 1 + d / 28 % 12;
            std::snprintf(text, sizeof text, "%04d%02d%02d", 2025 + d / 336, month, 1 + d % 28);
            dates.push_back(text);
        }
    return std::vector<std::string>(dates.begin() + from, dates.end());
}

std::string Write(const std::string& name, const std::string& text)
{
    const std::string path = TempRoot() + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    return path;
}

std::string MarketText(int tickers, const std::vector<std::string>& days)
{
    std::string text = "<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>,<OPENINT>\n";
    for (const std::string& day : days)
        for (int t = 0; t < tickers; ++t)
            text += "T" + std::to_string(t) + ",D," + day + ",000000,10.5,11.25,10.25,11," + std::to_string(1000 + t) +
                    ",0\n";
    return text;
}

void BM_Batch2000Files(benchmark::State& state)
{
    std::string rows;
    for (const std::string& day : Days(250))
        rows += day + ",10.5,11.25,10.25,11,1000\n";
    std::vector<std::string> arguments = {"convert"};
    for (int file = 0; file < 2000; ++file)
        arguments.push_back(Write("s" + std::to_string(file) + ".csv", rows));
    const std::string out = TempRoot() + "/batch";
    arguments.insert(arguments.end(), {"--dir", out, "--date-format", "CCYYMMDD"});
    for (auto _ : state)
    {
        state.PauseTiming();
        std::filesystem::remove_all(out);
        state.ResumeTiming();
        if (Cli(arguments) != 0)
            state.SkipWithError("batch failed");
    }
}

void BM_MarketFile300Tickers60Days(benchmark::State& state)
{
    const std::string input = Write("market.txt", MarketText(300, Days(60)));
    const std::string out = TempRoot() + "/market";
    for (auto _ : state)
    {
        state.PauseTiming();
        std::filesystem::remove_all(out);
        state.ResumeTiming();
        if (Cli({"convert", input, "--dir", out}) != 0)
            state.SkipWithError("market file failed");
    }
}

void BM_MarketDayExtending4000(benchmark::State& state)
{
    const std::string pristine = TempRoot() + "/held";
    std::filesystem::remove_all(pristine);
    if (Cli({"convert", Write("history.txt", MarketText(4000, Days(2))), "--dir", pristine}) != 0)
        state.SkipWithError("cannot make the directory");
    const std::string day = Write("day.txt", MarketText(4000, Days(1, 2)));
    const std::string out = TempRoot() + "/extended";
    for (auto _ : state)
    {
        state.PauseTiming();
        std::filesystem::remove_all(out);
        std::filesystem::copy(pristine, out);
        state.ResumeTiming();
        if (Cli({"update", day, "--dir", out}) != 0)
            state.SkipWithError("update failed");
    }
}
} // namespace

BENCHMARK(BM_Batch2000Files)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MarketFile300Tickers60Days)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_MarketDayExtending4000)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(TempRoot());
    return 0;
}
