#include "ui/dib.h"

void DrawPixelsStretched(HDC dc, const TPixels& pixels, const RECT& target) {
    if (pixels.width <= 0 || pixels.height <= 0) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, 0, 0,
                  pixels.width, pixels.height, pixels.bgra.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}
