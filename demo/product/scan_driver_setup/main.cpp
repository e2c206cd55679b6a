// ScanDriverSetup.exe, the further installer of the demo setup folder
// (named in SoftwareList.dat): it shows a small window for about a second,
// as a driver installer would while it works, then records the run in a
// marker file and exits with code 0. The setup must wait for it, so the
// marker's times let a test see that it ran, and when.
//
// The marker is the file named by the environment variable
// ZANTIVO_DEMO_MARKER (the setup passes its environment on), or else
// "ZantivoDemo\ScanDriverSetup.ini" in the common application-data folder.
// Section "Run": "Runs" counts the runs; "Started" and "Ended" are the last
// run's times as UTC FILETIME values in decimal; "StartedText" and
// "EndedText" the same in local time for people; "Program" and "Folder"
// where it ran from and in which current folder.
#include <windows.h>

#include <cstdint>
#include <string>

#include "localisation/ini_file.h"
#include "util/file_ops.h"
#include "util/path.h"

namespace {

constexpr UINT kWorkMilliseconds = 1000;
constexpr UINT_PTR kDoneTimer = 1;

struct TTimes {
    FILETIME started{};
    FILETIME ended{};
};

FILETIME Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return now;
}

std::wstring Decimal(const FILETIME& time) {
    return std::to_wstring((uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
}

std::wstring LocalText(const FILETIME& time) {
    FILETIME local;
    SYSTEMTIME parts;
    FileTimeToLocalFileTime(&time, &local);
    FileTimeToSystemTime(&local, &parts);
    wchar_t text[32];
    wsprintfW(text, L"%04u-%02u-%02u %02u:%02u:%02u.%03u", parts.wYear, parts.wMonth, parts.wDay, parts.wHour,
              parts.wMinute, parts.wSecond, parts.wMilliseconds);
    return text;
}

std::wstring MarkerPath() {
    wchar_t buffer[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"ZANTIVO_DEMO_MARKER", buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return std::wstring(buffer, n);
    std::wstring folder = CommonAppDataFolder() + L"\\ZantivoDemo";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\ScanDriverSetup.ini";
}

void WriteMarker(const TTimes& times) {
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    TIniFile marker(MarkerPath());
    marker.WriteInteger(L"Run", L"Runs", marker.ReadInteger(L"Run", L"Runs", 0) + 1);
    marker.WriteString(L"Run", L"Started", Decimal(times.started));
    marker.WriteString(L"Run", L"Ended", Decimal(times.ended));
    marker.WriteString(L"Run", L"StartedText", LocalText(times.started));
    marker.WriteString(L"Run", L"EndedText", LocalText(times.ended));
    marker.WriteString(L"Run", L"Program", ModulePath());
    marker.WriteString(L"Run", L"Folder", current);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        KillTimer(window, kDoneTimer);
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// The window says what is going on; without a desktop the work is a pause.
void ShowWorkingWindow(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_WAIT);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = L"ZantivoScanDriverSetup";
    RegisterClassExW(&windowClass);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    HWND window = CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, L"Zantivo Scanner Driver", style,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 360, 110, nullptr, nullptr, instance, nullptr);
    if (!window) {
        Sleep(kWorkMilliseconds);
        return;
    }
    HWND text = CreateWindowExW(0, L"STATIC", L"Installing the scanner driver...", WS_CHILD | WS_VISIBLE, 20, 24,
                                300, 20, window, nullptr, instance, nullptr);
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    SetTimer(window, kDoneTimer, kWorkMilliseconds, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    TTimes times;
    times.started = Now();
    ShowWorkingWindow(instance);
    times.ended = Now();
    try {
        WriteMarker(times);
    } catch (const EError&) {
        return 1;  // the run cannot be recorded: say so by the exit code, without a window in the way
    }
    return 0;
}
