// The Install button: the whole installation, step by step, inside the
// click handler on the GUI thread. An error that a step lets through ends
// the sequence there: the error box shows it, what the installation did is
// undone, and the wizard stays on the installing page, from which Cancel or
// the close box end the program. Cancel (confirmed), the close box and No in
// the retry question stop the installation at its next chance: it is undone
// and the program ends. Each step is named in the installation's log (when
// there is one), which times it and records how it ended; between steps
// window messages go through, so the page stays painted and Cancel works.
#include "wizard/U1.h"

#include "install/apps_and_features.h"
#include "install/folder_permissions.h"
#include "install/install_log.h"
#include "install/installation_journal.h"
#include "install/installation_lock.h"
#include "install/product_config.h"
#include "install/rollback.h"
#include "install/shortcut.h"
#include "install/system_integration.h"
#include "localisation/message_texts.h"
#include "localisation/rebrand_res_files.h"
#include "ui/dialogs.h"
#include "util/change_recorder.h"
#include "util/code_page.h"
#include "util/file_ops.h"
#include "util/message_pump.h"
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

// While the installation runs, every pump of window messages (the
// extraction's, the file search's) may end it: once Cancel is confirmed the
// installation stops right after the pump, where no window procedure is on
// the stack, and unwinds to the Install button's handler.
class TCancellableMessagePump {
public:
    explicit TCancellableMessagePump(const TForm1& form) : previous_(SetMessagePump(nullptr)) {
        SetMessagePump([this, &form] {
            previous_();
            form.ThrowIfCancelled();
        });
    }
    ~TCancellableMessagePump() { SetMessagePump(previous_); }
    TCancellableMessagePump(const TCancellableMessagePump&) = delete;
    TCancellableMessagePump& operator=(const TCancellableMessagePump&) = delete;

private:
    std::function<void()> previous_;
};

}  // namespace

void TForm1::ButtonNext3Click(TControl&) {
    InstallStarted = true;
    LabelInstall2->SetText(L"");
    ShowPage(PageControl1->ActivePageIndex() + 1);
    phase_ = TInstallPhase::Installing;
    std::exception_ptr failure;
    try {
        TCancellableMessagePump pump(*this);
        InstallProduct();
        phase_ = TInstallPhase::Ended;
        return;
    } catch (const EInstallationCancelled& cancelled) {
        if (TInstallLog* log = InstallLog()) log->FailStep(cancelled.Message());
    } catch (...) {
        failure = std::current_exception();
    }
    // The error box first, as for any handler, so the person reads what went wrong; then the undo.
    if (failure) RunEventHandler([&] { std::rethrow_exception(failure); });
    UndoInstallation();
    phase_ = TInstallPhase::Ended;
    // A cancel ends the program; after an error the wizard stays on the installing page.
    if (!failure || endAfterUndo_) EndProgram();
}

void TForm1::InstallProduct() {
    LetMessagesThrough();  // the installing page is painted before the work starts
    // Never two installations at once on one machine: this one waits for another to end.
    LockInstallation([this] { LetMessagesThrough(); });
    // One that ended without completing or being undone (a crash, a kill) is undone first.
    RecoverInterruptedInstallation();

    const std::wstring destination = EditDir->Text();
    LogLine(L"Installing into " + destination + L" in the language " + catalogue_.CurrentAbbreviation());
    LogStep(L"Testing the destination drive");
    TargetIsNtfs = IsNtfsVolume(destination.substr(0, 3));
    if (TargetIsNtfs && !IsNonNtWindows()) EnableShutdownPrivilege();

    // Without the payload nothing is installed: the program ends in order.
    LogStep(L"Looking for the payload");
    if (!FileExistsW(setupFolder_ + L"Setup.dat")) {
        Dialogs().ShowMessageBox(catalogue_.GetText(L"00000_00017"), catalogue_.GetText(L"00000_00018"), MB_OK);
        phase_ = TInstallPhase::Ended;
        PostQuitMessage(0);
        return;
    }

    // A drive too small for the payload is found before anything changes.
    LogStep(L"Measuring the room on the destination drive");
    EnsureRoomForPayload();
    // An earlier setup may have opened the folder to every user: it gets its
    // inherited list back before anything is put into it or started from it.
    // This is not journalled: undoing the installation must not open the
    // folder to everyone again.
    if (TargetIsNtfs) {
        LogStep(L"Restoring the program folder's access list");
        std::vector<std::wstring> payloadPaths;
        for (int32_t i = 0; i < UnZipper1.Count(); ++i)
            payloadPaths.push_back(AnsiToWide(UnZipper1.Entry(i).Path()));
        RestoreProgramFolderAccess(destination, payloadPaths);
    }
    // From here on every change is journalled first, so that it can be undone.
    BeginJournal();
    // Between steps: what the journal holds reaches the disk, and messages go
    // through (a Cancel confirmed then stops the installation as it begins the step).
    auto step = [this](const wchar_t* name) {
        LogStep(name);
        journal_->Flush();
        LetMessagesThrough();
    };
    step(L"Removing the stale SDK library");
    RemoveStaleSdkDll(destination);
    step(L"Extracting the payload");
    ExtractPayload();

    // The main program, under the alternate product name when there is one.
    step(L"Creating the shortcuts");
    const std::wstring alternateName = catalogue_.GetText(L"00000_00023");
    const std::wstring group = alternateName.empty() ? std::wstring(kProductName) : alternateName;
    std::wstring mainProgram = destination + L"Zantivo.exe";
    if (!alternateName.empty()) {
        const std::wstring renamed = destination + alternateName + L".exe";
        // An earlier one of that name stays (the rename fails).
        if (!FileExistsW(renamed) && RecordFileChange(renamed, TFileChange::Replace)) RenameFile(mainProgram, renamed);
        mainProgram = renamed;
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
    step(L"Recording the install path");
    const std::wstring productKey = ProductKeyPath(alternateName);
    if (RecordKeyChange(HKEY_CURRENT_USER, productKey.substr(0, productKey.size() - 1)))
        TRegKey::OpenOrCreate(HKEY_CURRENT_USER, productKey).WriteString(kInstallPathValue, destination);

    step(L"Copying the Celartem settings");
    CopyCelartemDefaults(destination);
    step(L"Updating System.ini and the data folder");
    UpdateSystemIni(destination, setupFolder_, TargetIsNtfs);
    step(L"Recording the installed language");
    const int selected = cbLanage->ItemIndex();
    WriteInstalledLanguage(selected >= 0 ? cbLanage->ItemTag(selected) : catalogue_.CurrentIndex, destination);
    step(L"Registering the barcode control");
    EnsureBarcodeControl(destination);
    if (TargetIsNtfs) {
        step(L"Letting users change the settings files");
        GrantSettingsFilePermissions(destination);
    }
    step(L"Recording the setup name");
    WriteSetupName(destination, catalogue_);
    step(L"Installing the memory manager");
    InstallMemoryManager(destination);
    step(L"Copying the help files");
    CopyHelpFiles(destination, setupFolder_);
    if (!alternateName.empty()) {
        step(L"Rebranding the language files");
        RebrandResFiles(destination, alternateName);
    }

    // Further installers beside the payload, one after the other, each
    // waited for; a line that names no file is passed over. They come after
    // everything the journal can undo: what they do stays.
    step(L"Running the further installers");
    if (FileExistsW(setupFolder_ + L"SoftwareList.dat"))
        for (const std::wstring& line : ReadTextList(setupFolder_ + L"SoftwareList.dat"))
            if (FileExistsW(setupFolder_ + line)) {
                LogLine(L"Running " + setupFolder_ + line);
                RunAndWait(setupFolder_ + line);
            }

    step(L"Registering with Apps & Features");
    RegisterWithAppsAndFeatures(UnZipper1, destination, mainProgram, ProductName(catalogue_));
    journal_->Flush();
    LetMessagesThrough();  // a Cancel until here still undoes it all
    LogStepDone();
    CommitInstallation();
    ShowPage(PageControl1->ActivePageIndex() + 1);
}
