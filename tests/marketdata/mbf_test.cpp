#include "marketdata/Mbf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tavrix;
using namespace testing_support;

// Published bytes both ways; what MBF cannot hold becomes zero, and exponent 0 reads as +0 whatever the rest.
TEST(Mbf, KnownValuesZeroAndValuesMbfCannotHold)
{
    const std::pair<float, const char*> cases[] = {
        {1.0f, "00 00 00 81"},   {-1.0f, "00 00 80 81"},     {0.5f, "00 00 00 80"},       {10.0f, "00 00 20 84"},
        {100.5f, "00 00 49 87"}, {101.25f, "00 80 4a 87"},   {99.75f, "00 80 47 87"},     {12000.0f, "00 80 3b 8e"},
        {12.5f, "00 00 48 84"},  {991231.0f, "f0 ff 71 94"}, {1000101.0f, "50 2a 74 94"}, {1000103.0f, "70 2a 74 94"},
        {0.0f, "00 00 00 00"},
    };
    for (const auto& [value, bytes] : cases)
    {
        const MbfBytes mbf = ToMbf(value);
        EXPECT_EQ(Hex(Bytes(mbf.begin(), mbf.end())), bytes) << value;
        EXPECT_EQ(FromMbf(FromHex(bytes).data()), value) << bytes;
    }
    for (float value : {-0.0f, std::nanf(""), HUGE_VALF, -HUGE_VALF, 0x1p127f, -3.0e38f})
        EXPECT_EQ(ToMbf(value), MbfBytes{}) << value;
    for (const char* bytes : {"ff ff ff 00", "12 34 80 00"})
        EXPECT_TRUE(FromMbf(FromHex(bytes).data()) == 0 && !std::signbit(FromMbf(FromHex(bytes).data()))) << bytes;
}
