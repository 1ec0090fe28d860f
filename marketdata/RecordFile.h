#pragma once

#include "marketdata/Status.h"
#include "platform/FileOps.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrix {
// MASTER, EMASTER and XMASTER: a header record, then records of the same size.
template <std::size_t N> struct RecordFile
{
    std::array<std::uint8_t, N> header{};
    std::vector<std::array<std::uint8_t, N>> records;
    std::size_t extraBytes = 0; // a cut-off piece after the last whole record
};

// Reads the whole file. kStatusFileOpen, or kStatusFileRead when it is shorter than its header.
template <std::size_t N> Status ReadRecordFile(const std::string& path, RecordFile<N>* file)
{
    platform::FilePtr in = platform::OpenFile(path, "rb");
    if (!in)
        return kStatusFileOpen;
    *file = RecordFile<N>{};
    if (std::fread(file->header.data(), 1, N, in.get()) != N)
        return kStatusFileRead;
    std::array<std::uint8_t, N> record{};
    std::size_t got = 0;
    while ((got = std::fread(record.data(), 1, N, in.get())) == N)
        file->records.push_back(record);
    file->extraBytes = got;
    return std::ferror(in.get()) ? kStatusFileRead : kStatusOk;
}
} // namespace tavrix
