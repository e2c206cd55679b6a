#include "ui/picture.h"

#include "ui/dib.h"
#include "ui/resample.h"
#include "util/text_list.h"

namespace {

const wchar_t* PictureClass(WNDPROC proc) {
    static const wchar_t* name = [proc] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"TSetupPicture";
        RegisterClassExW(&wc);
        return L"TSetupPicture";
    }();
    return name;
}

}  // namespace

TPicture::TPicture(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds)
    : TControl(owner, std::move(name), parent, bounds) {
    CreateHandle(PictureClass(PictureProc), WS_VISIBLE);
}

TPicture::~TPicture() = default;

void TPicture::LoadJpegFile(const std::wstring& path) {
    SetPixels(std::make_shared<const TPixels>(DecodeJpeg(ReadFileBytes(path))));
}

void TPicture::SetPixels(std::shared_ptr<const TPixels> pixels) {
    SetPicture(TScaledPicture::Single(std::move(pixels)));
}

void TPicture::SetPicture(std::shared_ptr<const TScaledPicture> picture) {
    picture_ = std::move(picture);
    if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

const TPixels* TPicture::Pixels() const { return picture_ ? picture_->For(Dpi()).get() : nullptr; }

const TPixels& TPicture::Shown(const std::shared_ptr<const TPixels>& drawing, int width, int height) {
    if (drawing->width == width && drawing->height == height) return *drawing;
    if (shownFrom_ != drawing || shown_.width != width || shown_.height != height) {
        shown_ = ResampleSmoothly(*drawing, width, height);
        shownFrom_ = drawing;
    }
    return shown_;
}

bool TPicture::HandleMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message == WM_ERASEBKGND) {
        result = 1;  // the picture paints every pixel, or the face colour
        return true;
    }
    if (message != WM_PAINT) return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle_, &paint);
    RECT client;
    GetClientRect(handle_, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    if (std::shared_ptr<const TPixels> drawing = picture_ ? picture_->For(Dpi()) : nullptr) {
        RECT target = client;
        if (!Stretch)
            target = {0, 0, ScaleToDpi(picture_->DesignWidth(), Dpi()), ScaleToDpi(picture_->DesignHeight(), Dpi())};
        if (target.right > target.left && target.bottom > target.top)
            DrawPixels(dc, Shown(drawing, target.right - target.left, target.bottom - target.top), target);
    }
    EndPaint(handle_, &paint);
    result = 0;
    return true;
}

LRESULT CALLBACK TPicture::PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (auto* self = static_cast<TPicture*>(FromHandle(window)); self && self->HandleMessage(message, wParam, lParam, result))
        return result;
    return DefWindowProcW(window, message, wParam, lParam);
}

TWideImage::TWideImage(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds)
    : TPicture(owner, std::move(name), parent, bounds) {}

void TWideImage::DescribeProperties(std::vector<TProperty>& properties) {
    TPicture::DescribeProperties(properties);
    properties.push_back(HintProperty());
}

TImage::TImage(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds)
    : TPicture(owner, std::move(name), parent, bounds) {}

void TImage::DescribeProperties(std::vector<TProperty>& properties) {
    TPicture::DescribeProperties(properties);
    properties.push_back(Property<std::string>(
        L"Hint", [this] { return hint_; }, [this](const std::string& v) { hint_ = v; }));
}
