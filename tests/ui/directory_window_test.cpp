#include "UiFixture.h"

#include "app/DirectoryWindow.h"
#include "app/PriceChart.h"
#include "app/SecurityTableModel.h"
#include "app/TavrixApp.h"
#include "engine/ConversionJob.h"
#include "engine/SecurityExport.h"
#include "marketdata/Master.h"
#include "marketdata/Securities.h"

#include <QAction>
#include <QCandlestickSeries>
#include <QCandlestickSet>
#include <QCategoryAxis>
#include <QChartView>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineSeries>
#include <QListWidget>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTableView>

#include <algorithm>

using namespace testing_support;

namespace {
using Column = CSecurityTableModel::Column;

class DirectoryWindowTest : public UiFixture
{
protected:
    DirectoryWindowTest()
    {
        std::filesystem::copy(TAVRIX_FIXTURES "/metastock-sample", m_sample, std::filesystem::copy_options::recursive);
    }

    CDirectoryWindow& Window(const std::string& directory = "")
    {
        if (!m_window)
        {
            m_window = std::make_unique<CDirectoryWindow>(directory.empty() ? m_sample : directory, m_store.get());
            // Wide enough for candles of a half year's days.
            m_window->resize(1600, 1000);
            m_window->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        }
        return *m_window;
    }
    QTableView* Table(const char* name = "m_securities") { return Window().findChild<QTableView*>(name); }
    QString Cell(int row, int column, const char* table = "m_securities")
    {
        return Table(table)->model()->index(row, column).data().toString();
    }
    void Trigger(const char* action) { Window().findChild<QAction*>(action)->trigger(); }

    // The security of the sample directory kept as F<number>.
    tavrix::Security Sample(int number, const std::string& directory = "")
    {
        std::vector<tavrix::Security> securities;
        tavrix::ListSecurities(directory.empty() ? m_sample : directory, &securities);
        const auto found = std::find_if(securities.begin(), securities.end(),
                                        [number](const tavrix::Security& s) { return s.fileNumber == number; });
        return found == securities.end() ? tavrix::Security() : *found;
    }

    std::string m_sample = m_dir / "sample";
    std::unique_ptr<CDirectoryWindow> m_window;
};

TEST_F(DirectoryWindowTest, TheTableListsEverySecurityOfTheTreeAndSortsByItsColumnsValues)
{
    ASSERT_EQ(Table()->model()->rowCount(), 462);
    EXPECT_EQ(Window().windowTitle(), "sample - Tavrix");
    // File numbers, dates and record counts sort as numbers, texts without regard to case.
    for (const Column column : {Column::kFile, Column::kRecords, Column::kLastDate, Column::kSymbol})
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder})
        {
            Table()->sortByColumn(column, order);
            const QAbstractItemModel* model = Table()->model();
            for (int row = 1; row < model->rowCount(); ++row)
            {
                const QVariant a = model->index(row - 1, column).data(CSecurityTableModel::kSortRole);
                const QVariant b = model->index(row, column).data(CSecurityTableModel::kSortRole);
                const int compared = QVariant::compare(a, b) == QPartialOrdering::Less      ? -1
                                     : QVariant::compare(a, b) == QPartialOrdering::Greater ? 1
                                                                                            : 0;
                const int caseless = column == Column::kSymbol
                                         ? QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive)
                                         : compared;
                ASSERT_LE(order == Qt::AscendingOrder ? caseless : -caseless, 0) << column << " row " << row;
            }
        }
    Table()->sortByColumn(Column::kFile, Qt::AscendingOrder);
    EXPECT_EQ(std::vector<QString>({Cell(8, Column::kFile), Cell(9, Column::kFile), Cell(461, Column::kFile)}),
              std::vector<QString>({"F9.DAT", "F10.DAT", "F462.MWD"}));
}

TEST_F(DirectoryWindowTest, ASelectedSecurityShowsItsRecordsInTheChartAndTheRecordTable)
{
    // A security of closes alone, written by the engine beside the sample.
    const std::string closes = m_dir / "closes";
    MakeDir(closes);
    tavrix::ConversionJob job;
    job.m_strInputPath = Input("01/04/2010,10.5\n01/05/2010,10.75\n01/06/2010,10.25\n");
    job.m_settings.m_strPath = closes;
    job.m_settings.m_strSymbol = "CLOSES";
    job.m_settings.m_nExist = tavrix::MasterChoice::kMakeNew;
    for (const tavrix::Field field :
         {tavrix::kFieldOpen, tavrix::kFieldHigh, tavrix::kFieldLow, tavrix::kFieldVolume, tavrix::kFieldOpenInterest})
        job.m_settings.Column(field).on = false;
    job.m_settings.Column(tavrix::kFieldClose).column = 2;
    job.m_nDateFormat = tavrix::DateFormatCode("MM_DD_CCYY");
    ASSERT_EQ(job.Run(), 0) << job.m_error.Text();

    struct Case
    {
        std::string directory;
        int number;
        bool candles; // else a close line
        bool volume;
    };
    const Case cases[] = {
        {m_sample, 3, true, true},                // MASTER's
        {m_sample, 300, true, true},              // XMASTER's
        {m_sample + "/Intraday", 1, false, true}, // 64,885 five-minute bars, more than the plot has pixels
        {closes, 1, false, false},                // no open, high, low or volume
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.directory + " F" + std::to_string(c.number));
        m_window.reset();
        const tavrix::Security security = Sample(c.number, c.directory);
        Window(c.directory).SelectSecurity(security.directory, c.number);
        tavrix::PriceFileContents contents;
        ASSERT_EQ(tavrix::ReadSecurityBars(security, &contents), "");
        const std::vector<tavrix::StoredBar>& bars = contents.bars;
        ASSERT_GT(bars.size(), 2u);
        const CPriceChart& chart = *Window().Chart();
        EXPECT_EQ(std::pair(chart.ShowsCandles(), chart.HasVolumePane()), std::pair(c.candles, c.volume));
        const auto value = [](const tavrix::StoredBar& bar, tavrix::Field field) {
            return static_cast<qreal>(bar.values[field]);
        };
        if (c.candles)
        {
            const QList<QCandlestickSet*> sets = chart.Candles()->sets();
            ASSERT_EQ(static_cast<std::size_t>(sets.size()), bars.size());
            for (const auto& [set, bar] : {std::pair(sets.front(), bars.front()), std::pair(sets.back(), bars.back())})
                EXPECT_EQ(std::vector<qreal>({set->open(), set->high(), set->low(), set->close()}),
                          std::vector<qreal>({value(bar, tavrix::kFieldOpen), value(bar, tavrix::kFieldHigh),
                                              value(bar, tavrix::kFieldLow), value(bar, tavrix::kFieldClose)}));
        }
        else
        {
            // Fewer points than records, yet the same ends, highs and lows.
            const QList<QPointF> points = chart.CloseLine()->points();
            ASSERT_LE(static_cast<std::size_t>(points.size()), bars.size());
            const auto byClose = [&](const tavrix::StoredBar& a, const tavrix::StoredBar& b) {
                return value(a, tavrix::kFieldClose) < value(b, tavrix::kFieldClose);
            };
            const auto byY = [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); };
            EXPECT_EQ(
                std::vector<qreal>({points.front().y(), points.back().y(),
                                    std::min_element(points.begin(), points.end(), byY)->y(),
                                    std::max_element(points.begin(), points.end(), byY)->y()}),
                std::vector<qreal>({value(bars.front(), tavrix::kFieldClose), value(bars.back(), tavrix::kFieldClose),
                                    value(*std::min_element(bars.begin(), bars.end(), byClose), tavrix::kFieldClose),
                                    value(*std::max_element(bars.begin(), bars.end(), byClose), tavrix::kFieldClose)}));
        }
        const int last = static_cast<int>(bars.size()) - 1;
        const int closeColumn = Table("m_records")->model()->columnCount() - (c.volume ? 3 : 1);
        ASSERT_EQ(Table("m_records")->model()->rowCount(), last + 1);
        EXPECT_EQ(std::pair(Cell(0, 0, "m_records"), Cell(last, closeColumn, "m_records")),
                  std::pair(QString::fromStdString(tavrix::IsoDateText(bars.front().date)),
                            QString::fromStdString(tavrix::ShortestText(bars.back().values[tavrix::kFieldClose]))));
    }
}

TEST_F(DirectoryWindowTest, TheChartZoomsAndPansByWheelDragAndKeysWithinTheRecords)
{
    Window().SelectSecurity(m_sample + "/", 3); // 131 records
    CPriceChart& chart = *Window().Chart();
    auto* view = chart.findChild<QChartView*>("m_priceView");
    QWidget* viewport = view->viewport();
    const QRectF plot = view->chart()->plotArea();
    const auto pixel = [&](double fraction) {
        return QPoint(static_cast<int>(plot.left() + fraction * plot.width()), static_cast<int>(plot.center().y()));
    };
    // The position along the records under a pixel, before the gesture.
    const auto under = [&](double fraction) {
        return chart.ViewFirst() +
               (pixel(fraction).x() - plot.left()) / plot.width() * (chart.ViewLast() - chart.ViewFirst());
    };
    const auto drag = [&](Qt::MouseButton button, Qt::KeyboardModifiers keys, double from, double to) {
        QTest::mousePress(viewport, button, keys, pixel(from));
        QTest::mouseMove(viewport, pixel((from + to) / 2));
        QTest::mouseMove(viewport, pixel(to));
        QTest::mouseRelease(viewport, button, keys, pixel(to));
    };
    const auto wheel = [&](double at, int notches) {
        QWheelEvent event(pixel(at), viewport->mapToGlobal(pixel(at)), {}, QPoint(0, 120 * notches), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
    };
    using Range = std::pair<double, double>;
    const Range all(-0.5, 130.5);
    struct Step
    {
        const char* gesture;
        std::function<Range()> expected; // from the view before it
        std::function<void()> act;
    };
    const Step steps[] = {
        {"right drag over the middle half", [&] { return Range(under(0.25), under(0.75)); },
         [&] { drag(Qt::RightButton, Qt::NoModifier, 0.25, 0.75); }},
        {"drag a quarter to the right",
         [&] {
             const double shift = under(0.75) - under(0.5);
             return Range(chart.ViewFirst() - shift, chart.ViewLast() - shift);
         },
         [&] { drag(Qt::LeftButton, Qt::NoModifier, 0.5, 0.75); }},
        {"Right key",
         [&] {
             const double t = (chart.ViewLast() - chart.ViewFirst()) / 10;
             return Range(chart.ViewFirst() + t, chart.ViewLast() + t);
         },
         [&] { QTest::keyClick(view, Qt::Key_Right); }},
        {"wheel up at the left edge",
         [&] { return Range(chart.ViewFirst(), chart.ViewFirst() + (chart.ViewLast() - chart.ViewFirst()) / 1.25); },
         [&] { wheel(0, 1); }},
        {"shift drag zooms too", [&] { return Range(under(0.5), under(1)); },
         [&] { drag(Qt::LeftButton, Qt::ShiftModifier, 0.5, 1); }},
        {"wheel down far: no further than every record", [&] { return all; }, [&] { wheel(0.5, -20); }},
        {"drag past the first record: it stays at the left edge", [&] { return all; },
         [&] { drag(Qt::LeftButton, Qt::NoModifier, 0.2, 0.9); }},
        {"+ many times: ten records at least, around the middle", [&] { return Range(60, 70); },
         [&] {
             for (int i = 0; i < 40; ++i)
                 QTest::keyClick(view, Qt::Key_Plus);
         }},
        {"double click shows every record", [&] { return all; },
         [&] { QTest::mouseDClick(viewport, Qt::LeftButton, {}, pixel(0.5)); }},
    };
    for (const Step& step : steps)
    {
        const Range expected = step.expected();
        step.act();
        EXPECT_NEAR(chart.ViewFirst(), expected.first, 1e-9) << step.gesture;
        EXPECT_NEAR(chart.ViewLast(), expected.second, 1e-9) << step.gesture;
    }

    // A click picks the record under the pointer; its values are shown above the chart.
    const int record = 40;
    const double fraction = (record - all.first) / (all.second - all.first);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, pixel(fraction));
    EXPECT_EQ(Table("m_records")->currentIndex().row(), record);
    EXPECT_TRUE(chart.ValuesText().startsWith("ACE   " + Cell(record, 0, "m_records") + "   Open " +
                                              Cell(record, 1, "m_records")))
        << chart.ValuesText().toStdString();
}

TEST_F(DirectoryWindowTest, TheDateAxisLabelsMonthsWeeksOrTimesAsTheViewNeeds)
{
    struct Case
    {
        std::string directory;
        double first, last;
        const char* pattern;
    };
    const Case cases[] = {
        {m_sample, -0.5, 130.5, "^2010-0[2-7]$"},                                // half a year: months
        {m_sample, 80, 100, "^2010-\\d\\d-\\d\\d$"},                             // twenty days: Mondays
        {m_sample + "/Intraday", 30000, 30060, "^\\d\\d-\\d\\d \\d\\d:\\d\\d$"}, // an hour of minutes
    };
    for (const Case& c : cases)
    {
        m_window.reset();
        Window(c.directory).SelectSecurity(c.directory + "/", c.directory == m_sample ? 3 : 1);
        Window().Chart()->ShowRange(c.first, c.last);
        QStringList labels;
        for (QAbstractAxis* axis :
             Window().Chart()->findChild<QChartView*>("m_volumeView")->chart()->axes(Qt::Horizontal))
            if (auto* dates = qobject_cast<QCategoryAxis*>(axis))
                labels = dates->categoriesLabels();
        EXPECT_GE(labels.size(), 2) << c.pattern;
        for (const QString& label : labels)
        {
            EXPECT_TRUE(QRegularExpression(c.pattern).match(label).hasMatch()) << label.toStdString();
            if (label.size() == 10)
            {
                EXPECT_EQ(QDate::fromString(label, Qt::ISODate).dayOfWeek(), 1) << label.toStdString();
            }
        }
    }
}

TEST_F(DirectoryWindowTest, RemoveAsksFirstThenTakesTheSecurityOutOfMasterAndTheTable)
{
    Window().SelectSecurity(m_sample + "/", 300);
    EXPECT_TRUE(Window().findChild<QAction*>("ID_REMOVE")->isEnabled()); // XMASTER's as MASTER's
    Window().SelectSecurity(m_sample + "/", 5);
    const std::string question = "Remove ACO (ACOTEL GROUP) from " + m_sample +
                                 "?\n\nIts record leaves MASTER, and its price file F5.DAT and any layout file "
                                 "F5.DOP are deleted.";
    for (const ui::Answer answer : {ui::Answer::kNo, ui::Answer::kYes})
    {
        m_boxes.answers = {answer};
        Trigger("ID_REMOVE");
    }
    EXPECT_EQ(m_boxes.texts, std::vector<std::string>(2, question));
    EXPECT_EQ(Table()->model()->rowCount(), 461);
    EXPECT_EQ(Sample(5).fileNumber, 0);
    EXPECT_FALSE(FileExists(m_sample + "/F5.DAT"));
    EXPECT_EQ(Cell(Table()->currentIndex().row(), Column::kFile), "F6.DAT"); // the next one, ready for another
}

TEST_F(DirectoryWindowTest, CheckListsPlantedProblemsAndEachLeadsToTheSecurityItConcerns)
{
    WriteText(m_sample + "/F463.MWD", "stray");
    for (const char* file : {"/F12.DAT", "/F300.MWD"})
        WriteText(m_sample + file, ReadText(m_sample + file) + "abc");
    Bytes master = ReadBytes(m_sample + "/Master");
    master[7 * tavrix::kMasterRecordSize + tavrix::kRecFileType] = 0x41;
    WriteBytes(m_sample + "/Master", master);
    Trigger("ID_CHECK_DIRECTORY");
    auto* findings = Window().findChild<QListWidget*>("m_findings");
    ASSERT_EQ(findings->count(), 4);
    const std::pair<const char*, const char*> cases[] = {
        {"F12.DAT: 3 bytes after the last whole 28-byte record", "F12.DAT"},
        {"F300.MWD: 3 bytes after the last whole 28-byte record", "F300.MWD"},
        {"Master: record 7 ", "F7.DAT"},
        {"F463.MWD: is a price file that no master file lists", "F1.DAT"}, // none: the selection stays
    };
    for (const auto& [finding, selected] : cases)
    {
        Window().SelectSecurity(m_sample + "/", 1);
        const QList<QListWidgetItem*> items = findings->findItems(finding, Qt::MatchStartsWith);
        ASSERT_EQ(items.size(), 1) << finding;
        findings->setCurrentItem(items.front());
        EXPECT_EQ(Cell(Table()->currentIndex().row(), Column::kFile), selected) << finding;
    }
    EXPECT_EQ(Window().statusBar()->currentMessage(),
              QString::fromStdString("No security of the table is concerned: " + m_sample + "/F463.MWD"));
}

TEST_F(DirectoryWindowTest, UpdateFromFileAddsTheNewDaysAndReplacesADifferingOneOnlyWhenTold)
{
    const tavrix::Security security = Sample(4);
    tavrix::PriceFileContents stored;
    ASSERT_EQ(tavrix::ReadSecurityBars(security, &stored), "");
    const std::size_t count = stored.bars.size();
    // The stored last day with another close, and a new day after it, in the stored settings' columns.
    const std::string input = Input("07/09/2010,4.7,4.75,4.51,4.9,84418,0\n07/12/2010,4.71,4.8,4.6,4.75,90000,0\n");
    Window().SelectSecurity(security.directory, 4);
    QStringList offered;
    for (const ui::Answer answer : {ui::Answer::kNo, ui::Answer::kYes})
    {
        // Both month first and day first read these dates: the user is asked which.
        OnNextModal<QFileDialog>([&](QFileDialog* dialog) {
            OnNextModal<QInputDialog>(
                [&](QInputDialog* layouts) {
                    offered = layouts->comboBoxItems();
                    layouts->setTextValue("MM_DD_CCYY");
                    layouts->accept();
                },
                dialog);
            dialog->selectFile(QString::fromStdString(input));
            static_cast<QDialog*>(dialog)->accept();
        });
        m_boxes.answers = {answer};
        Trigger("ID_UPDATE_FROM_FILE");
    }
    EXPECT_EQ(offered, (QStringList{"MM_DD_CCYY", "DD_MM_CCYY"}));
    ASSERT_EQ(m_boxes.texts.size(), 2u);
    EXPECT_EQ(m_boxes.texts[0], "1 day differs from the price file:\n2010-07-09: close is 4.69750023 in the price "
                                "file, 4.9000001 in the input\n\nReplace them with the file's values?");
    EXPECT_EQ(Window().statusBar()->currentMessage(),
              "AEG: 1 record added, 2010-07-12 to 2010-07-12; 0 rows were already present; 1 day replaced "
              "(dates read as MM_DD_CCYY)");
    ASSERT_EQ(Table("m_records")->model()->rowCount(), static_cast<int>(count + 1));
    EXPECT_EQ(
        std::pair(Cell(static_cast<int>(count) - 1, 4, "m_records"), Cell(static_cast<int>(count), 0, "m_records")),
        std::pair(QString("4.9"), QString("2010-07-12")));
}

TEST_F(DirectoryWindowTest, OpenDirectoryAndTheCommandLineShowTheWindowOnceADirectory)
{
    OnNextModal<QFileDialog>([&](QFileDialog* dialog) {
        dialog->setDirectory(QString::fromStdString(m_sample));
        static_cast<QDialog*>(dialog)->accept();
    });
    Frame().Action(ID_FILE_OPEN_DIRECTORY)->trigger();
    const auto shown = [] {
        std::vector<std::string> directories;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* directory = qobject_cast<CDirectoryWindow*>(window); directory && directory->isVisible())
                directories.push_back(directory->Directory());
        return directories;
    };
    EXPECT_EQ(shown(), std::vector<std::string>{m_sample});
    EXPECT_EQ(Frame().OpenDirectoryWindow(m_sample + "/"), Frame().OpenDirectoryWindow(m_sample));
    EXPECT_EQ(shown().size(), 1u);

    CTavrixApp app;
    ASSERT_TRUE(app.InitInstance({"tavrix", QString::fromStdString(m_sample + "/Intraday")}));
    EXPECT_EQ(shown().size(), 2u);
    app.ExitInstance();
    EXPECT_EQ(shown().size(), 1u); // it went with its main window
    Frame().Action(ID_APP_EXIT)->trigger();
    EXPECT_TRUE(shown().empty());
}
} // namespace
