#include "marketdata/Status.h"

namespace tavrix {
namespace {
// The text of code k is at position 1 - k; the spellings are the library's own and stay as they are.
const char* const kStatusTexts[] = {
    "",
    "Sucessfull",
    "Invalid Parm",
    "File Open",
    "Malloc",
    "File Read",
    "File Write",
    "File Seek",
    "File Exists",
    "File Not Found",
    "Record Not Found",
    "No Graphics Found",
    "No Fonts Found",
    "Charts Uninitialized",
    "Max Lines Exceeded",
    "Max Grids Exceeded",
    "Unknown",
};
constexpr int kUnknownPosition = sizeof kStatusTexts / sizeof kStatusTexts[0] - 1;
} // namespace

const char* StatusText(int code)
{
    const long position = 1L - code;
    if (code > 0 || position >= kUnknownPosition)
        return kStatusTexts[kUnknownPosition];
    return kStatusTexts[position];
}
} // namespace tavrix
