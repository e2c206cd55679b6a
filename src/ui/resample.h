// Scaling pictures smoothly: each pixel of the result is a weighted mean of
// the source pixels under it (a triangle filter as wide as a source pixel
// when enlarging, as wide as a result pixel when shrinking), so an enlarged
// picture has soft edges rather than blocks, and a shrunk one keeps its
// thin lines rather than dropping them.
#pragma once

#include "ui/jpeg.h"

// The picture at width x height (both at least 1); the same pixels when the size is its own.
TPixels ResampleSmoothly(const TPixels& source, int width, int height);
