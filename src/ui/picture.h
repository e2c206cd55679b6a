// Pictures: a window that draws a picture stretched to its size or at its
// own size. A picture may hold drawings for several DPIs; the window shows
// the one nearest to its form's DPI, scaled smoothly where its size is not
// the window's. TWideImage has a "Hint"; the plain TImage (not addressed by
// the language files) has an 8-bit one.
#pragma once

#include <memory>
#include <string>

#include "ui/control.h"
#include "ui/jpeg.h"
#include "ui/scaled_picture.h"

class TPicture : public TControl {
public:
    ~TPicture() override;
    // Decodes a JPEG file into the picture; raises EJpegError or EOSError.
    void LoadJpegFile(const std::wstring& path);
    // One drawing, taken as drawn for 96 DPI.
    void SetPixels(std::shared_ptr<const TPixels> pixels);
    void SetPicture(std::shared_ptr<const TScaledPicture> picture);
    // Gives this picture the one another shows.
    void CopyPictureFrom(const TPicture& other) { SetPicture(other.picture_); }
    const TScaledPicture* Picture() const { return picture_.get(); }
    // The drawing shown at the form's DPI, or null.
    const TPixels* Pixels() const;
    // Stretched to the window, or else at its own size (at the form's DPI) from the top left.
    bool Stretch = true;

protected:
    TPicture(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds);
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    static LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The drawing at the size it is shown at, scaled once and kept until the
    // size or the drawing changes.
    const TPixels& Shown(const std::shared_ptr<const TPixels>& drawing, int width, int height);

    std::shared_ptr<const TScaledPicture> picture_;
    std::shared_ptr<const TPixels> shownFrom_;
    TPixels shown_;
};

class TWideImage : public TPicture {
public:
    TWideImage(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds);
    std::wstring ClassName() const override { return L"TWideImage"; }

protected:
    void DescribeProperties(std::vector<TProperty>& properties) override;
};

class TImage : public TPicture {
public:
    TImage(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds);
    std::wstring ClassName() const override { return L"TImage"; }

protected:
    void DescribeProperties(std::vector<TProperty>& properties) override;

private:
    std::string hint_;
};
