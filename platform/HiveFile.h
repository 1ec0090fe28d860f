#pragma once

#include "platform/WinTypes.h"

#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform {
// The HKEY_LOCAL_MACHINE tree as held in the hive file. Key and value names compare without
// regard to ASCII letter case, as the registry's do, and keep the case they were created with.
struct HiveValue
{
    std::string name; // "" is the key's unnamed value
    DWORD type = 0;
    std::string data; // raw bytes, exactly as set
};

struct HiveKey
{
    std::string path; // names joined by '\', no leading or trailing separator
    std::vector<HiveValue> values;
};

class Hive
{
public:
    // Splits "A\B\\C\" into its non-empty names.
    static std::vector<std::string> SplitPath(const std::string& path);

    HiveKey* Find(const std::string& path);
    // Creates the key and every missing level above it; `created` tells whether the key was new.
    HiveKey& Create(const std::string& path, bool* created);
    static HiveValue* FindValue(HiveKey& key, const std::string& name);
    static void SetValue(HiveKey& key, const std::string& name, DWORD type, const std::string& data);

    // The text form: a first line naming the format, then "[path]" lines each followed by its
    // values, "name"="text" for a zero-terminated text, "name"=hex(type):bytes for anything else.
    std::string Serialize() const;
    // False, with the hive unchanged, when the text is not a hive file.
    bool Parse(const std::string& text);

private:
    // The text two names share exactly when they are the same name (see NameKey).
    static std::string NameKey(const std::string& name);

    std::deque<HiveKey> m_keys; // a deque keeps references to keys valid while more are added
    // Position in m_keys by NameKey of the path, so finding a key does not visit every key.
    std::unordered_map<std::string, std::size_t> m_index;
};
} // namespace platform
