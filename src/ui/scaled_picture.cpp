#include "ui/scaled_picture.h"

#include <cstdlib>

#include "ui/dpi.h"

std::shared_ptr<const TScaledPicture> TScaledPicture::Single(std::shared_ptr<const TPixels> pixels) {
    if (!pixels) return nullptr;
    auto picture = std::make_shared<TScaledPicture>();
    picture->Add(kDesignDpi, std::move(pixels));
    return picture;
}

void TScaledPicture::Add(int dpi, std::shared_ptr<const TPixels> pixels) {
    if (pixels && dpi > 0) drawings_.push_back({dpi, std::move(pixels)});
}

const TScaledPicture::TDrawing* TScaledPicture::Nearest(int dpi) const {
    const TDrawing* best = nullptr;
    for (const TDrawing& drawing : drawings_) {
        const int distance = std::abs(drawing.dpi - dpi), bestDistance = best ? std::abs(best->dpi - dpi) : 0;
        if (!best || distance < bestDistance || (distance == bestDistance && drawing.dpi > best->dpi)) best = &drawing;
    }
    return best;
}

std::shared_ptr<const TPixels> TScaledPicture::For(int dpi) const {
    const TDrawing* drawing = Nearest(dpi);
    return drawing ? drawing->pixels : nullptr;
}

namespace {

// A length of a drawing made for dpi, at 96 DPI.
int ToDesign(int length, int dpi) { return (length * kDesignDpi + dpi / 2) / dpi; }

}  // namespace

int TScaledPicture::DesignWidth() const {
    const TDrawing* drawing = Nearest(kDesignDpi);
    return drawing ? ToDesign(drawing->pixels->width, drawing->dpi) : 0;
}

int TScaledPicture::DesignHeight() const {
    const TDrawing* drawing = Nearest(kDesignDpi);
    return drawing ? ToDesign(drawing->pixels->height, drawing->dpi) : 0;
}
