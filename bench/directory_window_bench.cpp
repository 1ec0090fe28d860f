// The directory window, offscreen: opening it on the vendor directory (462 securities) until it
// is painted, and selecting a security of 65,534 records until its chart and records are painted.
// Both should stay under a fifth of a second.
#include "app/DirectoryWindow.h"
#include "app/PriceChart.h"
#include "engine/ConversionJob.h"
#include "marketdata/Dates.h"

#include <QApplication>
#include <QTableView>

#include "BenchTemp.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {
const std::string kVendorDirectory = TAVRIX_FIXTURES "/metastock-sample";

using bench::TempRoot;

// A directory holding SMALL (20 records) and BIG (65,534 records, one a day from 1961), both
// written by the engine.
std::string BenchDirectory()
{
    static const std::string directory = [] {
        const std::string out = TempRoot() + "/data";
        std::filesystem::create_directory(out);
        for (const long lines : {20L, 65534L})
        {
            const std::string input = TempRoot() + "/input-" + std::to_string(lines) + ".csv";
            std::FILE* file = std::fopen(input.c_str(), "wb");
            for (long i = 0; i < lines; ++i)
            {
                const tavrix::DayParts day = tavrix::SplitDayNumber(static_cast<tavrix::DayNumber>(i + 1));
                const double price = 10.0 + static_cast<double>(i % 9973) / 100.0;
                std::fprintf(file, "%02d/%02d/%04d,%.2f,%.2f,%.2f,%.2f,%ld,%ld\n", day.month, day.day, day.year + 1900,
                             price, price + 1.25, price - 0.75, price + 0.5, 1000 + i % 50000, 300 + i % 700);
            }
            std::fclose(file);
            tavrix::ConversionJob job;
            job.m_strInputPath = input;
            job.m_settings.m_strPath = out;
            job.m_settings.m_strSymbol = lines == 20 ? "SMALL" : "BIG";
            job.m_settings.m_nExist = lines == 20 ? tavrix::MasterChoice::kMakeNew : tavrix::MasterChoice::kUseExisting;
            job.m_nDateFormat = tavrix::DateFormatCode("MM_DD_CCYY");
            if (job.Run() != 0)
            {
                std::fprintf(stderr, "%s\n", job.m_error.Text().c_str());
                std::abort();
            }
        }
        return out;
    }();
    return directory;
}

// A common screen's worth, whatever the offscreen screen's size.
void Show(QWidget& window)
{
    window.resize(1280, 860);
    window.show();
}

// Lays out and paints what the window shows now, as the screen would.
void Paint(QWidget& window)
{
    QApplication::processEvents();
    window.repaint();
}

void BM_OpenVendorDirectory(benchmark::State& state)
{
    for (auto _ : state)
    {
        CDirectoryWindow window(kVendorDirectory, nullptr);
        Show(window);
        Paint(window);
        state.PauseTiming();
        window.close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenVendorDirectory)->Unit(benchmark::kMillisecond);

// Selects BIG, or the vendor's intraday security (64,885 five-minute bars), after a small one.
void BM_SelectLargeSecurity(benchmark::State& state)
{
    const bool vendor = state.range(0) != 0;
    const std::string directory = vendor ? kVendorDirectory + "/Intraday" : BenchDirectory();
    CDirectoryWindow window(directory, nullptr);
    Show(window);
    Paint(window);
    const std::string tree = directory + "/";
    for (auto _ : state)
    {
        state.PauseTiming();
        if (vendor) // its only security: none first
            window.findChild<QTableView*>("m_securities")->clearSelection();
        else
            window.SelectSecurity(tree, 1); // SMALL
        Paint(window);
        state.ResumeTiming();
        window.SelectSecurity(tree, vendor ? 1 : 2);
        Paint(window);
    }
    if (window.Chart()->ShowsCandles())
        state.SkipWithError("a large security should be drawn as a close line when all of it is in view");
}
BENCHMARK(BM_SelectLargeSecurity)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One step of panning on BIG: all of it in view (a close line), and 150 days (candles).
void BM_ChangeRangeOfLargeSecurity(benchmark::State& state)
{
    CDirectoryWindow window(BenchDirectory(), nullptr);
    Show(window);
    window.SelectSecurity(BenchDirectory() + "/", 2);
    Paint(window);
    CPriceChart& chart = *window.Chart();
    const double span = state.range(0) == 0 ? 65534 : 150;
    double first = 30000;
    for (auto _ : state)
    {
        first = first > 60000 ? 0 : first + span / 10;
        chart.ShowRange(first, first + span);
        Paint(window);
    }
    state.counters["candles"] = chart.ShowsCandles() ? 1 : 0;
}
BENCHMARK(BM_ChangeRangeOfLargeSecurity)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    // Widgets are real but drawn nowhere.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(TempRoot());
    return 0;
}
