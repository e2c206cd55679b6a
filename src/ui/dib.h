// Drawing decoded pixels into a rectangle of a device context, stretched.
#pragma once

#include <windows.h>

#include "ui/jpeg.h"

void DrawPixelsStretched(HDC dc, const TPixels& pixels, const RECT& target);
