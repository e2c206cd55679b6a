#include "ui/dib.h"

void DrawPixels(HDC dc, const TPixels& pixels, const RECT& target) {
    if (pixels.width <= 0 || pixels.height <= 0) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, target.left, target.top, static_cast<DWORD>(pixels.width),
                      static_cast<DWORD>(pixels.height), 0, 0, 0, static_cast<UINT>(pixels.height), pixels.bgra.data(),
                      &info, DIB_RGB_COLORS);
}
