#include "app/FramePlacement.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

TEST(FramePlacement, StoredPlacementOnlyWhenItFitsTheScreen)
{
    // Stored x, y, cx, cy; the screen's width and height; where the window goes.
    const std::array<int, 10> cases[] = {
        {0, 0, 0, 0, 640, 480, 48, 36, 544, 408},
        {0, 0, 0, 0, 800, 600, 60, 45, 680, 510}, // single-precision 0.85: 510, not 509
        {0, 0, 0, 0, 1024, 768, 77, 58, 870, 652},
        {10, 20, 300, 200, 800, 600, 10, 20, 300, 200},
        {800, 600, 300, 200, 800, 600, 800, 600, 300, 200}, // at the edges, still accepted
        {10, 20, 801, 200, 800, 600, 60, 45, 680, 510},
        {-1, 20, 300, 200, 800, 600, 60, 45, 680, 510},
        {10, 601, 300, 200, 800, 600, 60, 45, 680, 510},
    };
    for (const auto& c : cases)
    {
        const FramePlacement p = ComputeFramePlacement({c[0], c[1], c[2], c[3]}, c[4], c[5]);
        EXPECT_EQ((std::array<int, 4>{p.x, p.y, p.cx, p.cy}), (std::array<int, 4>{c[6], c[7], c[8], c[9]})) << c[4];
    }
}

TEST(FramePlacement, ASizeStoredAtOneScaleFactorKeepsItsSizeOnTheScreenAtAnother)
{
    // The window as closed (logical pixels) and its scale factor; the scale factor of the next
    // start, on a 1280 by 800 screen; the window it opens (logical pixels).
    const std::tuple<FramePlacement, double, double, std::array<int, 4>> cases[] = {
        {{10, 20, 544, 340}, 2.0, 1.0, {20, 40, 1088, 680}},
        {{20, 40, 1088, 680}, 1.0, 2.0, {10, 20, 544, 340}},
        {{10, 20, 544, 340}, 2.0, 2.0, {10, 20, 544, 340}},
        {{0, 0, 800, 600}, 1.0, 1.5, {0, 0, 533, 400}},
    };
    for (const auto& [shown, closedAt, openedAt, opens] : cases)
    {
        const FramePlacement stored = ScaleFramePlacement(shown, closedAt);
        const FramePlacement p = ScaleFramePlacement(ComputeFramePlacement(stored, 1280, 800), 1 / openedAt);
        EXPECT_EQ((std::array<int, 4>{p.x, p.y, p.cx, p.cy}), opens) << closedAt << " to " << openedAt;
    }
}
