#include "marketdata/Status.h"

#include <gtest/gtest.h>

// The text is looked up by position 1 - code: codes past either end of the table must not read outside it.
TEST(StatusText, CodesPastEitherEndAreUnknown)
{
    EXPECT_STREQ(tavrix::StatusText(tavrix::kStatusMaxGridsExceeded), "Max Grids Exceeded");
    for (int code : {1, 32767, tavrix::kStatusMaxGridsExceeded - 1, -32768})
        EXPECT_STREQ(tavrix::StatusText(code), "Unknown") << code;
}
