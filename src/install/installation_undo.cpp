// The installation's journal from the form's side: begun once the
// installation is about to change the machine, committed after its last
// step, or played backwards on the installing page (its status line saying
// what is undone, its bar running back to empty) when a step failed or the
// user cancelled.
#include "wizard/U1.h"

#include "install/install_log.h"
#include "install/installation_journal.h"
#include "install/product_config.h"
#include "install/rollback.h"
#include "install/shortcut.h"
#include "install/uninstall_log.h"
#include "localisation/message_texts.h"
#include "localisation/text_format.h"
#include "ui/dialogs.h"
#include "util/change_recorder.h"
#include "util/file_ops.h"
#include "util/pacer.h"
#include "util/path.h"
#include "wizard/system_folders.h"

namespace {

// Texts the language files of older setup folders lack.
constexpr wchar_t kBuiltInUndoing[] = L"Undoing the installation: %s";
constexpr wchar_t kBuiltInUndone[] = L"The installation has been undone.";

constexpr ULONGLONG kUpkeepIntervalMs = 50;

// Every place an installation into destination may change: the folder
// itself, the data folder, the Celartem settings' folder, the memory
// manager's file in the System folder, the shortcuts' folders, and the
// folders the destination page made for it.
std::vector<std::wstring> InstallationPlaces(const std::wstring& destination,
                                             const std::vector<std::wstring>& madeForDestination) {
    std::vector<std::wstring> places{IncludeBackslash(destination), DataFolder(destination)};
    if (const std::wstring appData = CommonAppDataFolder(); !appData.empty())
        places.push_back(appData + L"\\Celartem\\");
    if (const std::wstring windows = WindowsFolder(); windows.size() >= 3)
        places.push_back(windows + L"System\\borlndmm.dll");
    for (ShortcutLocation location : {slDesktop, slPrograms}) {
        try {
            if (const std::wstring folder = ShortcutFolder(location); !folder.empty())
                places.push_back(IncludeBackslash(folder));
        } catch (const EError&) {
            // A folder value that is not text: the shortcut step fails on it by itself.
        }
    }
    for (const std::wstring& folder : madeForDestination) places.push_back(IncludeBackslash(folder));
    return places;
}

}  // namespace

void TForm1::LetMessagesThrough() {
    Dialogs().ProcessMessages();
    ThrowIfCancelled();
}

void TForm1::ThrowIfCancelled() const {
    if (phase_ == TInstallPhase::Installing && cancelRequested_) throw EInstallationCancelled();
}

void TForm1::BeginJournal() {
    const std::wstring destination = EditDir->Text();
    journal_ = std::make_unique<TInstallationJournal>(
        destination, InstallationPlaces(destination, foldersMadeForDestination_));
    // The destination page's folders become the installation's: undone with it.
    for (const std::wstring& folder : foldersMadeForDestination_) journal_->RecordMadeFolder(folder);
    foldersMadeForDestination_.clear();
    SetChangeRecorder(journal_.get());
}

void TForm1::CommitInstallation() {
    SetChangeRecorder(nullptr);
    journal_->MarkCommitted();
    CommitRecords(journal_->Records());
    journal_->Remove();
    journal_.reset();
}

void TForm1::UndoInstallation() {
    phase_ = TInstallPhase::Undoing;
    SetChangeRecorder(nullptr);
    uninstallLog_.reset();  // its last keys reach the file before the file is undone
    if (!journal_) {
        RemoveFoldersMadeForDestination();  // nothing else was changed yet
        return;
    }
    LogStep(L"Undoing the installation");
    const std::wstring format = MessageOrBuiltIn(catalogue_, L"00000_00028", kBuiltInUndoing);
    const int from = ProgressBar1->Position();
    TPacer pacer(kUpkeepIntervalMs);
    RollBack(journal_->Records(), [&](size_t done, size_t total, const std::wstring& item) {
        if (!pacer.Due()) return;
        try {
            LabelInstall2->SetText(FormatText(format, item));
        } catch (const EError&) {
            LabelInstall2->SetText(format);  // a text that cannot be formatted must not stop the undo
        }
        ProgressBar1->SetPosition(static_cast<int>(from * (total - done) / total));
        Dialogs().ProcessMessages();
    });
    journal_->Remove();
    journal_.reset();
    ProgressBar1->SetPosition(0);
    LabelInstall2->SetText(MessageOrBuiltIn(catalogue_, L"00000_00029", kBuiltInUndone));
    PaintNow();
    LogStepDone();
}
