#include "ui/control.h"

#include "ui/dialogs.h"
#include "util/code_page.h"
#include "util/error.h"

TControl::TControl(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds)
    : TComponent(owner, std::move(name)), parent_(parent), bounds_(bounds) {}

namespace {

// The window property that ties a window to its control. A property, not
// GWLP_USERDATA, because other windows (a tool bar's tool tips, say) may use
// their user data for something else.
const wchar_t kControlProperty[] = L"TSetupControl";

}  // namespace

TControl::~TControl() {
    if (handle_) {
        RemovePropW(handle_, kControlProperty);
        DestroyWindow(handle_);
    }
    if (font_) DeleteObject(font_);
}

void TControl::CreateHandle(const wchar_t* windowClass, DWORD style, DWORD exStyle, const std::wstring& text) {
    HWND parentWindow = parent_ ? parent_->Handle() : nullptr;
    // Every child window has an identifier of its own across the whole form:
    // the dialog manager finds the default button for the Enter key by it.
    static int nextId = 1000;
    HMENU id = nullptr;
    if (parentWindow) {
        style |= WS_CHILD;
        id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId++));
    }
    const RECT r = PixelRect();
    handle_ = CreateWindowExW(exStyle, windowClass, text.c_str(), style, r.left, r.top, r.right - r.left,
                              r.bottom - r.top, parentWindow, id, GetModuleHandleW(nullptr), nullptr);
    if (!handle_) return;
    SetPropW(handle_, kControlProperty, this);
    if (HFONT font = InheritedFont()) SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

HFONT TControl::InheritedFont() const {
    for (const TControl* c = parent_; c; c = c->parent_)
        if (c->font_) return c->font_;
    return nullptr;
}

void TControl::RunEventHandler(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const EError& error) {
        Dialogs().ShowError(error.Message());
    } catch (const std::exception& error) {
        Dialogs().ShowError(AnsiToWide(error.what()));
    }
}

TControl* TControl::FromHandle(HWND window) {
    return window ? static_cast<TControl*>(GetPropW(window, kControlProperty)) : nullptr;
}

int TControl::Dpi() const {
    const TControl* top = this;
    while (top->parent_) top = top->parent_;
    return top->dpi_;
}

RECT TControl::PixelRect() const {
    if (!parent_) return {bounds_.left, bounds_.top, bounds_.left + bounds_.width, bounds_.top + bounds_.height};
    return ScaleRectToDpi(bounds_.left, bounds_.top, bounds_.width, bounds_.height, Dpi());
}

void TControl::SetBounds(const TBounds& bounds) {
    bounds_ = bounds;
    const RECT r = PixelRect();
    if (handle_) MoveWindow(handle_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

HFONT TControl::ApplyDpi() {
    if (!handle_) return nullptr;
    const RECT r = PixelRect();
    if (parent_)
        SetWindowPos(handle_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    HFONT retired = nullptr;
    if (font_) {
        retired = font_;
        font_ = CreateScaledFont();
    }
    if (HFONT font = CurrentFont()) SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return retired;
}

bool TControl::Visible() const { return handle_ && (GetWindowLongW(handle_, GWL_STYLE) & WS_VISIBLE); }
void TControl::SetVisible(bool visible) {
    if (handle_) ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE);
}
bool TControl::Enabled() const { return handle_ && IsWindowEnabled(handle_); }
void TControl::SetEnabled(bool enabled) {
    if (handle_) EnableWindow(handle_, enabled);
}

HFONT TControl::CreateScaledFont() const {
    return CreateFontW(-ScaleToDpi(fontHeight_, Dpi()), 0, 0, 0, fontBold_ ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                       fontFace_.c_str());
}

void TControl::SetFont(const std::wstring& face, int height, bool bold) {
    fontFace_ = face;
    fontHeight_ = height;
    fontBold_ = bold;
    HFONT font = CreateScaledFont();
    if (handle_) SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (font_) DeleteObject(font_);
    font_ = font;
}

void TControl::SetFontColor(COLORREF color) {
    fontColor_ = color;
    if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

std::wstring TControl::Text() const {
    if (!handle_) return {};
    const int length = GetWindowTextLengthW(handle_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(handle_, text.data(), length + 1)));
    return text;
}

void TControl::SetText(const std::wstring& text) {
    if (handle_) SetWindowTextW(handle_, text.c_str());
}

void TControl::Notify(WORD code) {
    if (code == BN_CLICKED && OnClick) OnClick(*this);
}

HBRUSH TControl::ControlColor(HDC dc) {
    if (fontColor_ == CLR_INVALID) return nullptr;
    SetTextColor(dc, fontColor_);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

void TControl::DescribeProperties(std::vector<TProperty>& properties) {
    TComponent::DescribeProperties(properties);
    properties.push_back(Property<int>(
        L"Left", [this] { return bounds_.left; },
        [this](const int& v) { SetBounds({v, bounds_.top, bounds_.width, bounds_.height}); }));
    properties.push_back(Property<int>(
        L"Top", [this] { return bounds_.top; },
        [this](const int& v) { SetBounds({bounds_.left, v, bounds_.width, bounds_.height}); }));
}

TProperty TControl::TextProperty(const wchar_t* name) {
    return Property<std::wstring>(name, [this] { return Text(); }, [this](const std::wstring& v) { SetText(v); });
}

TProperty TControl::HintProperty() {
    return Property<std::wstring>(L"Hint", [this] { return Hint(); }, [this](const std::wstring& v) { SetHint(v); });
}

const wchar_t* TControl::ContainerClass() {
    static const wchar_t* name = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = ContainerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"TSetupContainer";
        RegisterClassExW(&wc);
        return L"TSetupContainer";
    }();
    return name;
}

// One handler per message; the child controls get their own notifications.
LRESULT CALLBACK TControl::ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TControl* self = FromHandle(window);
    LRESULT result = 0;
    if (self && self->HandleMessage(message, wParam, lParam, result)) return result;
    switch (message) {
    case WM_COMMAND:
        if (TControl* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
            RunEventHandler([child, wParam] { child->Notify(HIWORD(wParam)); });
            return 0;
        }
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (TControl* child = FromHandle(header->hwndFrom)) return child->NotifyEx(header);
        break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
        if (TControl* child = FromHandle(reinterpret_cast<HWND>(lParam)))
            if (HBRUSH brush = child->ControlColor(reinterpret_cast<HDC>(wParam)))
                return reinterpret_cast<LRESULT>(brush);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
