// The settings hive: a text that parses must write back to a text that parses to the same hive.
// The same bytes also build a hive through the API (names and data of any bytes), which must
// survive writing and reading back value for value.
#include "FuzzSupport.h"
#include "platform/HiveFile.h"

#include <string>
#include <vector>

namespace {
struct Entry
{
    std::string path;
    std::string name;
    platform::DWORD type;
    std::string data;
};

// Length-prefixed pieces: path, name, a type byte, data; until the bytes run out.
std::vector<Entry> Entries(const std::uint8_t* data, std::size_t size)
{
    std::size_t pos = 0;
    const auto piece = [&](std::string* out) {
        if (pos >= size)
            return false;
        const std::size_t length = data[pos++] % 24;
        const std::size_t taken = length < size - pos ? length : size - pos;
        out->assign(reinterpret_cast<const char*>(data + pos), taken);
        pos += taken;
        return true;
    };
    std::vector<Entry> entries;
    Entry entry;
    while (piece(&entry.path) && piece(&entry.name) && pos < size)
    {
        const std::uint8_t type = data[pos++];
        // Mostly texts as the program stores them (type 1, one zero at the end), some raw values.
        entry.type = type < 160 ? 1 : type;
        if (!piece(&entry.data))
            break;
        if (type < 160)
            entry.data.push_back('\0');
        entries.push_back(entry);
    }
    return entries;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    platform::Hive first;
    platform::Hive::SetValue(first.Create("Software\\Corvanta\\Tavrix\\Setting", nullptr), "Symbol", 1,
                             std::string("ACME", 5));
    const std::string before = first.Serialize();
    if (first.Parse(text))
    {
        const std::string written = first.Serialize();
        platform::Hive second;
        FUZZ_CHECK(second.Parse(written), "a written hive does not parse");
        FUZZ_CHECK(second.Serialize() == written, "parse-write-parse changed the hive");
    }
    else
        FUZZ_CHECK(first.Serialize() == before, "a refused text changed the hive");

    platform::Hive built;
    const std::vector<Entry> entries = Entries(data, size);
    for (const Entry& entry : entries)
        platform::Hive::SetValue(built.Create(entry.path, nullptr), entry.name, entry.type, entry.data);
    const std::string written = built.Serialize();
    platform::Hive read;
    FUZZ_CHECK(read.Parse(written), "a written hive does not parse");
    FUZZ_CHECK(read.Serialize() == written, "parse of a written hive writes differently");
    for (const Entry& entry : entries)
    {
        platform::HiveKey* builtKey = built.Find(entry.path);
        platform::HiveKey* readKey = read.Find(entry.path);
        FUZZ_CHECK(builtKey && readKey, "a key is lost in writing and reading back");
        const platform::HiveValue* builtValue = platform::Hive::FindValue(*builtKey, entry.name);
        const platform::HiveValue* readValue = platform::Hive::FindValue(*readKey, entry.name);
        FUZZ_CHECK(builtValue && readValue, "a value is lost in writing and reading back");
        FUZZ_CHECK(builtValue->type == readValue->type && builtValue->data == readValue->data &&
                       builtValue->name == readValue->name,
                   "a value reads back differently");
    }
    return 0;
}
