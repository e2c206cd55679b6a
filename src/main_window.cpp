#include "main_window.h"

#include "ui/form.h"
#include "ui/picture.h"
#include "util/file_ops.h"

int RunMainWindow(HINSTANCE, int showCommand) {
    TForm form(L"Form1", L"TForm1", kClientWidth, kClientHeight);
    // The welcome picture's strip at the left edge, from "Lang\setup.jpg"
    // beside the program when there is one (a broken one shows nothing).
    auto* picture = new TWideImage(&form, L"Image1", &form, {0, 0, 201, kClientHeight});
    const std::wstring jpeg = SetupFolder() + L"Lang\\setup.jpg";
    if (FileExistsW(jpeg)) {
        try {
            picture->LoadJpegFile(jpeg);
        } catch (const EError&) {
        }
    }
    form.OnClose = [] { PostQuitMessage(0); };
    ShowWindow(form.Handle(), showCommand);
    UpdateWindow(form.Handle());

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(form.Handle(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
