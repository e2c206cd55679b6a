// Pictures: a window that draws decoded pixels stretched to its size or at
// their own size. TWideImage has a "Hint"; the plain TImage (not addressed
// by the language files) has an 8-bit one.
#pragma once

#include <memory>
#include <string>

#include "ui/control.h"
#include "ui/jpeg.h"

class TPicture : public TControl {
public:
    ~TPicture() override;
    // Decodes a JPEG file into the picture; raises EJpegError or EOSError.
    void LoadJpegFile(const std::wstring& path);
    void SetPixels(std::shared_ptr<const TPixels> pixels);
    // Gives this picture the one another shows.
    void CopyPictureFrom(const TPicture& other) { SetPixels(other.pixels_); }
    const TPixels* Pixels() const { return pixels_.get(); }
    bool Stretch = true;

protected:
    TPicture(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds);
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    static LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    std::shared_ptr<const TPixels> pixels_;
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
