#pragma once

#include "platform/FileOps.h"

#include <algorithm>
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

    std::vector<std::uint8_t> Bytes() const
    {
        std::vector<std::uint8_t> bytes(header.begin(), header.end());
        for (const auto& record : records)
            bytes.insert(bytes.end(), record.begin(), record.end());
        return bytes;
    }
};

// Reads the whole file: "" on success, else why not in words. A file that is not a regular file,
// is longer than the header and `maxRecords` records (and a cut-off piece), or shorter than its
// header is refused; nothing more than that is ever read.
template <std::size_t N>
std::string ReadRecordFile(const std::string& path, std::size_t maxRecords, RecordFile<N>* file)
{
    *file = RecordFile<N>{};
    std::vector<std::uint8_t> bytes;
    const std::string error = platform::ReadRegularFile(path, N * (maxRecords + 2) - 1, &bytes);
    if (!error.empty())
        return error;
    if (bytes.size() < N)
        return "shorter than its " + std::to_string(N) + "-byte header";
    std::copy_n(bytes.begin(), N, file->header.begin());
    const std::size_t count = bytes.size() / N - 1;
    file->records.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        std::copy_n(bytes.begin() + static_cast<long>(N * (i + 1)), N, file->records[i].begin());
    file->extraBytes = bytes.size() % N;
    return "";
}
} // namespace tavrix
