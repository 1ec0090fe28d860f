#include "JobFixture.h"

#include "engine/EngineMessages.h"
#include "marketdata/FieldLayout.h"
#include "marketdata/PriceFile.h"

using namespace tavrix;
using namespace testing_support;

namespace {
class InputParserTest : public JobFixture
{
protected:
    // Runs a new-master conversion of `text` and reads the price file back.
    int Convert(const std::string& text, int dateFormat = 3, char delimiter = ',', int skip = -1)
    {
        auto job = MakeJob(Input(text), true, dateFormat);
        job->m_szDelimiter[0] = delimiter;
        job->m_bSkipOn = skip >= 0;
        job->m_nSkipRows = skip;
        const int result = job->Run();
        EXPECT_EQ(ReadPriceFile(Out("F1.DAT"), DefaultFieldsForCount(7), &m_contents), kStatusOk);
        return result;
    }

    float Value(std::size_t row, Field field) const { return m_contents.rows.at(row).values[field]; }

    PriceFileContents m_contents;
};
} // namespace

TEST_F(InputParserTest, DateLayoutMismatchIsToldOnceButEverythingIsConverted)
{
    EXPECT_EQ(Convert("01/05/99,1,2,3,4,5,6\n01/06/99,1,2,3,4,5,6\n", 9), 1);
    EXPECT_EQ(m_boxes.texts, std::vector<std::string>{msg::kNumericDateFormat});
    EXPECT_EQ(m_contents.rows.size(), 2u);
    EXPECT_EQ(m_contents.countWord, 3);
}

TEST_F(InputParserTest, SeparatedLayoutWithDigitsOnlyDates)
{
    EXPECT_EQ(Convert("990105,1,2,3,4,5,6\n", 1), 1);
    EXPECT_EQ(m_boxes.texts, std::vector<std::string>{msg::kSeparatedDateFormat});
    EXPECT_EQ(m_contents.rows.size(), 1u);
}

TEST_F(InputParserTest, FirstLineCheckCasesThatPassOrFailQuietly)
{
    // A quote is a non-digit, which a separated layout accepts.
    EXPECT_EQ(Convert("\"01/05/99,1,2,3,4,5,6\n", 3), 0);
    EXPECT_TRUE(m_boxes.texts.empty());
    EXPECT_EQ(Value(0, kFieldDate), 990105.0f);
}

TEST_F(InputParserTest, LeadingSpaceInANumericDateIsToldButReadRight)
{
    EXPECT_EQ(Convert(" 990105,1,2,3,4,5,6\n", 7), 1);
    EXPECT_EQ(m_boxes.texts, std::vector<std::string>{msg::kNumericDateFormat});
    EXPECT_EQ(Value(0, kFieldDate), 990105.0f);
}

TEST_F(InputParserTest, NoLayoutChosenGivesZeroDatesAndTheSeparatedMessage)
{
    EXPECT_EQ(Convert("990105,1,2,3,4,5,6\n", 0), 1);
    EXPECT_EQ(m_boxes.texts, std::vector<std::string>{msg::kSeparatedDateFormat});
    EXPECT_EQ(Value(0, kFieldDate), 0.0f);
}

TEST_F(InputParserTest, ColumnsKeepTheTextOfTheLineBefore)
{
    ASSERT_EQ(Convert("01/04/00,7\n01/03/00,1,2,3,4,5,6\n01/05/00,9\n"), 0);
    ASSERT_EQ(m_contents.rows.size(), 3u);
    EXPECT_EQ(Value(0, kFieldOpen), 7.0f);
    EXPECT_EQ(Value(0, kFieldHigh), 123.0f); // nothing before the first line: "123"
    EXPECT_EQ(Value(0, kFieldOpenInterest), 123.0f);
    EXPECT_EQ(Value(2, kFieldOpen), 9.0f);
    EXPECT_EQ(Value(2, kFieldHigh), 2.0f);
    EXPECT_EQ(Value(2, kFieldOpenInterest), 6.0f);
}

TEST_F(InputParserTest, EmptyColumnsCollapseAndEmptyLinesAreSkipped)
{
    ASSERT_EQ(Convert("01/05/99,,10.5\n\n,,,\n01/06/99,1,2,3,4,5,6"), 0);
    ASSERT_EQ(m_contents.rows.size(), 2u);
    EXPECT_EQ(Value(0, kFieldOpen), 10.5f); // column 2, not 3
    // The last line has no line end and is converted whole.
    EXPECT_EQ(Value(1, kFieldOpenInterest), 6.0f);
}

TEST_F(InputParserTest, TabAndSpaceDelimiters)
{
    ASSERT_EQ(Convert("01/05/99\t1\t2\t3\t4\t5\t6\n", 3, '\t'), 0);
    EXPECT_EQ(Value(0, kFieldClose), 4.0f);
    ::unlink(Out("MASTER").c_str());
    ASSERT_EQ(Convert("01/05/99   1 2 3 4 5 6\n", 3, ' '), 0);
    EXPECT_EQ(Value(0, kFieldVolume), 5.0f);
}

TEST_F(InputParserTest, NumbersThatDoNotBeginLikeANumberAndBadDatesReadAsZero)
{
    ASSERT_EQ(Convert("13/45/99,abc,12.5abc,-3e2,inf,nan,1e40\n"), 0);
    EXPECT_EQ(Value(0, kFieldDate), 0.0f);
    EXPECT_EQ(Value(0, kFieldOpen), 0.0f);
    EXPECT_EQ(Value(0, kFieldHigh), 12.5f);
    EXPECT_EQ(Value(0, kFieldLow), -300.0f);
    EXPECT_EQ(Value(0, kFieldClose), 0.0f);
    EXPECT_EQ(Value(0, kFieldVolume), 0.0f);
    EXPECT_EQ(Value(0, kFieldOpenInterest), 0.0f);
}

TEST_F(InputParserTest, SkippedRowsCountPiecesOfLongLines)
{
    const std::string longLine(600, 'x'); // three pieces: 299, 299 and the rest
    ASSERT_EQ(Convert("header\n" + longLine + "\n01/05/99,1,2,3,4,5,6\n", 3, ',', 4), 0);
    ASSERT_EQ(m_contents.rows.size(), 1u);
    EXPECT_EQ(Value(0, kFieldDate), 990105.0f);

    ::unlink(Out("MASTER").c_str());
    ASSERT_EQ(Convert("header\nsecond\n01/05/99,1,2,3,4,5,6\n", 3, ',', 2), 0);
    EXPECT_EQ(m_contents.rows.size(), 1u);
    ::unlink(Out("MASTER").c_str());
    ASSERT_EQ(Convert("only\n", 3, ',', 5), 0); // more rows to skip than lines: nothing converted
    EXPECT_EQ(m_contents.rows.size(), 0u);
}

TEST_F(InputParserTest, CarriageReturnOfALineEndIsNotCounted)
{
    // 298 characters and CR LF fit one piece; 299 and CR LF leave an empty piece; 300 make two lines.
    const std::string start = "12/31/99,5";
    const auto line = [&](std::size_t length) { return start + std::string(length - start.size(), ' '); };
    ASSERT_EQ(Convert(line(298) + "\r\n" + line(299) + "\r\n" + line(299) + "7\r\n"), 0);
    EXPECT_EQ(m_contents.rows.size(), 4u);
    EXPECT_EQ(Value(3, kFieldDate), 1000630.0f); // "7" read as a date: month 7, day 0 of 2000
}

TEST_F(InputParserTest, NoDataLinesStillFinishTheFiles)
{
    ASSERT_EQ(Convert(""), 0);
    EXPECT_EQ(m_contents.countWord, 1);
    EXPECT_EQ(m_contents.rows.size(), 0u);
    const Bytes master = ReadBytes(Out("MASTER"));
    EXPECT_EQ(FromMbf(&master[53 + kRecFirstDate]), 1261206.0f); // the conversion day stays
    EXPECT_FALSE(FileExists(Out("MASTER.NEW")));
    EXPECT_FALSE(FileExists(Out("F1.NEW")));
}

TEST_F(InputParserTest, APriceFileStopsAtItsRecordLimit)
{
    std::string text;
    text.reserve(70000 * 12);
    for (int i = 0; i < kMaxPriceRecords + 2; ++i)
        text += "01/05/99," + std::to_string(i % 100) + "\n";
    auto job = MakeJob(Input(text), true);
    job->m_bFieldOn = {1, 0, 0, 0, 1, 0, 0};
    job->m_nFieldCol = {0, 0, 0, 0, 1, 0, 0};
    EXPECT_EQ(job->Run(), 1);
    EXPECT_EQ(m_boxes.texts, std::vector<std::string>{msg::kTooManyLines});
    PriceFileContents contents;
    ASSERT_EQ(ReadPriceFile(Out("F1.DAT"), {kFieldDate, kFieldClose}, &contents), kStatusOk);
    EXPECT_EQ(contents.rows.size(), static_cast<std::size_t>(kMaxPriceRecords));
    EXPECT_EQ(contents.countWord, 65535);
}

namespace {
// Refuses the third record, as a full disk would.
class FailingAppendJob : public ConversionJob
{
protected:
    bool AppendPriceRecord(const std::string& path, const std::uint8_t* record, std::size_t size) override
    {
        if (++m_appends == 3)
        {
            errno = ENOSPC;
            return false;
        }
        return ConversionJob::AppendPriceRecord(path, record, size);
    }

private:
    int m_appends = 0;
};
} // namespace

TEST_F(InputParserTest, AFailedAppendIsAFailureAndTheFilesStayConsistent)
{
    FailingAppendJob job;
    auto model = MakeJob(Input("01/05/99,1,2,3,4,5,6\n01/06/99,1,2,3,4,5,6\n01/07/99,1,2,3,4,5,6\n"), true);
    job.m_strInputPath = model->m_strInputPath;
    job.SetPath(m_out);
    job.SetSymbol("ACME");
    job.m_bFieldOn = model->m_bFieldOn;
    job.m_nFieldCol = model->m_nFieldCol;
    job.m_nDateFormat = 3;
    EXPECT_EQ(job.Run(), 1);
    ASSERT_EQ(m_boxes.texts.size(), 1u);
    EXPECT_NE(m_boxes.texts[0].find("No space left on device"), std::string::npos) << m_boxes.texts[0];
    ASSERT_EQ(ReadPriceFile(Out("F1.DAT"), DefaultFieldsForCount(7), &m_contents), kStatusOk);
    EXPECT_EQ(m_contents.rows.size(), 2u);
    EXPECT_EQ(m_contents.countWord, 3);
    const Bytes master = ReadBytes(Out("MASTER"));
    EXPECT_EQ(FromMbf(&master[53 + kRecLastDate]), 990106.0f);
}
