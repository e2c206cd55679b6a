#include "wizard/artwork.h"

#include <windows.h>

#include <string_view>

#include "res/artwork.h"

namespace {

std::string_view ResourceBytes(int id) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    HGLOBAL data = resource ? LoadResource(module, resource) : nullptr;
    const void* bytes = data ? LockResource(data) : nullptr;
    if (!bytes) return {};
    return {static_cast<const char*>(bytes), SizeofResource(module, resource)};
}

// Straight (not premultiplied) RGBA, row by row from the top, blended onto
// the face colour; null when the resource does not hold width x height pixels.
std::shared_ptr<const TPixels> OnFaceColour(std::string_view rgba, int width, int height) {
    if (rgba.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 4) return nullptr;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const unsigned background[3] = {GetRValue(face), GetGValue(face), GetBValue(face)};
    auto pixels = std::make_shared<TPixels>();
    pixels->width = width;
    pixels->height = height;
    pixels->bgra.reserve(rgba.size() / 4);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        const auto* p = reinterpret_cast<const unsigned char*>(rgba.data() + i);
        const unsigned alpha = p[3];
        uint32_t pixel = 0;
        for (int c = 0; c < 3; ++c) {
            const unsigned value = (p[c] * alpha + background[c] * (255 - alpha) + 127) / 255;
            pixel = (pixel << 8) | value;
        }
        pixels->bgra.push_back(pixel);  // 0x00RRGGBB
    }
    return pixels;
}

}  // namespace

std::shared_ptr<const TPixels> LoadArtwork(TArtwork picture) {
    switch (picture) {
    case TArtwork::Welcome: {
        std::string_view jpeg = ResourceBytes(IDR_WELCOME_PICTURE);
        if (jpeg.empty()) return nullptr;
        return std::make_shared<const TPixels>(DecodeJpeg(std::string(jpeg)));
    }
    case TArtwork::Folder: return OnFaceColour(ResourceBytes(IDR_FOLDER_PICTURE), 47, 42);
    case TArtwork::Product: return OnFaceColour(ResourceBytes(IDR_PRODUCT_PICTURE), 48, 48);
    }
    return nullptr;
}
