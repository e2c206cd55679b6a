// The Install button: the whole installation, step by step, inside the
// click handler on the GUI thread. An error that a step lets through ends
// the sequence there; the error box shows it and the wizard stays on the
// installing page, from which Cancel or the close box end the program.
// Each step is named in the installation's log (when there is one), which
// times it and records how it ended.
#include "wizard/U1.h"

#include "install/apps_and_features.h"
#include "install/folder_permissions.h"
#include "install/install_log.h"
#include "install/installation_lock.h"
#include "install/product_config.h"
#include "install/shortcut.h"
#include "install/system_integration.h"
#include "localisation/message_texts.h"
#include "localisation/rebrand_res_files.h"
#include "ui/dialogs.h"
#include "util/code_page.h"
#include "util/file_ops.h"
#include "util/process.h"
#include "util/registry.h"
#include "util/text_list.h"
#include "wizard/privilege.h"
#include "wizard/product.h"
#include "wizard/system_folders.h"

namespace {

// Programs of the payload that get a shortcut in the program group besides
// the main program: the file (relative to the install folder) and the name.
struct TExtraShortcut {
    const wchar_t* file;
    const wchar_t* name;
};
constexpr TExtraShortcut kExtraShortcuts[] = {{L"UnInstall.exe", L"UnInstall Zantivo"}};

}  // namespace

void TForm1::ButtonNext3Click(TControl&) {
    InstallStarted = true;
    LabelInstall2->SetText(L"");
    ShowPage(PageControl1->ActivePageIndex() + 1);
    Dialogs().ProcessMessages();  // the installing page is painted before the work starts
    // Never two installations at once on one machine: this one waits for another to end.
    LockInstallation([] { Dialogs().ProcessMessages(); });

    const std::wstring destination = EditDir->Text();
    LogLine(L"Installing into " + destination + L" in the language " + catalogue_.CurrentAbbreviation());
    LogStep(L"Testing the destination drive");
    TargetIsNtfs = IsNtfsVolume(destination.substr(0, 3));
    if (TargetIsNtfs && !IsNonNtWindows()) EnableShutdownPrivilege();

    // Without the payload nothing is installed: the program ends in order.
    LogStep(L"Looking for the payload");
    if (!FileExistsW(setupFolder_ + L"Setup.dat")) {
        Dialogs().ShowMessageBox(catalogue_.GetText(L"00000_00017"), catalogue_.GetText(L"00000_00018"), MB_OK);
        PostQuitMessage(0);
        return;
    }

    // A drive too small for the payload is found before anything changes.
    LogStep(L"Measuring the room on the destination drive");
    EnsureRoomForPayload();
    // An earlier setup may have opened the folder to every user: it gets its
    // inherited list back before anything is put into it or started from it.
    if (TargetIsNtfs) {
        LogStep(L"Restoring the program folder's access list");
        std::vector<std::wstring> payloadPaths;
        for (int32_t i = 0; i < UnZipper1.Count(); ++i)
            payloadPaths.push_back(AnsiToWide(UnZipper1.Entry(i).Path()));
        RestoreProgramFolderAccess(destination, payloadPaths);
    }
    LogStep(L"Removing the stale SDK library");
    RemoveStaleSdkDll(destination);
    LogStep(L"Extracting the payload");
    ExtractPayload();

    // The main program, under the alternate product name when there is one.
    LogStep(L"Creating the shortcuts");
    const std::wstring alternateName = catalogue_.GetText(L"00000_00023");
    const std::wstring group = alternateName.empty() ? std::wstring(kProductName) : alternateName;
    std::wstring mainProgram = destination + L"Zantivo.exe";
    if (!alternateName.empty()) {
        RenameFile(mainProgram, destination + alternateName + L".exe");  // an earlier one of that name stays
        mainProgram = destination + alternateName + L".exe";
    }
    CreateShortcut(catalogue_, mainProgram, group, slPrograms, group);
    CreateShortcut(catalogue_, mainProgram, group, slDesktop);

    for (const TExtraShortcut& extra : kExtraShortcuts) {
        const std::wstring name = extra.name;
        if (name.empty() || !FileExistsW(destination + extra.file)) continue;
        if (!alternateName.empty() && name.starts_with(L"UnInstall"))
            CreateShortcut(catalogue_, destination + extra.file, L"UnInstall " + alternateName, slPrograms,
                           alternateName);
        else
            CreateShortcut(catalogue_, destination + extra.file, name, slPrograms, kProductName);
    }

    // The manual in the current language, or else the English one.
    std::wstring manual = destination + L"lang\\Zantivo" + catalogue_.CurrentAbbreviation() + L".pdf";
    if (!FileExistsW(manual)) manual = destination + L"lang\\ZantivoEN.pdf";
    if (FileExistsW(manual)) CreateShortcut(catalogue_, manual, catalogue_.GetText(L"00000_00022"), slPrograms, group);

    // The next installation proposes this folder again; a failure is not the
    // user's concern.
    LogStep(L"Recording the install path");
    TRegKey::OpenOrCreate(HKEY_CURRENT_USER, ProductKeyPath(alternateName)).WriteString(kInstallPathValue, destination);

    LogStep(L"Copying the Celartem settings");
    CopyCelartemDefaults(destination);
    LogStep(L"Updating System.ini and the data folder");
    UpdateSystemIni(destination, setupFolder_, TargetIsNtfs);
    LogStep(L"Recording the installed language");
    const int selected = cbLanage->ItemIndex();
    WriteInstalledLanguage(selected >= 0 ? cbLanage->ItemTag(selected) : catalogue_.CurrentIndex, destination);
    LogStep(L"Registering the barcode control");
    EnsureBarcodeControl(destination);
    if (TargetIsNtfs) {
        LogStep(L"Letting users change the settings files");
        GrantSettingsFilePermissions(destination);
    }
    LogStep(L"Recording the setup name");
    WriteSetupName(destination, catalogue_);
    LogStep(L"Installing the memory manager");
    InstallMemoryManager(destination);
    LogStep(L"Copying the help files");
    CopyHelpFiles(destination, setupFolder_);
    if (!alternateName.empty()) {
        LogStep(L"Rebranding the language files");
        RebrandResFiles(destination, alternateName);
    }

    // Further installers beside the payload, one after the other, each
    // waited for; a line that names no file is passed over.
    LogStep(L"Running the further installers");
    if (FileExistsW(setupFolder_ + L"SoftwareList.dat"))
        for (const std::wstring& line : ReadTextList(setupFolder_ + L"SoftwareList.dat"))
            if (FileExistsW(setupFolder_ + line)) {
                LogLine(L"Running " + setupFolder_ + line);
                RunAndWait(setupFolder_ + line);
            }

    LogStep(L"Registering with Apps & Features");
    RegisterWithAppsAndFeatures(UnZipper1, destination, mainProgram, ProductName(catalogue_));
    LogStepDone();
    ShowPage(PageControl1->ActivePageIndex() + 1);
}
