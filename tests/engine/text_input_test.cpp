#include "engine/LineReader.h"
#include "engine/NumberText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>

using namespace tavrix;
using namespace testing_support;

namespace {
float Read(const char* text)
{
    return ReadPriceNumber(text, std::strlen(text));
}

std::vector<std::string> Pieces(const std::string& text, std::size_t limit = 299)
{
    TempDir dir;
    WriteText(dir / "in", text);
    std::FILE* file = std::fopen((dir / "in").c_str(), "rb");
    LineReader reader(file, limit);
    std::vector<std::string> pieces;
    std::vector<char> piece(limit + 1);
    std::size_t length = 0;
    while (reader.ReadPiece(piece.data(), &length))
        pieces.emplace_back(piece.data(), length);
    std::fclose(file);
    return pieces;
}
} // namespace

TEST(ReadPriceNumber, ReadsLikePercentF)
{
    EXPECT_EQ(Read("100.5"), 100.5f);
    EXPECT_EQ(Read("  -3e2"), -300.0f);
    EXPECT_EQ(Read("+.5"), 0.5f);
    EXPECT_EQ(Read("5."), 5.0f);
    EXPECT_EQ(Read("12.5abc"), 12.5f);
    EXPECT_EQ(Read("1.2.3"), 1.2f);
    EXPECT_EQ(Read("1e"), 1.0f);
    EXPECT_EQ(Read("0.1"), 0.1f);
    EXPECT_EQ(Read("16777217"), 16777216.0f); // past 2^24: rounded as a single
    EXPECT_EQ(Read("1.000000001"), 1.0f);
    EXPECT_EQ(Read("00000000000123.5"), 123.5f);
    for (const char* zero : {"", " ", "abc", "-", ".", ".e1", "inf", "nan", "0x10", "1e40", "-1e40", "\"5"})
        EXPECT_EQ(Read(zero), 0.0f) << '"' << zero << '"';
}

TEST(ReadPriceNumber, ShortDecimalsRoundExactlyAsTheLongWay)
{
    // Every price with up to 8 digits and up to 4 decimals that a stride reaches, both ways.
    char text[32];
    for (std::uint32_t digits = 1; digits < 100000000; digits += 9973)
        for (int decimals = 0; decimals <= 4; ++decimals)
        {
            const int length = std::snprintf(text, sizeof text, "%u", digits);
            std::string value(text, static_cast<std::size_t>(length));
            if (decimals > 0)
                value.insert(value.size() > static_cast<std::size_t>(decimals) ? value.size() - decimals : 0, ".");
            float expected = 0.0f;
            std::from_chars(value.data(), value.data() + value.size(), expected);
            ASSERT_EQ(ReadPriceNumber(value.data(), value.size()), expected) << value;
        }
}

TEST(LineReader, LineEndsAsAWindowsTextStreamReadsThem)
{
    EXPECT_EQ(Pieces("a\r\nb\nc"), (std::vector<std::string>{"a\n", "b\n", "c"}));
    EXPECT_EQ(Pieces("a\rb\r\r\n\r"), (std::vector<std::string>{"a\rb\r\n", "\r"}));
    EXPECT_EQ(Pieces(std::string(7, 'x') + "\r\n", 5), (std::vector<std::string>{"xxxxx", "xx\n"}));
    EXPECT_EQ(Pieces(std::string(5, 'x') + "\r\n", 5), (std::vector<std::string>{"xxxxx", "\n"}));
    EXPECT_EQ(Pieces(""), std::vector<std::string>{});
}

TEST(LineReader, APairSplitAcrossTheReadBufferIsStillOneLineEnd)
{
    // The reader fills 65,536 bytes at a time: put the CR last in one fill and the LF first in the next.
    std::string text;
    while (text.size() < 65535 - 10)
        text += "0123456789\n";
    text += std::string(65535 - text.size(), 'y');
    text += "\r\nlast\n";
    const std::vector<std::string> pieces = Pieces(text, 1 << 20);
    ASSERT_GE(pieces.size(), 2u);
    EXPECT_EQ(pieces[pieces.size() - 2].back(), '\n');
    EXPECT_EQ(pieces[pieces.size() - 2].find('\r'), std::string::npos);
    EXPECT_EQ(pieces.back(), "last\n");
}
