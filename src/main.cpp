// Program entry of Setup: hardening, COM, the language catalogue (before any
// window), the wizard form and the message loop.
#include <windows.h>

#include "localisation/multi_language.h"
#include "ui/form.h"
#include "util/file_ops.h"
#include "util/handles.h"
#include "util/hardening.h"
#include "util/message_pump.h"
#include "wizard/U1.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Setup.exe is usually started from a download folder: hardening first.
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
