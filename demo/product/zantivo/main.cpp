// Zantivo.exe, the demo product's main program: one small window that says
// what the product is called, where it is installed and in which language,
// in that language.
#include <windows.h>

#include "util/file_ops.h"
#include "util/handles.h"
#include "zantivo/main_window_ids.h"
#include "zantivo/product_info.h"

namespace {

constexpr int kClientWidth = 480;
constexpr int kClientHeight = 220;
constexpr int kMargin = 20;

struct GdiFontTraits {
    using Handle = HFONT;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { DeleteObject(h); }
};
using UniqueFont = UniqueHandle<GdiFontTraits>;

UniqueFont MessageFont(int height, int weight) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW font = metrics.lfMessageFont;
    if (height) font.lfHeight = -height;
    font.lfWeight = weight;
    return UniqueFont(CreateFontIndirectW(&font));
}

struct Fonts {
    UniqueFont heading = MessageFont(24, FW_BOLD);
    UniqueFont body = MessageFont(0, FW_NORMAL);
};

HWND AddControl(HWND parent, const wchar_t* windowClass, const std::wstring& text, DWORD style, int id, RECT box,
                HFONT font) {
    HWND control = CreateWindowExW(0, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style, box.left, box.top,
                                   box.right - box.left, box.bottom - box.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void CreateControls(HWND window, const TProductInfo& info, const Fonts& fonts) {
    const int width = kClientWidth - 2 * kMargin;
    AddControl(window, L"STATIC", info.heading, SS_LEFT | SS_NOPREFIX, kHeadingId,
               {kMargin, kMargin, kMargin + width, kMargin + 34}, fonts.heading.get());
    AddControl(window, L"STATIC", info.tagline, SS_LEFT | SS_NOPREFIX, kTaglineId,
               {kMargin, 62, kMargin + width, 100}, fonts.body.get());
    AddControl(window, L"STATIC", info.FolderLine(), SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, kFolderLineId,
               {kMargin, 112, kMargin + width, 130}, fonts.body.get());
    AddControl(window, L"STATIC", info.LanguageLine(), SS_LEFT | SS_NOPREFIX, kLanguageLineId,
               {kMargin, 134, kMargin + width, 152}, fonts.body.get());
    AddControl(window, L"BUTTON", info.closeCaption, BS_DEFPUSHBUTTON | WS_TABSTOP, IDCANCEL,
               {kClientWidth - kMargin - 90, kClientHeight - kMargin - 26, kClientWidth - kMargin,
                kClientHeight - kMargin},
               fonts.body.get());
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) DestroyWindow(window);
        return 0;
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    TProductInfo info = ReadProductInfo(ModulePath());
    Fonts fonts;

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    windowClass.lpszClassName = kMainWindowClass;
    if (!RegisterClassExW(&windowClass)) return 1;

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = CreateWindowExW(0, kMainWindowClass, info.name.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                                  nullptr);
    if (!window) return 1;
    CreateControls(window, info, fonts);
    ShowWindow(window, showCommand);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
