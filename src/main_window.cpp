#include "main_window.h"

#include <optional>

#include "ui/dib.h"
#include "ui/jpeg.h"
#include "util/file_ops.h"
#include "util/text_list.h"

namespace {

const wchar_t kWindowClass[] = L"TForm1";
constexpr int kPictureWidth = 201;  // the welcome picture's strip at the left edge

// The optional "Lang\setup.jpg" beside the program; a missing or broken one shows nothing.
std::optional<TPixels> LoadWelcomePicture() {
    const std::wstring path = SetupFolder() + L"Lang\\setup.jpg";
    if (!FileExistsW(path)) return std::nullopt;
    try {
        return DecodeJpeg(ReadFileBytes(path));
    } catch (const EError&) {
        return std::nullopt;
    }
}

std::optional<TPixels> welcomePicture;

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (welcomePicture) DrawPixelsStretched(dc, *welcomePicture, RECT{0, 0, kPictureWidth, kClientHeight});
    EndPaint(window, &paint);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int RunMainWindow(HINSTANCE instance, int showCommand) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&windowClass)) return 0;
    welcomePicture = LoadWelcomePicture();

    // A fixed-size dialog-like frame around the form's client area.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    HWND window = CreateWindowExW(0, kWindowClass, L"", style, x, y, width, height, nullptr, nullptr, instance,
                                  nullptr);
    if (!window) return 0;
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
