// The Install button: the whole installation, step by step, inside the
// click handler on the GUI thread. An error that a step lets through ends
// the sequence there; the error box shows it and the wizard stays on the
// installing page, from which Cancel or the close box end the program.
#include "wizard/U1.h"

#include "ui/dialogs.h"
#include "util/file_ops.h"
#include "util/registry.h"
#include "wizard/process.h"
#include "wizard/product.h"
#include "wizard/system_folders.h"

void TForm1::ButtonNext3Click(TControl&) {
    InstallStarted = true;
    LabelInstall2->SetText(L"");
    ShowPage(PageControl1->ActivePageIndex() + 1);
    Dialogs().ProcessMessages();  // the installing page is painted before the work starts

    const std::wstring destination = EditDir->Text();
    TargetIsNtfs = IsNtfsVolume(destination.substr(0, 3));
    if (TargetIsNtfs && !IsNonNtWindows()) EnableShutdownPrivilege();

    if (!FileExistsW(setupFolder_ + L"Setup.dat")) {
        Dialogs().ShowMessageBox(catalogue_.GetText(L"00000_00017"), catalogue_.GetText(L"00000_00018"), MB_OK);
        PostQuitMessage(0);
        return;
    }

    ExtractPayload();
    const std::wstring alternateName = catalogue_.GetText(L"00000_00023");

    // The next installation proposes this folder again.
    TRegKey key = TRegKey::OpenOrCreate(HKEY_CURRENT_USER, ProductKeyPath(alternateName));
    key.WriteString(kInstallPathValue, destination);

    ShowPage(PageControl1->ActivePageIndex() + 1);
}
