#include "ui/resample.h"

#include <algorithm>
#include <cmath>

namespace {

// The source pixels that make one result pixel, with their weights (summing to 1).
struct TTaps {
    int first = 0;
    std::vector<float> weights;
};

// Result pixel i covers source positions [i * scale, (i + 1) * scale); pixel
// centres lie at half-pixel positions.
std::vector<TTaps> FilterTaps(int from, int to) {
    const double scale = static_cast<double>(from) / to;
    const double radius = std::max(1.0, scale);
    std::vector<TTaps> taps(static_cast<size_t>(to));
    for (int i = 0; i < to; ++i) {
        const double centre = (i + 0.5) * scale;
        const int first = std::max(0, static_cast<int>(std::floor(centre - radius)));
        const int last = std::min(from - 1, static_cast<int>(std::ceil(centre + radius)));
        TTaps& tap = taps[static_cast<size_t>(i)];
        double total = 0;
        for (int j = first; j <= last; ++j) {
            const double weight = std::max(0.0, 1.0 - std::abs(j + 0.5 - centre) / radius);
            if (tap.weights.empty() && weight == 0) continue;  // leading zeros
            if (tap.weights.empty()) tap.first = j;
            tap.weights.push_back(static_cast<float>(weight));
            total += weight;
        }
        for (float& w : tap.weights) w = static_cast<float>(w / total);
    }
    return taps;
}

uint8_t ToByte(float value) { return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L)); }

}  // namespace

TPixels ResampleSmoothly(const TPixels& source, int width, int height) {
    if (width == source.width && height == source.height) return source;
    TPixels result;
    result.width = std::max(1, width);
    result.height = std::max(1, height);
    result.bgra.resize(static_cast<size_t>(result.width) * result.height);
    if (source.width <= 0 || source.height <= 0) return result;

    // Rows first (into three float channels per pixel), then columns.
    const std::vector<TTaps> across = FilterTaps(source.width, result.width);
    const std::vector<TTaps> down = FilterTaps(source.height, result.height);
    std::vector<float> rows(static_cast<size_t>(result.width) * source.height * 3);
    for (int y = 0; y < source.height; ++y) {
        const uint32_t* in = source.bgra.data() + static_cast<size_t>(y) * source.width;
        float* out = rows.data() + static_cast<size_t>(y) * result.width * 3;
        for (const TTaps& tap : across) {
            float r = 0, g = 0, b = 0;
            for (size_t k = 0; k < tap.weights.size(); ++k) {
                const uint32_t pixel = in[static_cast<size_t>(tap.first) + k];
                r += tap.weights[k] * static_cast<float>((pixel >> 16) & 0xFF);
                g += tap.weights[k] * static_cast<float>((pixel >> 8) & 0xFF);
                b += tap.weights[k] * static_cast<float>(pixel & 0xFF);
            }
            *out++ = r, *out++ = g, *out++ = b;
        }
    }
    for (int y = 0; y < result.height; ++y) {
        const TTaps& tap = down[static_cast<size_t>(y)];
        uint32_t* out = result.bgra.data() + static_cast<size_t>(y) * result.width;
        for (int x = 0; x < result.width; ++x) {
            float channels[3] = {0, 0, 0};
            for (size_t k = 0; k < tap.weights.size(); ++k) {
                const float* in = rows.data() + ((static_cast<size_t>(tap.first) + k) * result.width + x) * 3;
                for (int c = 0; c < 3; ++c) channels[c] += tap.weights[k] * in[c];
            }
            out[x] = (uint32_t{ToByte(channels[0])} << 16) | (uint32_t{ToByte(channels[1])} << 8) | ToByte(channels[2]);
        }
    }
    return result;
}
