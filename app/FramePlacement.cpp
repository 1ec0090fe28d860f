#include "app/FramePlacement.h"

#include <cmath>

FramePlacement ComputeFramePlacement(const FramePlacement& stored, int screenWidth, int screenHeight)
{
    // x and y are compared with the screen alone, so a window may reach past the right or bottom.
    if (stored.cx > 0 && stored.cy > 0 && stored.x >= 0 && stored.y >= 0 && stored.cx <= screenWidth &&
        stored.cy <= screenHeight && stored.x <= screenWidth && stored.y <= screenHeight)
        return stored;
    // The single-precision 0.85 times the size, formed exactly: a height of 600 gives 510, not 509.
    const double factor = static_cast<double>(0.85f);
    FramePlacement placement;
    placement.cx = static_cast<int>(factor * screenWidth);
    placement.cy = static_cast<int>(factor * screenHeight);
    placement.x = (screenWidth - placement.cx) / 2;
    placement.y = (screenHeight - placement.cy) / 2;
    return placement;
}

int DevicePixels(int pixels, double ratio)
{
    return static_cast<int>(std::lround(pixels * ratio));
}

FramePlacement ScaleFramePlacement(const FramePlacement& placement, double ratio)
{
    return {DevicePixels(placement.x, ratio), DevicePixels(placement.y, ratio), DevicePixels(placement.cx, ratio),
            DevicePixels(placement.cy, ratio)};
}
