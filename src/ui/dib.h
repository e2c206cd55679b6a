// Drawing decoded pixels into a device context at their own size.
#pragma once

#include <windows.h>

#include "ui/jpeg.h"

// Draws the pixels with their top left at target's; target's size is theirs.
void DrawPixels(HDC dc, const TPixels& pixels, const RECT& target);
