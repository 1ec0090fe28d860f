#pragma once

#include <cstdint>

namespace tavrix {
// Library status: 0 for success, negative for a failure.
using Status = std::int16_t;

constexpr Status kStatusOk = 0;
constexpr Status kStatusInvalidParm = -1;
constexpr Status kStatusFileOpen = -2;
constexpr Status kStatusMalloc = -3;
constexpr Status kStatusFileRead = -4;
constexpr Status kStatusFileWrite = -5;
constexpr Status kStatusFileSeek = -6;
constexpr Status kStatusFileExists = -7;
constexpr Status kStatusFileNotFound = -8;
constexpr Status kStatusRecordNotFound = -9;
constexpr Status kStatusNoGraphicsFound = -10;
constexpr Status kStatusNoFontsFound = -11;
constexpr Status kStatusChartsUninitialized = -12;
constexpr Status kStatusMaxLinesExceeded = -13;
constexpr Status kStatusMaxGridsExceeded = -14;

// The library's text for a status code; "Unknown" for a code without a text of its own.
const char* StatusText(int code);
} // namespace tavrix
