// The settings hive: a text that parses writes back to a text that parses to the same hive. The
// same bytes also build a hive through the API, whose names and data of any bytes must survive
// writing and reading back value for value.
#include "FuzzSupport.h"
#include "platform/HiveFile.h"

#include <algorithm>
#include <utility>
#include <vector>

using platform::Hive;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Hive first;
    Hive::SetValue(first.Create("Software\\Corvanta\\Tavrix\\Setting", nullptr), "Symbol", 1, std::string("ACME", 5));
    const std::string before = first.Serialize();
    if (first.Parse(std::string(reinterpret_cast<const char*>(data), size)))
    {
        Hive second;
        FUZZ_CHECK(second.Parse(first.Serialize()), "a written hive does not parse");
        FUZZ_CHECK(second.Serialize() == first.Serialize(), "parse-write-parse changed the hive");
    }
    else
        FUZZ_CHECK(first.Serialize() == before, "a refused text changed the hive");

    // Length-prefixed path, name, a type byte and data, until the bytes run out.
    std::size_t pos = 0;
    const auto piece = [&] {
        std::size_t length = pos < size ? data[pos++] % 24 : 0;
        length = std::min(length, size - pos);
        pos += length;
        return std::string(reinterpret_cast<const char*>(data) + pos - length, length);
    };
    Hive built;
    std::vector<std::pair<std::string, std::string>> names;
    while (pos < size)
    {
        const std::string path = piece(), name = piece();
        const std::uint8_t type = pos < size ? data[pos++] : 0;
        // Mostly texts as the program stores them (type 1, one zero at the end), some raw values.
        Hive::SetValue(built.Create(path, nullptr), name, type < 160 ? 1 : type,
                       piece() + std::string(type < 160, '\0'));
        names.push_back({path, name});
    }
    const std::string written = built.Serialize();
    Hive read;
    FUZZ_CHECK(read.Parse(written) && read.Serialize() == written, "a written hive reads back differently");
    for (const auto& [path, name] : names)
    {
        platform::HiveKey* builtKey = built.Find(path);
        platform::HiveKey* readKey = read.Find(path);
        FUZZ_CHECK(builtKey && readKey, "a key is lost");
        const platform::HiveValue* a = Hive::FindValue(*builtKey, name);
        const platform::HiveValue* b = Hive::FindValue(*readKey, name);
        FUZZ_CHECK(a && b && a->type == b->type && a->data == b->data && a->name == b->name, "a value changed");
    }
    return 0;
}
