// One picture drawn for several screen densities: the same picture at
// 100 %, 150 %, 200 % ..., each drawing with the DPI it was made for. A
// picture control shows the drawing nearest to its form's DPI.
#pragma once

#include <memory>
#include <vector>

#include "ui/jpeg.h"

class TScaledPicture {
public:
    // A picture of one drawing, taken as drawn for 96 DPI (100 %).
    static std::shared_ptr<const TScaledPicture> Single(std::shared_ptr<const TPixels> pixels);

    void Add(int dpi, std::shared_ptr<const TPixels> pixels);
    bool Empty() const { return drawings_.empty(); }
    // The drawing nearest to dpi; of two as near, the larger (shrinking keeps
    // the detail that enlarging cannot make). Null when there is none.
    std::shared_ptr<const TPixels> For(int dpi) const;
    // The picture's size at 96 DPI: the 100 % drawing's, or the first
    // drawing's scaled back.
    int DesignWidth() const;
    int DesignHeight() const;

private:
    struct TDrawing {
        int dpi;
        std::shared_ptr<const TPixels> pixels;
    };
    const TDrawing* Nearest(int dpi) const;

    std::vector<TDrawing> drawings_;
};
