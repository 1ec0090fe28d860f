#include "marketdata/Mbf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using namespace tavrix;
using testing_support::Bytes;
using testing_support::FromHex;
using testing_support::Hex;

namespace {
Bytes Mbf(float value)
{
    const MbfBytes mbf = ToMbf(value);
    return Bytes(mbf.begin(), mbf.end());
}

std::uint32_t Bits(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float FromBits(std::uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
} // namespace

TEST(Mbf, KnownValuesHaveTheirPublishedBytes)
{
    const struct
    {
        float value;
        const char* bytes;
    } cases[] = {
        {1.0f, "00 00 00 81"},       {-1.0f, "00 00 80 81"},    {0.5f, "00 00 00 80"},      {10.0f, "00 00 20 84"},
        {12.5f, "00 00 48 84"},      {100.5f, "00 00 49 87"},   {101.25f, "00 80 4a 87"},   {99.75f, "00 80 47 87"},
        {100.0f, "00 00 48 87"},     {12000.0f, "00 80 3b 8e"}, {991231.0f, "f0 ff 71 94"}, {1000101.0f, "50 2a 74 94"},
        {1000103.0f, "70 2a 74 94"},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(Hex(Mbf(c.value)), c.bytes) << c.value;
        const Bytes mbf = FromHex(c.bytes);
        EXPECT_EQ(FromMbf(mbf.data()), c.value) << c.bytes;
    }
}

TEST(Mbf, ZeroAndValuesMbfCannotHoldBecomeZero)
{
    const float inf = std::numeric_limits<float>::infinity();
    for (float value : {0.0f, -0.0f, std::nanf(""), inf, -inf, 0x1p127f, -3.0e38f, FromBits(0x7F000000u)})
        EXPECT_EQ(Hex(Mbf(value)), "00 00 00 00") << value;

    // Whatever the other bytes hold, exponent 0 is zero.
    for (const char* bytes : {"00 00 00 00", "ff ff ff 00", "12 34 80 00"})
    {
        const Bytes mbf = FromHex(bytes);
        const float value = FromMbf(mbf.data());
        EXPECT_EQ(value, 0.0f) << bytes;
        EXPECT_FALSE(std::signbit(value)) << bytes;
    }
}

TEST(Mbf, ConvertsInPlace)
{
    std::uint8_t bytes[4];
    const float value = -123.456f;
    std::memcpy(bytes, &value, 4);
    EXPECT_EQ(IeeeToMbf(bytes, bytes), kStatusOk);
    EXPECT_EQ(Hex(Bytes(bytes, bytes + 4)), Hex(Mbf(value)));
    EXPECT_EQ(MbfToIeee(bytes, bytes), kStatusOk);
    float back;
    std::memcpy(&back, bytes, 4);
    EXPECT_EQ(back, value);
}

TEST(Mbf, EveryNormalSingleBelowTwoToThe127RoundTrips)
{
    // A prime stride over all 2^32 patterns visits every exponent and sign with varied fractions.
    long checked = 0;
    for (std::uint64_t bits = 0; bits <= 0xFFFFFFFFu; bits += 1009)
    {
        const auto pattern = static_cast<std::uint32_t>(bits);
        const std::uint32_t exponent = (pattern >> 23) & 0xFF;
        if (exponent == 0 || exponent >= 254)
            continue;
        const float value = FromBits(pattern);
        const MbfBytes mbf = ToMbf(value);
        ASSERT_EQ(Bits(FromMbf(mbf.data())), pattern) << std::hex << pattern;
        ++checked;
    }
    EXPECT_GT(checked, 4000000);

    // The exponent edges: the smallest normal and the largest single below 2^127, both signs.
    for (std::uint32_t pattern : {0x00800000u, 0x80800000u, 0x7EFFFFFFu, 0xFEFFFFFFu})
    {
        const MbfBytes mbf = ToMbf(FromBits(pattern));
        EXPECT_EQ(Bits(FromMbf(mbf.data())), pattern) << std::hex << pattern;
    }
}
