#pragma once

#include <cstdint>

// The few Windows scalar types that the ported interfaces keep in their signatures.
namespace platform {
using BOOL = int;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BYTE = std::uint8_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
} // namespace platform
