#include "wizard/artwork.h"

#include <windows.h>

#include <string_view>

#include "res/artwork.h"
#include "ui/dpi.h"

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

// Each picture's resources at 100 %, 150 % and 200 %, and its size on the form.
struct TArtworkResources {
    int ids[3];
    int designWidth, designHeight;
    bool jpeg;
};

const TArtworkResources& ResourcesOf(TArtwork picture) {
    static const TArtworkResources welcome{
        {IDR_WELCOME_PICTURE_100, IDR_WELCOME_PICTURE_150, IDR_WELCOME_PICTURE_200}, 201, 348, true};
    static const TArtworkResources folder{
        {IDR_FOLDER_PICTURE_100, IDR_FOLDER_PICTURE_150, IDR_FOLDER_PICTURE_200}, 47, 42, false};
    static const TArtworkResources product{
        {IDR_PRODUCT_PICTURE_100, IDR_PRODUCT_PICTURE_150, IDR_PRODUCT_PICTURE_200}, 48, 48, false};
    switch (picture) {
    case TArtwork::Folder: return folder;
    case TArtwork::Product: return product;
    case TArtwork::Welcome: break;
    }
    return welcome;
}

}  // namespace

std::shared_ptr<const TScaledPicture> LoadArtwork(TArtwork picture) {
    const TArtworkResources& resources = ResourcesOf(picture);
    constexpr int kDrawnFor[3] = {kDesignDpi, kDesignDpi * 3 / 2, kDesignDpi * 2};  // 100 %, 150 %, 200 %
    auto scaled = std::make_shared<TScaledPicture>();
    for (int i = 0; i < 3; ++i) {
        const std::string_view bytes = ResourceBytes(resources.ids[i]);
        if (bytes.empty()) continue;
        if (resources.jpeg) {
            scaled->Add(kDrawnFor[i], std::make_shared<const TPixels>(DecodeJpeg(std::string(bytes))));
        } else {
            // Drawn at the design size scaled and rounded as the form scales its bounds.
            scaled->Add(kDrawnFor[i], OnFaceColour(bytes, ScaleToDpi(resources.designWidth, kDrawnFor[i]),
                                                   ScaleToDpi(resources.designHeight, kDrawnFor[i])));
        }
    }
    return scaled->Empty() ? nullptr : scaled;
}
