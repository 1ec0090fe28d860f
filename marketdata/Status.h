#pragma once

#include <cstdint>

namespace tavrix {
// Library status: 0 for success, negative for a failure.
using Status = std::int16_t;

constexpr Status kStatusOk = 0;
constexpr Status kStatusInvalidParm = -1;
constexpr Status kStatusFileNotFound = -8;
} // namespace tavrix
