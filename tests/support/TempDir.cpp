#include "support/TempDir.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

namespace testing_support {
TempDir::TempDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/tavrix-test-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

Bytes ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& path, const std::string& text)
{
    WriteBytes(path, Bytes(text.begin(), text.end()));
}

bool FileExists(const std::string& path)
{
    struct stat st
    {
    };
    return ::lstat(path.c_str(), &st) == 0;
}

void MakeDir(const std::string& path)
{
    std::filesystem::create_directories(path);
}

std::vector<std::string> ListDir(const std::string& path)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::map<std::string, std::string> SnapshotDir(const std::string& path)
{
    std::map<std::string, std::string> snapshot;
    for (const auto& entry : std::filesystem::directory_iterator(path))
    {
        const std::string name = entry.path().filename().string();
        if (entry.is_symlink())
            snapshot[name] = "-> " + std::filesystem::read_symlink(entry.path()).string();
        else if (entry.is_directory())
            snapshot[name] = "<dir>";
        else
            snapshot[name] = ReadText(entry.path().string());
    }
    return snapshot;
}

std::string Hex(const Bytes& bytes)
{
    std::string text;
    char piece[4];
    for (std::size_t i = 0; i < bytes.size(); ++i)
    {
        std::snprintf(piece, sizeof piece, i ? " %02x" : "%02x", bytes[i]);
        text += piece;
    }
    return text;
}

Bytes FromHex(const std::string& hex)
{
    Bytes bytes;
    std::istringstream in(hex);
    std::string piece;
    while (in >> piece)
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(piece, nullptr, 16)));
    return bytes;
}
} // namespace testing_support
