#include "ui/form.h"

#include <algorithm>
#include <vector>

// Windows 10 1703 asks a window that goes to a monitor of another DPI for its
// size there; the headers name the message only for Windows 10.
#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif

TApplication::TApplication() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TApplication";
    RegisterClassExW(&wc);
    // Visible but of no size: its text is the taskbar button's.
    handle_ = CreateWindowExW(0, L"TApplication", L"", WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU |
                                                         WS_MINIMIZEBOX,
                              GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
}

TApplication::~TApplication() {
    if (handle_) DestroyWindow(handle_);
}

std::wstring TApplication::Title() const {
    wchar_t text[1024] = {};
    GetWindowTextW(handle_, text, 1024);
    return text;
}

void TApplication::SetTitle(const std::wstring& title) { SetWindowTextW(handle_, title.c_str()); }

TApplication& Application() {
    static TApplication application;
    return application;
}

namespace {

const wchar_t* RegisterFormClass(const std::wstring& className) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(GetModuleHandleW(nullptr), className.c_str(), &wc)) {
        wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = TControl::ContainerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = className.c_str();
        RegisterClassExW(&wc);
    }
    return className.c_str();
}

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT;

}  // namespace

TForm::TForm(std::wstring name, std::wstring className, int clientWidth, int clientHeight, int dpi)
    : TControl(nullptr, std::move(name), nullptr, {}),
      className_(std::move(className)),
      clientWidth_(clientWidth),
      clientHeight_(clientHeight) {
    // Made first, then sized: the monitor it opens on tells its DPI.
    CreateHandle(RegisterFormClass(className_), kFormStyle, kFormExStyle, Name());
    // Owned by the application window, which carries the taskbar button.
    SetWindowLongPtrW(handle_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(Application().Handle()));
    dpi_ = dpi > 0 ? dpi : WindowDpi(handle_);
    const SIZE frame = FrameSize(dpi_);
    PlaceWindow((GetSystemMetrics(SM_CXSCREEN) - frame.cx) / 2, (GetSystemMetrics(SM_CYSCREEN) - frame.cy) / 2, frame);
    SetFont(L"\u5b8b\u4f53", 13);  // the form's default font
}

SIZE TForm::FrameSize(int dpi) const {
    const RECT frame = FrameAroundClient({0, 0, ScaleToDpi(clientWidth_, dpi), ScaleToDpi(clientHeight_, dpi)},
                                         kFormStyle, kFormExStyle, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

void TForm::PlaceWindow(int left, int top, SIZE frame) {
    SetBounds({left, top, frame.cx, frame.cy});
    // Where the system's frame differs from the one reckoned (Windows before
    // 10 1607 reckons it at the system's DPI), the window grows or shrinks
    // by the difference.
    RECT client;
    GetClientRect(handle_, &client);
    const int dx = ScaleToDpi(clientWidth_, dpi_) - client.right, dy = ScaleToDpi(clientHeight_, dpi_) - client.bottom;
    if (dx || dy) SetBounds({left, top, frame.cx + dx, frame.cy + dy});
}

void TForm::ScaleTo(int dpi, const RECT* suggested) {
    if (dpi <= 0) return;
    RECT now;
    GetWindowRect(handle_, &now);
    dpi_ = dpi;
    const SIZE frame = FrameSize(dpi);
    if (suggested) PlaceWindow(suggested->left, suggested->top, frame);
    else PlaceWindow((now.left + now.right - frame.cx) / 2, (now.top + now.bottom - frame.cy) / 2, frame);
    // Containers come before what they hold, so each control inherits its
    // container's new font; the old fonts go once no window uses them.
    std::vector<HFONT> retired{ApplyDpi()};
    for (TComponent* component : Components())
        if (auto* control = dynamic_cast<TControl*>(component)) retired.push_back(control->ApplyDpi());
    for (HFONT font : retired)
        if (font) DeleteObject(font);
    RedrawWindow(handle_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TForm::Show() {
    ShowWindow(handle_, SW_SHOW);
    UpdateWindow(handle_);
}

void TForm::PaintNow() {
    RedrawWindow(handle_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    // Wine puts what a window painted on the screen only when its thread
    // next looks for messages; looking, and taking none, does that now.
    MSG ignored;
    PeekMessageW(&ignored, nullptr, 0, 0, PM_NOREMOVE);
}

void TForm::Dispatch(const std::function<void()>& handler) { RunEventHandler(handler); }

bool TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_CLOSE:
        if (OnClose) Dispatch(OnClose);
        else DestroyWindow(handle_);
        result = 0;
        return true;
    case WM_GETMINMAXINFO: {
        // The form has the one size its DPI gives it, even where that is
        // larger than the screen: a smaller one would cut its controls off.
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        const SIZE frame = FrameSize(dpi_);
        RECT window, client;
        GetWindowRect(handle_, &window);
        GetClientRect(handle_, &client);
        const LONG width = ScaleToDpi(clientWidth_, dpi_) + (window.right - window.left) - client.right;
        const LONG height = ScaleToDpi(clientHeight_, dpi_) + (window.bottom - window.top) - client.bottom;
        limits->ptMaxTrackSize.x = std::max({limits->ptMaxTrackSize.x, frame.cx, width});
        limits->ptMaxTrackSize.y = std::max({limits->ptMaxTrackSize.y, frame.cy, height});
        result = 0;
        return true;
    }
    case WM_GETDPISCALEDSIZE:  // the exact size at the new DPI, so the suggestion that follows fits
        *reinterpret_cast<SIZE*>(lParam) = FrameSize(static_cast<int>(wParam));
        result = TRUE;
        return true;
    case WM_DPICHANGED:  // moved to a monitor of another DPI, or that monitor's scale changed
        ScaleTo(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        result = 0;
        return true;
    default:
        return false;
    }
}

void TForm::DescribeProperties(std::vector<TProperty>& properties) {
    TControl::DescribeProperties(properties);
    properties.push_back(Property<std::wstring>(
        L"Caption", [this] { return Caption(); }, [this](const std::wstring& v) { SetCaption(v); }));
}
