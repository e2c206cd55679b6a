// Screen density. The form is designed in pixels of a 96-DPI screen (100 %);
// on a denser screen every bound and font is scaled to the DPI of the
// monitor the window is on, so text and pictures stay sharp instead of
// being stretched by the system.
#pragma once

#include <windows.h>

inline constexpr int kDesignDpi = 96;

// A length of the 96-DPI design at another DPI, rounded to the nearest
// pixel (halves away from zero, as MulDiv rounds).
constexpr int ScaleToDpi(int value, int dpi) {
    const long long product = static_cast<long long>(value) * dpi;
    return static_cast<int>(product >= 0 ? (product + kDesignDpi / 2) / kDesignDpi
                                         : -((-product + kDesignDpi / 2) / kDesignDpi));
}

// A rectangle of the design at another DPI. Its edges are scaled, not its
// size, so controls that touch in the design still touch.
constexpr RECT ScaleRectToDpi(int left, int top, int width, int height, int dpi) {
    return {ScaleToDpi(left, dpi), ScaleToDpi(top, dpi), ScaleToDpi(left + width, dpi), ScaleToDpi(top + height, dpi)};
}

// The DPI of the monitor the window is on: GetDpiForWindow where Windows has
// it (Windows 10 1607 and later), else the screen's LOGPIXELSY.
int WindowDpi(HWND window);

// The window rectangle around a client rectangle at that DPI:
// AdjustWindowRectExForDpi where Windows has it, else AdjustWindowRectEx
// (the frame of the system's DPI).
RECT FrameAroundClient(const RECT& client, DWORD style, DWORD exStyle, int dpi);
