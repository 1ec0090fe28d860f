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
