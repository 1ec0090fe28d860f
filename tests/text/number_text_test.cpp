#include "text/NumberText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace tavrix;

TEST(NumberText, NumbersReadInTheFilesStyle)
{
    const NumberStyle point{};
    const NumberStyle comma{DecimalMark::kComma, false};
    const NumberStyle amount{DecimalMark::kPoint, true};
    const NumberStyle commaAmount{DecimalMark::kComma, true};
    const std::string huge = "1" + std::string(39, '0');
    const std::string tiny = "0." + std::string(40, '0') + "1";
    const struct
    {
        std::string text;
        NumberStyle style;
        NumberRead read;
        float value;
    } cases[] = {
        {"100.5", point, NumberRead::kOk, 100.5f},
        {"-300", point, NumberRead::kOk, -300.0f},
        {"0.1", point, NumberRead::kOk, 0.1f},
        {"99.9999", point, NumberRead::kOk, 99.9999f},
        {"+.5", point, NumberRead::kOk, 0.5f},
        {"5.", point, NumberRead::kOk, 5.0f},
        {"-0", point, NumberRead::kOk, 0.0f},
        {"16777217", point, NumberRead::kOk, 16777216.0f},
        {"0.000000000000123456789", point, NumberRead::kOk, 1.23456789e-13f},
        // Currency signs first, in UTF-8 and Latin-1, with the sign before or after.
        {"$237.90", point, NumberRead::kOk, 237.9f},
        {"-$1.50", point, NumberRead::kOk, -1.5f},
        {"$-1.50", point, NumberRead::kOk, -1.5f},
        {"\xe2\x82\xac 138,95", comma, NumberRead::kOk, 138.95f},
        {"\xa3"
         "12",
         point, NumberRead::kOk, 12.0f},
        {"\xc2\xa3"
         "12",
         point, NumberRead::kOk, 12.0f},
        // Thousands only in groups of three before the decimal mark.
        {"1,263.89", point, NumberRead::kOk, 1263.89f},
        {"1,234,567", point, NumberRead::kOk, 1234567.0f},
        {"1.263,89", comma, NumberRead::kOk, 1263.89f},
        {"138,95", comma, NumberRead::kOk, 138.95f},
        {"1,234", comma, NumberRead::kOk, 1.234f},
        {"1,234", point, NumberRead::kOk, 1234.0f},
        {"1,5", point, NumberRead::kNotANumber, 0},
        {"12,34,567", point, NumberRead::kNotANumber, 0},
        {"1,2345", point, NumberRead::kNotANumber, 0},
        {",234", point, NumberRead::kNotANumber, 0},
        {"1.234,5", point, NumberRead::kNotANumber, 0},
        {"100.5", comma, NumberRead::kNotANumber, 0},
        {"1 000", point, NumberRead::kNotANumber, 0},
        // Amounts: K, M and B exactly, then one rounding; a whole amount written with ".0".
        {"54.11M", amount, NumberRead::kOk, 54110000.0f},
        {"16.777217M", amount, NumberRead::kOk, 16777216.0f},
        {"45.05K", amount, NumberRead::kOk, 45050.0f},
        {"1.2B", amount, NumberRead::kOk, 1.2e9f},
        {"54,11M", commaAmount, NumberRead::kOk, 54110000.0f},
        {"1234.0", commaAmount, NumberRead::kOk, 1234.0f},
        {"1.234.0", commaAmount, NumberRead::kNotANumber, 0},
        {"54.11M", point, NumberRead::kNotANumber, 0},
        {"54.11m", amount, NumberRead::kNotANumber, 0},
        {"M", amount, NumberRead::kNotANumber, 0},
        // What still is no number.
        {huge, point, NumberRead::kTooLarge, 0},
        {"-" + huge, point, NumberRead::kTooLarge, 0},
        {"170141.2M", amount, NumberRead::kOk, 1.701412e11f},
        {"1" + std::string(30, '0') + "B", amount, NumberRead::kTooLarge, 0},
        {tiny, point, NumberRead::kTooSmall, 0},
        {"n/a", point, NumberRead::kNotANumber, 0},
        {"12.5abc", point, NumberRead::kNotANumber, 0},
        {"1.2.3", point, NumberRead::kNotANumber, 0},
        {"1e5", point, NumberRead::kNotANumber, 0},
        {".", point, NumberRead::kNotANumber, 0},
        {"-", point, NumberRead::kNotANumber, 0},
        {"$", point, NumberRead::kNotANumber, 0},
        {"inf", point, NumberRead::kNotANumber, 0},
        {"0x10", point, NumberRead::kNotANumber, 0},
        {"--5", point, NumberRead::kNotANumber, 0},
        {"5$", point, NumberRead::kNotANumber, 0},
        {"0.67%", amount, NumberRead::kNotANumber, 0},
        {"\"12.5", point, NumberRead::kNotANumber, 0},
    };
    for (const auto& c : cases)
    {
        float value = 7;
        EXPECT_EQ(ReadNumberText(c.text.c_str(), c.text.size(), &value, c.style), c.read) << c.text;
        EXPECT_EQ(value, c.read == NumberRead::kOk ? c.value : 7) << c.text;
    }
}

TEST(NumberText, TimesOfDay)
{
    const std::pair<const char*, int> times[] = {
        {"00:00", 0},    {"9:30", 93000}, {"09:30:15", 93015}, {"23:59:59.500", 235959},
        {"0930", 93000}, {"000000", 0},   {"24:00", -1},       {"12:60", -1},
        {"930", -1},     {"9:3", -1},     {"12:30:5", -1},     {"12:30 PM", -1},
        {"", -1},        {":30", -1},     {"123:00", -1},
    };
    for (const auto& [text, expected] : times)
        EXPECT_EQ(ReadTimeText(text, std::strlen(text)), expected) << text;
}
