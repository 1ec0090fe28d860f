#include "platform/HiveFile.h"

#include "platform/Strings.h"

#include <cstdio>

namespace platform {
namespace {
constexpr const char* kFirstLine = "TavrixHive 1";

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && _stricmp(a.c_str(), b.c_str()) == 0;
}

// Control bytes, '%' and the caller's specials become %HH; everything else stays readable.
std::string Escape(const std::string& text, const char* specials)
{
    std::string out;
    for (const char c : text)
    {
        const auto byte = static_cast<unsigned char>(c);
        bool special = byte < 0x20 || byte == 0x7F || c == '%';
        for (const char* s = specials; *s && !special; ++s)
            special = c == *s;
        if (special)
        {
            char piece[4];
            std::snprintf(piece, sizeof piece, "%%%02X", byte);
            out += piece;
        }
        else
            out += c;
    }
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool Unescape(const std::string& text, std::string* out)
{
    out->clear();
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != '%')
        {
            out->push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int high = HexDigit(text[i + 1]);
        const int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0)
            return false;
        out->push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return true;
}

bool IsPlainText(const HiveValue& value)
{
    return value.type == 1 && !value.data.empty() && value.data.back() == '\0' &&
           value.data.find('\0') == value.data.size() - 1;
}

// Reads a quoted, escaped text starting at line[*pos] == '"'; leaves *pos after the closing quote.
bool ReadQuoted(const std::string& line, std::size_t* pos, std::string* out)
{
    if (*pos >= line.size() || line[*pos] != '"')
        return false;
    const std::size_t close = line.find('"', *pos + 1);
    if (close == std::string::npos)
        return false;
    if (!Unescape(line.substr(*pos + 1, close - *pos - 1), out))
        return false;
    *pos = close + 1;
    return true;
}

bool ParseValueLine(const std::string& line, HiveValue* value)
{
    std::size_t pos = 0;
    if (line.compare(0, 2, "@=") == 0)
    {
        value->name.clear();
        pos = 1;
    }
    else if (!ReadQuoted(line, &pos, &value->name))
        return false;
    if (pos >= line.size() || line[pos] != '=')
        return false;
    ++pos;
    if (pos < line.size() && line[pos] == '"')
    {
        if (!ReadQuoted(line, &pos, &value->data) || pos != line.size())
            return false;
        value->type = 1;
        value->data.push_back('\0');
        return true;
    }
    if (line.compare(pos, 4, "hex(") != 0)
        return false;
    pos += 4;
    unsigned long type = 0;
    const std::size_t digits = pos;
    while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9' && type <= 0xFFFFFFFFul)
        type = type * 10 + static_cast<unsigned long>(line[pos++] - '0');
    if (pos == digits || type > 0xFFFFFFFFul || line.compare(pos, 2, "):") != 0)
        return false;
    value->type = static_cast<DWORD>(type);
    pos += 2;
    value->data.clear();
    while (pos < line.size())
    {
        if (pos + 2 > line.size())
            return false;
        const int high = HexDigit(line[pos]);
        const int low = HexDigit(line[pos + 1]);
        if (high < 0 || low < 0)
            return false;
        value->data.push_back(static_cast<char>(high * 16 + low));
        pos += 2;
        if (pos < line.size() && line[pos++] != ',')
            return false;
        if (pos == line.size() && line.back() == ',')
            return false;
    }
    return true;
}
} // namespace

std::vector<std::string> Hive::SplitPath(const std::string& path)
{
    std::vector<std::string> names;
    std::string name;
    for (const char c : path)
    {
        if (c == '\\')
        {
            if (!name.empty())
                names.push_back(name);
            name.clear();
        }
        else
            name += c;
    }
    if (!name.empty())
        names.push_back(name);
    return names;
}

std::string Hive::NameKey(const std::string& name)
{
    // Names compare by length and, up to a zero byte, without regard to ASCII letter case.
    std::string key = std::to_string(name.size()) + ':';
    for (const char c : name)
    {
        if (c == '\0')
            break;
        key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
    }
    return key;
}

HiveKey* Hive::Find(const std::string& path)
{
    std::string joined;
    for (const auto& name : SplitPath(path))
        joined += (joined.empty() ? "" : "\\") + name;
    const auto found = m_index.find(NameKey(joined));
    return found == m_index.end() ? nullptr : &m_keys[found->second];
}

HiveKey& Hive::Create(const std::string& path, bool* created)
{
    const auto names = SplitPath(path);
    std::vector<std::string> levels{""}; // the root, then each level's joined path
    for (const auto& name : names)
        levels.push_back(levels.back() + (levels.size() > 1 ? "\\" : "") + name);
    // Look from the deepest level up, so a key whose parent exists costs two look-ups, not one per level.
    std::size_t missing = levels.size();
    HiveKey* key = nullptr;
    while (missing > 0 && !(key = Find(levels[missing - 1])))
        --missing;
    if (created)
        *created = missing < levels.size();
    for (; missing < levels.size(); ++missing)
    {
        m_index.emplace(NameKey(levels[missing]), m_keys.size());
        m_keys.push_back({levels[missing], {}});
        key = &m_keys.back();
    }
    return *key;
}

HiveValue* Hive::FindValue(HiveKey& key, const std::string& name)
{
    for (auto& value : key.values)
        if (SameName(value.name, name))
            return &value;
    return nullptr;
}

void Hive::SetValue(HiveKey& key, const std::string& name, DWORD type, const std::string& data)
{
    if (HiveValue* value = FindValue(key, name))
    {
        value->type = type;
        value->data = data;
        return;
    }
    key.values.push_back({name, type, data});
}

std::string Hive::Serialize() const
{
    std::string text = std::string(kFirstLine) + "\n";
    for (const auto& key : m_keys)
    {
        std::string path;
        for (const auto& name : SplitPath(key.path))
            path += (path.empty() ? "" : "\\") + Escape(name, "]");
        text += "[" + path + "]\n";
        for (const auto& value : key.values)
        {
            text += value.name.empty() ? "@" : "\"" + Escape(value.name, "\"") + "\"";
            if (IsPlainText(value))
                text += "=\"" + Escape(value.data.substr(0, value.data.size() - 1), "\"") + "\"\n";
            else
            {
                text += "=hex(" + std::to_string(value.type) + "):";
                char piece[4];
                for (std::size_t i = 0; i < value.data.size(); ++i)
                {
                    std::snprintf(piece, sizeof piece, i ? ",%02x" : "%02x", static_cast<unsigned char>(value.data[i]));
                    text += piece;
                }
                text += "\n";
            }
        }
    }
    return text;
}

bool Hive::Parse(const std::string& text)
{
    Hive parsed;
    if (text.empty())
    {
        *this = parsed;
        return true;
    }
    std::size_t start = 0;
    bool first = true;
    HiveKey* current = nullptr;
    // Value positions by NameKey for each key, so a key with many values is still read in one pass.
    std::unordered_map<const HiveKey*, std::unordered_map<std::string, std::size_t>> valueIndex;
    while (start < text.size())
    {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            return false; // every line of a whole file ends in a line feed
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (first)
        {
            if (line != kFirstLine)
                return false;
            first = false;
            continue;
        }
        if (!line.empty() && line[0] == '[')
        {
            if (line.back() != ']')
                return false;
            std::string path;
            for (const auto& escaped : SplitPath(line.substr(1, line.size() - 2)))
            {
                std::string name;
                if (!Unescape(escaped, &name))
                    return false;
                path += (path.empty() ? "" : "\\") + name;
            }
            current = &parsed.Create(path, nullptr);
            continue;
        }
        HiveValue value;
        if (!current || !ParseValueLine(line, &value))
            return false;
        auto& positions = valueIndex[current];
        const auto known = positions.emplace(NameKey(value.name), current->values.size());
        if (known.second)
        {
            current->values.push_back(std::move(value));
            continue;
        }
        HiveValue& repeated = current->values[known.first->second]; // the later line wins, as SetValue does
        repeated.type = value.type;
        repeated.data = std::move(value.data);
    }
    *this = std::move(parsed);
    return true;
}
} // namespace platform
