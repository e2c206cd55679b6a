// Program entry of Setup: hardening, COM, the language catalogue (before any
// window), the wizard form and the message loop.
#include <windows.h>

#include "localisation/multi_language.h"
#include "ui/form.h"
#include "util/file_ops.h"
#include "util/handles.h"
#include "util/message_pump.h"
#include "wizard/U1.h"

namespace {

// Setup.exe is usually started from a download folder that an attacker may
// have filled with DLLs named like system ones: load DLLs from System32 only,
// never from the program's folder or the current directory, and stop on heap
// corruption instead of running on.
void HardenProcess() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
    HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    HardenProcess();
    ComApartment com;
    TMultiLanguage& catalogue = MultiLanguage();  // the catalogue exists before the first window
    Application();
    TForm1 form(catalogue, SetupFolder());

    // Every way out ends the process from inside a handler; only a missing
    // payload leaves this loop, in order.
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DeliverMessage(msg);
    return 0;
}
