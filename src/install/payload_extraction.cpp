// The payload's extraction on the installing page: the extractor's events
// become the status line, the progress bar, a retry-or-quit question for a
// file that cannot be written, and the uninstall log.
#include "wizard/U1.h"

#include "install/uninstall_log.h"
#include "localisation/text_format.h"
#include "ui/dialogs.h"
#include "util/code_page.h"

namespace {

// The payload's entries are encrypted with this password.
constexpr char kPayloadPassword[] = "417263";

}  // namespace

void TForm1::ExtractPayload() {
    LogNumberBase = 0;
    uninstallLog_ = std::make_unique<TUninstallLog>(WideToAnsi(EditDir->Text() + L"Uninstall.log"));
    UnZipper1.SetZipName(WideToAnsi(setupFolder_ + L"Setup.dat"));
    UnZipper1.Password = kPayloadPassword;
    UnZipper1.SetDestDir(WideToAnsi(EditDir->Text()));
    try {
        UnZipper1.UnZip();
    } catch (...) {
        uninstallLog_->Flush();  // what was extracted before the error stays listed
        throw;
    }
    uninstallLog_->Flush();
    LogNumberBase = UnZipper1.Count();
}

void TForm1::UnZipper1TotalPercentDone(TUnZipper&, int32_t percent) {
    ProgressBar1->SetPosition(percent);
    if (uninstallLog_) uninstallLog_->FlushIfDue();
}

void TForm1::UnZipper1StartUnZip(TUnZipper&, int32_t, std::string& fName, bool&) {
    LabelInstall2->SetText(FormatText(catalogue_.GetText(L"00000_00019"), AnsiToWide(fName)));
}

void TForm1::UnZipper1SkippingFile(TUnZipper&, TSkipReason reason, const std::string& fName, int32_t, bool& retry) {
    if (reason != srFileOpenError && reason != srCreateError) return;
    const std::wstring question = catalogue_.GetText(L"00000_00020") + L"\r\n" + AnsiToWide(fName) + L"\r\n" +
                                  catalogue_.GetText(L"00000_00021");
    retry = Dialogs().ConfirmYesNo(question);
    if (!retry) EndProgram();
}

void TForm1::UnZipper1EndUnZip(TUnZipper& sender, int32_t fileIndex, const std::string& fName) {
    if (!InstallStarted || !uninstallLog_) return;
    uninstallLog_->Add(LogNumberBase + fileIndex, sender.DirectoryName(fileIndex) + sender.FileName(fileIndex),
                       LogFileDateTime(fName));
}
