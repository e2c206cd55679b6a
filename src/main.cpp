// Program entry of Setup: hardening, COM, the command line; without
// switches the language catalogue (before any window), the wizard form and
// the message loop, as Setup has always run.
#include <windows.h>

#include "deploy/command_line.h"
#include "deploy/setup_run.h"
#include "install/rollback.h"
#include "localisation/multi_language.h"
#include "ui/form.h"
#include "util/file_ops.h"
#include "util/handles.h"
#include "util/hardening.h"
#include "util/message_pump.h"
#include "wizard/U1.h"

// Setup.exe is usually started from a download folder, which may hold DLLs
// named like Windows' own: the process is hardened before anything else of
// it runs, its constructors included (the stack protector's run time draws
// its cookie in a constructor, through a crypto provider that loads DLLs).
// 101 is the first priority a program's own constructors may take.
[[gnu::constructor(101)]] static void HardenFirst() { HardenProcess(); }

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ComApartment com;
    const TCommandLine commandLine = ParseCommandLine(GetCommandLineW());
    if (!commandLine.Empty()) return static_cast<int>(RunWithSwitches(commandLine));

    TMultiLanguage& catalogue = MultiLanguage();  // the catalogue exists before the first window
    // An installation that a crash or a kill interrupted is undone before the
    // wizard proposes its folder.
    RecoverUnlessAnotherInstallationRuns();
    Application();
    TForm1 form(catalogue, SetupFolder());

    // Every way out ends the process from inside a handler; only a missing
    // payload leaves this loop, in order.
    RunMessageLoop();
    return 0;
}
