// Starts the real Setup.exe and looks at it from outside, as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/temp_folder.h"

namespace {

struct Found {
    DWORD process;
    HWND window;
};

BOOL CALLBACK FindTopWindow(HWND window, LPARAM param) {
    auto* found = reinterpret_cast<Found*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (process == found->process && std::wstring(className) == L"TForm1" && IsWindowVisible(window)) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

std::string ManifestOf(const std::wstring& exe) {
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return {};
    std::string text;
    if (HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        HGLOBAL data = LoadResource(module, res);
        text.assign(static_cast<const char*>(LockResource(data)), SizeofResource(module, res));
    }
    FreeLibrary(module);
    return text;
}

}  // namespace

TEST(SetupExeTest, CarriesTheAdministratorManifestWithoutCommonControls6) {
    std::string manifest = ManifestOf(EnvironmentPath(L"SETUP_BUILD") + L"\\Setup.exe");
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);
}

TEST(SetupExeTest, StartsAndShowsItsFixedSizeWindow) {
    std::wstring exe = EnvironmentPath(L"SETUP_BUILD") + L"\\Setup.exe";
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << "CreateProcess failed with " << GetLastError();
    WaitForInputIdle(process.hProcess, 20000);

    Found found{process.dwProcessId, nullptr};
    for (int i = 0; i < 200 && !found.window; ++i) {
        EnumWindows(FindTopWindow, reinterpret_cast<LPARAM>(&found));
        if (!found.window) Sleep(50);
    }
    ASSERT_NE(found.window, nullptr) << "no visible TForm1 window";
    RECT client;
    GetClientRect(found.window, &client);
    EXPECT_EQ(client.right - client.left, 732);
    EXPECT_EQ(client.bottom - client.top, 348);
    EXPECT_FALSE(GetWindowLongW(found.window, GWL_STYLE) & WS_THICKFRAME);  // not resizable

    // Closing the window ends the program with exit code 0.
    PostMessageW(found.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    EXPECT_EQ(code, 0u);
    TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}
