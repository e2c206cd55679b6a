// drive_setup: walks the real Setup.exe through its pages from outside, as
// a person would, for screenshots and the installation benchmark.
//
//   drive_setup SETUP_EXE [--folder DIR] [--shots DIR --name NAME] [--install] [--finish] [--no-console]
//
// It shows each page it reaches; with --shots it saves each page's window as
// DIR\NAME-<page>.bmp (the installing page while the work runs). --install
// presses Install and waits for the finish page, printing the seconds from
// the press to the finish page and the time of the press (seconds since
// 1970, UTC, to compare with the times of the files the installation
// makes); --finish then presses Finish. --no-console starts the program
// without this one's console, as the desktop or a deployment engine does
// (the batch files it runs then get a console of their own). Without
// --install it stops on the ready page and closes the wizard. Exit status 0
// when every step was seen, 1 otherwise (with a message on stderr).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e/setup_driver.h"

namespace {

// Saves what the screen shows of the window as a 24-bit BMP file.
bool SaveWindowPicture(HWND window, const std::wstring& path) {
    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as BMP files keep rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    GdiFlush();
    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u, imageBytes = rowBytes * height;
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + imageBytes),
                          0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    bool ok = false;
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out != INVALID_HANDLE_VALUE) {
        DWORD done = 0;
        ok = WriteFile(out, &file, sizeof file, &done, nullptr) &&
             WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &done, nullptr) &&
             WriteFile(out, bits, imageBytes, &done, nullptr);
        CloseHandle(out);
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

int Fail(const char* what) {
    std::fprintf(stderr, "drive_setup: %s\n", what);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return Fail("usage: drive_setup SETUP_EXE [--folder DIR] [--shots DIR --name NAME] [--install] [--finish]"
                    " [--no-console]");
    std::wstring folder, shots, name = L"page";
    bool install = false, finish = false, console = true;
    for (int i = 2; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--folder" && i + 1 < argc) folder = argv[++i];
        else if (arg == L"--shots" && i + 1 < argc) shots = argv[++i];
        else if (arg == L"--name" && i + 1 < argc) name = argv[++i];
        else if (arg == L"--install") install = true;
        else if (arg == L"--finish") finish = true;
        else if (arg == L"--no-console") console = false;
        else return Fail("unknown option");
    }
    auto shoot = [&](TSetupDriver& wizard, int page) {
        if (shots.empty()) return;
        Sleep(400);  // let the page paint
        SaveWindowPicture(wizard.Window(), shots + L"\\" + name + L"-" + std::to_wstring(page) + L".bmp");
    };

    TSetupDriver wizard(argv[1], L"", console);
    if (!wizard.Window()) return Fail("no wizard window");
    shoot(wizard, 0);
    wizard.Press(L"ButtonNext1");
    if (!wizard.WaitForPage(1)) return Fail("the destination page did not show");
    if (!folder.empty()) wizard.SetText(L"EditDir", folder);
    shoot(wizard, 1);
    wizard.Press(L"ButtonNext2");
    if (!wizard.WaitForPage(2)) return Fail("the ready page did not show");
    shoot(wizard, 2);
    if (!install) {
        PostMessageW(wizard.Window(), WM_CLOSE, 0, 0);
        DWORD code = 0;
        return wizard.WaitForExit(20000, code) && code == 0 ? 0 : Fail("the wizard did not end with code 0");
    }

    LARGE_INTEGER frequency, started, ended;
    QueryPerformanceFrequency(&frequency);
    FILETIME pressed;
    GetSystemTimePreciseAsFileTime(&pressed);
    QueryPerformanceCounter(&started);
    wizard.Press(L"ButtonNext3");
    // The installing page: shot once the work is under way. The program is
    // busy, so only what needs no answer from it is asked here.
    bool shotInstalling = shots.empty();
    unsigned polls = 0;
    while (wizard.Page() != 4) {
        if (!wizard.Running()) return Fail("the program ended during the installation");
        // A message box ends the drive (looked for now and then: each look
        // asks the system about every window).
        if (++polls % 10 == 0)
            if (HWND box = wizard.WaitForDialog(0)) {
                std::fprintf(stderr, "drive_setup: a message box: %ls\n", TSetupDriver::DialogText(box).c_str());
                return 1;
            }
        if (!shotInstalling && wizard.Page() == 3) {
            // Half way, or busy in a step that blocks the window (what it
            // shows then stays on the screen).
            int position = 0;
            if (!wizard.TryProgressPosition(position) || position >= 50) {
                SaveWindowPicture(wizard.Window(), shots + L"\\" + name + L"-3.bmp");
                shotInstalling = true;
            }
        }
        Sleep(10);  // gently: the program and the Wine server share the processors
    }
    QueryPerformanceCounter(&ended);
    // FILETIME counts 100 ns from 1601; 1970 is 11644473600 seconds later.
    const double pressedUnix =
        static_cast<double>((uint64_t{pressed.dwHighDateTime} << 32) | pressed.dwLowDateTime) / 1e7 - 11644473600.0;
    const double seconds =
        static_cast<double>(ended.QuadPart - started.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("%.3f %.3f\n", seconds, pressedUnix);
    std::fflush(stdout);
    shoot(wizard, 4);
    if (finish) {
        wizard.Press(L"ButtonFinish");
        DWORD code = 0;
        if (!wizard.WaitForExit(20000, code) || code != 0) return Fail("Finish did not end the program with code 0");
    }
    return 0;
}
