#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace testing_support {
// A fresh directory under the system's temporary folder, removed with everything in it.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);
std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);
void MakeDir(const std::string& path);
// Names of the entries of a directory, sorted.
std::vector<std::string> ListDir(const std::string& path);
// Every entry of a directory with its content (a link's target, "<dir>" for a directory), to
// compare a directory byte for byte before and after a run.
std::map<std::string, std::string> SnapshotDir(const std::string& path);
// "01 02 ff" for readable failure messages.
std::string Hex(const Bytes& bytes);
Bytes FromHex(const std::string& hex);
} // namespace testing_support
