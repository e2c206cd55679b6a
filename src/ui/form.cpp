#include "ui/form.h"


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

}  // namespace

TForm::TForm(std::wstring name, std::wstring className, int clientWidth, int clientHeight)
    : TControl(nullptr, std::move(name), nullptr, {}), className_(std::move(className)) {
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetBounds({(GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height});
    CreateHandle(RegisterFormClass(className_), style, WS_EX_CONTROLPARENT, Name());
    // Owned by the application window, which carries the taskbar button.
    SetWindowLongPtrW(handle_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(Application().Handle()));
    SetFont(L"\u5b8b\u4f53", 13);  // the form's default font
}

void TForm::Show() {
    ShowWindow(handle_, SW_SHOW);
    UpdateWindow(handle_);
}

void TForm::Dispatch(const std::function<void()>& handler) { RunEventHandler(handler); }

bool TForm::HandleMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message != WM_CLOSE) return false;
    if (OnClose) Dispatch(OnClose);
    else DestroyWindow(handle_);
    result = 0;
    return true;
}

void TForm::DescribeProperties(std::vector<TProperty>& properties) {
    TControl::DescribeProperties(properties);
    properties.push_back(Property<std::wstring>(
        L"Caption", [this] { return Caption(); }, [this](const std::wstring& v) { SetCaption(v); }));
}
