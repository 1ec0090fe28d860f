#include "platform/Strings.h"

namespace platform {
namespace {
int Lower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
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
} // namespace platform

namespace platform {
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
} // namespace platform
