#include "marketdata/Mbf.h"

#include <cstring>

namespace tavrix {
namespace {
float LoadIeee(const std::uint8_t* bytes)
{
    const std::uint32_t bits = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
                               static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
} // namespace

void IeeeToMbf(const std::uint8_t* source, std::uint8_t* target)
{
    const MbfBytes mbf = ToMbf(LoadIeee(source));
    std::memcpy(target, mbf.data(), 4);
}

void MbfToIeee(const std::uint8_t* source, std::uint8_t* target)
{
    if (source[3] == 0)
    {
        std::memset(target, 0, 4);
        return;
    }
    std::uint8_t b[4];
    std::memcpy(b, source, 4);
    const std::uint8_t exponent = static_cast<std::uint8_t>(b[3] - 2);
    const std::uint8_t sign = b[2] & 0x80;
    b[2] = static_cast<std::uint8_t>((b[2] & 0x7F) | ((exponent & 1) << 7));
    b[3] = static_cast<std::uint8_t>((exponent >> 1) | sign);
    std::memcpy(target, b, 4);
}

MbfBytes ToMbf(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const std::uint32_t exponent = (bits >> 23) & 0xFF;
    // Zero of either sign, and exponents 254 and 255 (from 2^127, infinities, NaN), which MBF
    // cannot hold: exponent 254 wraps to MBF zero, and 255 would wrap to a tiny non-zero number.
    if ((bits & 0x7FFFFFFFu) == 0 || exponent >= 254)
        return MbfBytes{};
    // The MBF exponent is the IEEE one plus 2; the sign moves from byte 3 to the top of byte 2.
    return MbfBytes{static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                    static_cast<std::uint8_t>(((bits >> 16) & 0x7F) | ((bits >> 24) & 0x80)),
                    static_cast<std::uint8_t>(exponent + 2)};
}

float FromMbf(const std::uint8_t* mbf)
{
    std::uint8_t ieee[4];
    MbfToIeee(mbf, ieee);
    return LoadIeee(ieee);
}
} // namespace tavrix
