#pragma once

#include <array>
#include <cstdint>

namespace tavrix {
// Microsoft Binary Format single: bytes 0-1 low fraction, byte 2 sign and high fraction,
// byte 3 exponent (0 means zero). Source and target may be the same area.
using MbfBytes = std::array<std::uint8_t, 4>;

// IEEE single (4 bytes, little-endian) to MBF. Zero, NaN, infinities and magnitudes from 2^127
// up, which MBF cannot hold, give four zero bytes.
void IeeeToMbf(const std::uint8_t* source, std::uint8_t* target);

// MBF to IEEE single (4 bytes, little-endian). An exponent byte of 0 gives 0.0.
void MbfToIeee(const std::uint8_t* source, std::uint8_t* target);

MbfBytes ToMbf(float value);
float FromMbf(const std::uint8_t* mbf);
} // namespace tavrix
