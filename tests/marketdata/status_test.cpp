#include "marketdata/Status.h"

#include <gtest/gtest.h>

using namespace tavrix;

TEST(StatusText, EveryCodeHasItsTextAndOthersAreUnknown)
{
    EXPECT_STREQ(StatusText(kStatusOk), "Sucessfull");
    EXPECT_STREQ(StatusText(kStatusInvalidParm), "Invalid Parm");
    EXPECT_STREQ(StatusText(kStatusFileRead), "File Read");
    EXPECT_STREQ(StatusText(kStatusFileNotFound), "File Not Found");
    EXPECT_STREQ(StatusText(kStatusMaxGridsExceeded), "Max Grids Exceeded");
    for (int code : {7, 1, -15, -32768, 32767})
        EXPECT_STREQ(StatusText(code), "Unknown") << code;
}
