#pragma once

// Where the main window opens: the stored placement when it fits the screen, else 85 percent of
// the screen in each direction, centred.
struct FramePlacement
{
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
};

FramePlacement ComputeFramePlacement(const FramePlacement& stored, int screenWidth, int screenHeight);

// A placement in other pixels: `ratio` device pixels to one (Qt's scale factor), or its inverse.
FramePlacement ScaleFramePlacement(const FramePlacement& placement, double ratio);
int DevicePixels(int pixels, double ratio);
