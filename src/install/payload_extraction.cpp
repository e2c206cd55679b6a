// The payload's extraction on the installing page: the extractor's events
// become the status line, the progress bar, a retry-or-quit question for a
// file that cannot be written, the uninstall log, and the journal's records
// (each folder and file written down before it is made; each file that is
// there already moved aside first).
//
// The window's upkeep is paced. The extractor offers to let window messages
// through at every 16000 bytes it reads, names every file it starts and
// reports the percentage after every block it writes, but with thousands of
// small files that is thousands of repaints and round trips to the system a
// second, which a person cannot see. Each new position of the bar repaints
// it at once (under Wine about a millisecond, the themed bar stretched and
// put on the screen), so the bar alone, moved a hundred times, made a small
// payload's extraction take a quarter as long again. So messages go
// through, the status line shows the file being written and the bar its
// percentage, at most 20 times a second, which still moves smoothly; when
// the extraction ends (or a question is asked) the last file and the last
// percentage always show. Each such moment costs about 2 ms under Wine (the
// bar, the status line, the messages): 40 times a second made a small
// payload's installation 6 % slower than none at all, 20 times 3 %.
#include "wizard/U1.h"

#include "install/rollback.h"
#include "install/uninstall_log.h"
#include "localisation/text_format.h"
#include "ui/dialogs.h"
#include "util/change_recorder.h"
#include "util/code_page.h"
#include "util/message_pump.h"
#include "util/pacer.h"
#include "util/win_error.h"

namespace {

// The payload's entries are encrypted with this password.
constexpr char kPayloadPassword[] = "417263";

constexpr ULONGLONG kUpkeepIntervalMs = 50;

// While it lives, the program's message pump lets messages through at most
// once per interval.
class TPacedMessagePump {
public:
    explicit TPacedMessagePump(ULONGLONG intervalMs)
        : previous_(SetMessagePump(nullptr)), pacer_(intervalMs) {
        SetMessagePump([this] {
            if (pacer_.Due()) previous_();
        });
    }
    ~TPacedMessagePump() { SetMessagePump(previous_); }
    TPacedMessagePump(const TPacedMessagePump&) = delete;
    TPacedMessagePump& operator=(const TPacedMessagePump&) = delete;

private:
    std::function<void()> previous_;
    TPacer pacer_;
};

}  // namespace

void TForm1::ExtractPayload() {
    LogNumberBase = 0;
    // The log keeps an earlier installation's keys and adds this one's: edited in place.
    const std::wstring logPath = EditDir->Text() + L"Uninstall.log";
    if (!RecordFileChange(logPath, TFileChange::Edit)) RaiseLastOSError(L"Cannot write the uninstall log " + logPath);
    uninstallLog_ = std::make_unique<TUninstallLog>(WideToAnsi(logPath));
    UnZipper1.SetZipName(WideToAnsi(setupFolder_ + L"Setup.dat"));
    UnZipper1.Password = kPayloadPassword;
    UnZipper1.SetDestDir(WideToAnsi(EditDir->Text()));
    if (ChangeRecorder()) {
        // Every file the payload puts at its stored path is recorded (an earlier
        // one moved aside) before the first is written, in one go.
        UnZipper1.ReadDirectory();
        std::vector<std::wstring> targets;
        for (int32_t i = 0; i < UnZipper1.Count(); ++i)
            if (!UnZipper1.Entry(i).IsDirectory()) targets.push_back(EditDir->Text() + AnsiToWide(UnZipper1.Entry(i).Path()));
        RecordFilesReplacement(targets);
    }
    progressPacer_ = std::make_unique<TPacer>(kUpkeepIntervalMs);
    // Read once: the language cannot change while the extraction runs, and
    // each reading is a round trip to the file.
    statusFormat_ = catalogue_.GetText(L"00000_00019");
    try {
        TPacedMessagePump pump(kUpkeepIntervalMs);
        UnZipper1.UnZip();
    } catch (...) {
        ShowPendingProgress();
        uninstallLog_->Flush();  // what was extracted before the error stays listed
        throw;
    }
    ShowPendingProgress();
    // The steps after the extraction let no messages through: without this
    // the page would show, until the finish page, whatever it last painted
    // (with a small payload, the first file and an empty bar).
    PaintNow();
    uninstallLog_->Flush();
    LogNumberBase = UnZipper1.Count();
}

// Taken from the pending state first, so that a text that cannot be
// formatted is not tried again.
void TForm1::ShowPendingProgress() {
    if (pendingPercent_) {
        const int32_t percent = *pendingPercent_;
        pendingPercent_.reset();
        if (ProgressBar1->Position() != percent) ProgressBar1->SetPosition(percent);
    }
    if (pendingFile_) {
        const std::string file = std::move(*pendingFile_);
        pendingFile_.reset();
        LabelInstall2->SetText(FormatText(statusFormat_, AnsiToWide(file)));
    }
}

// A file that takes long to write gets its name shown, and the bar moves, while it is written.
void TForm1::UnZipper1TotalPercentDone(TUnZipper&, int32_t percent) {
    ThrowIfCancelled();
    pendingPercent_ = percent;
    if (!progressPacer_ || progressPacer_->Due()) ShowPendingProgress();
    if (uninstallLog_) uninstallLog_->FlushIfDue();
}

// Before the file is made: its record, and an earlier file of that name
// moved aside, unless that was done before the extraction began (a file the
// extractor puts elsewhere than its stored path, one that would not move
// then). One that cannot be moved (in use) gets the question a file that
// cannot be written gets, until it moves or the user quits.
void TForm1::UnZipper1StartUnZip(TUnZipper&, int32_t, std::string& fName, bool&) {
    ThrowIfCancelled();
    pendingFile_ = fName;
    if (!progressPacer_ || progressPacer_->Due()) ShowPendingProgress();
    if (!ChangeRecorder()) return;
    const std::wstring path = AnsiToWide(fName);
    while (!RecordFileChange(path, TFileChange::Replace)) AskToRetry(fName);
}

void TForm1::UnZipper1CreatingFolder(TUnZipper&, const std::string& folder) {
    if (!RecordFolderCreation(AnsiToWide(folder)))
        RaiseLastOSError(L"Cannot create the folder " + AnsiToWide(folder));
}

void TForm1::UnZipper1SkippingFile(TUnZipper&, TSkipReason reason, const std::string& fName, int32_t, bool& retry) {
    if (reason != srFileOpenError && reason != srCreateError) return;
    AskToRetry(fName);
    retry = true;
}

void TForm1::AskToRetry(const std::string& fName) {
    ShowPendingProgress();
    const std::wstring question = catalogue_.GetText(L"00000_00020") + L"\r\n" + AnsiToWide(fName) + L"\r\n" +
                                  catalogue_.GetText(L"00000_00021");
    // No: the installation stops here; it is undone and the program ends.
    if (!Dialogs().ConfirmYesNo(question)) throw EInstallationCancelled();
}

void TForm1::UnZipper1EndUnZip(TUnZipper& sender, int32_t fileIndex, const std::string& fName) {
    if (!InstallStarted || !uninstallLog_) return;
    uninstallLog_->Add(LogNumberBase + fileIndex, sender.DirectoryName(fileIndex) + sender.FileName(fileIndex),
                       LogFileDateTime(fName));
}
