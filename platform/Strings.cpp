#include "platform/Strings.h"

#include <cstring>

namespace platform {
namespace {
int Lower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

// Latin-1 lower case: A-Z and the capitals C0 to DE but the multiplication sign D7.
unsigned char LowerLatin1(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 0x20);
    return c;
}
} // namespace

int _stricmp(const char* a, const char* b)
{
    for (;; ++a, ++b)
    {
        const int la = Lower(static_cast<unsigned char>(*a));
        const int lb = Lower(static_cast<unsigned char>(*b));
        if (la != lb || la == 0)
            return la - lb;
    }
}

bool EqualNoCaseLatin1(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerLatin1(static_cast<unsigned char>(a[i])) != LowerLatin1(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string UpperLatin1(std::string text)
{
    for (char& c : text)
    {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7))
            c = static_cast<char>(byte - 0x20);
    }
    return text;
}

std::string UpperAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string TrimRight(std::string text, const char* characters)
{
    text.erase(text.find_last_not_of(characters) + 1);
    return text;
}

std::string TrimRightWhite(std::string text)
{
    return TrimRight(std::move(text), " \t\n\v\f\r");
}

std::string TrimWhite(std::string text)
{
    text = TrimRightWhite(std::move(text));
    text.erase(0, text.find_first_not_of(" \t\n\v\f\r"));
    return text;
}

std::string Latin1ToUtf8(const std::string& text)
{
    std::string utf8;
    for (const char c : text)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            utf8.push_back(c);
        else
        {
            utf8.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return utf8;
}

bool IsValidUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();)
    {
        const auto byte = static_cast<unsigned char>(text[i]);
        const int extra = byte < 0x80 ? 0 : (byte >> 5) == 6 ? 1 : (byte >> 4) == 14 ? 2 : (byte >> 3) == 30 ? 3 : -1;
        if (extra < 0 || (extra == 1 && byte < 0xC2) || i + extra >= text.size() + (extra == 0 ? 1 : 0))
            return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

std::size_t CharacterCount(const std::string& utf8)
{
    if (!IsValidUtf8(utf8))
        return utf8.size();
    std::size_t count = 0;
    for (const char c : utf8)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}
} // namespace platform
