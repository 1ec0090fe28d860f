#include "marketdata/Mbf.h"

#include <cmath>
#include <cstring>

namespace tavrix
{
namespace
{
float LoadIeee(const std::uint8_t* bytes)
{
    const std::uint32_t bits = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
                               static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void StoreIeee(float value, std::uint8_t* bytes)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

constexpr float kMbfLimit = 0x1p127f; // the first magnitude MBF cannot hold
} // namespace

Status IeeeToMbf(const std::uint8_t* source, std::uint8_t* target)
{
    const float value = LoadIeee(source);
    // Infinities would otherwise wrap to a tiny non-zero MBF number: a plainly wrong price.
    if (value == 0.0f || std::isnan(value) || std::fabs(value) >= kMbfLimit)
    {
        std::memset(target, 0, 4);
        return kStatusOk;
    }
    std::uint8_t b[4];
    std::memcpy(b, source, 4);
    const std::uint8_t sign = b[3] & 0x80;
    const std::uint8_t exponent = static_cast<std::uint8_t>((b[3] << 1) + (b[2] >> 7) + 2);
    b[2] = static_cast<std::uint8_t>((b[2] & 0x7F) | sign);
    b[3] = exponent;
    std::memcpy(target, b, 4);
    return kStatusOk;
}

Status MbfToIeee(const std::uint8_t* source, std::uint8_t* target)
{
    if (source[3] == 0)
    {
        std::memset(target, 0, 4);
        return kStatusOk;
    }
    std::uint8_t b[4];
    std::memcpy(b, source, 4);
    const std::uint8_t exponent = static_cast<std::uint8_t>(b[3] - 2);
    const std::uint8_t sign = b[2] & 0x80;
    b[2] = static_cast<std::uint8_t>((b[2] & 0x7F) | ((exponent & 1) << 7));
    b[3] = static_cast<std::uint8_t>((exponent >> 1) | sign);
    std::memcpy(target, b, 4);
    return kStatusOk;
}

MbfBytes ToMbf(float value)
{
    std::uint8_t ieee[4];
    StoreIeee(value, ieee);
    MbfBytes mbf{};
    IeeeToMbf(ieee, mbf.data());
    return mbf;
}

float FromMbf(const std::uint8_t* mbf)
{
    std::uint8_t ieee[4];
    MbfToIeee(mbf, ieee);
    return LoadIeee(ieee);
}
} // namespace tavrix
