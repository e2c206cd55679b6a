#include "deploy/setup_run.h"

#include <windows.h>

#include <functional>
#include <memory>

#include "deploy/exit_codes.h"
#include "deploy/logging_dialogs.h"
#include "deploy/machine_account.h"
#include "deploy/unattended_dialogs.h"
#include "install/install_log.h"
#include "install/installation_lock.h"
#include "install/rollback.h"
#include "install/shortcut.h"
#include "localisation/multi_language.h"
#include "ui/dialogs.h"
#include "ui/form.h"
#include "util/file_ops.h"
#include "util/message_pump.h"
#include "util/path.h"
#include "wizard/U1.h"
#include "wizard/product.h"

namespace {

// The caption of Setup's own boxes, shown before any language is chosen.
const std::wstring kBoxCaption = std::wstring(kProductName) + L" Setup";

class TScopedDialogs {
public:
    explicit TScopedDialogs(TDialogs& dialogs) : previous_(SetDialogs(&dialogs)) {}
    ~TScopedDialogs() { SetDialogs(previous_); }
    TScopedDialogs(const TScopedDialogs&) = delete;
    TScopedDialogs& operator=(const TScopedDialogs&) = delete;

private:
    TDialogs* previous_;
};

class TScopedLog {
public:
    explicit TScopedLog(std::unique_ptr<TInstallLog> log) : log_(std::move(log)), previous_(SetInstallLog(log_.get())) {}
    ~TScopedLog() { SetInstallLog(previous_); }
    TScopedLog(const TScopedLog&) = delete;
    TScopedLog& operator=(const TScopedLog&) = delete;

private:
    std::unique_ptr<TInstallLog> log_;
    TInstallLog* previous_;
};

// The log the command line asks for, or null without /LOG; raises when it
// cannot be written.
std::unique_ptr<TInstallLog> OpenLog(const TCommandLine& commandLine) {
    return commandLine.logFile ? std::make_unique<TInstallLog>(*commandLine.logFile) : nullptr;
}

// The same where a log is a courtesy: null when it cannot be written.
std::unique_ptr<TInstallLog> TryOpenLog(const TCommandLine& commandLine) {
    try {
        return OpenLog(commandLine);
    } catch (const EError&) {
        return nullptr;
    }
}

const wchar_t* ModeName(TInstallMode mode) {
    switch (mode) {
    case TInstallMode::Wizard: return L"wizard";
    case TInstallMode::Passive: return L"passive (the installing page only, no question)";
    case TInstallMode::Silent: return L"silent (no window)";
    }
    return L"";
}

void LogStart(const TCommandLine& commandLine, const TProcessAccount& account) {
    LogLine(std::wstring(kProductName) + L" Setup started: " + ModulePath());
    LogLine(L"Arguments: " + commandLine.arguments);
    LogLine(L"Mode: " + std::wstring(ModeName(commandLine.mode)));
    LogLine(L"Account: " + account.name + (account.machineAccount ? L" (a machine account)" : L""));
}

unsigned Exit(unsigned code) {
    LogLine(ExitCodeLine(code));
    return code;
}

// A box for the person at the wizard; nothing for an unattended run.
void Tell(const TCommandLine& commandLine, const std::wstring& text, UINT icon) {
    if (!commandLine.Unattended()) Dialogs().ShowMessageBox(text, kBoxCaption, MB_OK | icon);
}

unsigned RefuseCommandLine(const TCommandLine& commandLine, const std::wstring& why) {
    LogLine(L"Invalid command line: " + why);
    Tell(commandLine, L"Invalid command line: " + why + L".\r\n\r\n" + UsageText(), MB_ICONERROR);
    return Exit(ecInvalidCommandLine);
}

// The language of that abbreviation whose text file is there; -1 when none.
int FindLanguage(const TMultiLanguage& catalogue, const std::wstring& abbreviation, std::wstring& offered) {
    int found = -1;
    for (size_t i = 0; i < catalogue.Languages.Count(); ++i) {
        if (!FileExistsW(catalogue.ResFilePath(static_cast<int>(i)))) continue;
        offered += (offered.empty() ? L"" : L", ") + catalogue.Languages[i];
        if (found < 0 && NameInList(catalogue.Languages[i], {abbreviation})) found = static_cast<int>(i);
    }
    return found;
}

// As a person picks the language in the language box.
void SelectLanguage(TForm1& form, int language) {
    for (int i = 0; i < form.cbLanage->Count(); ++i)
        if (form.cbLanage->ItemTag(i) == language) {
            form.cbLanage->SetItemIndex(i);
            form.cbLanageClick(*form.cbLanage);
            return;
        }
}

void PrepareForm(TForm1& form, const TCommandLine& commandLine, int language) {
    if (language >= 0) form.Dispatch([&] { SelectLanguage(form, language); });
    if (commandLine.destination) form.EditDir->SetText(FullPathName(*commandLine.destination));
}

unsigned RunWizard(const TCommandLine& commandLine, TMultiLanguage& catalogue, int language) {
    TLoggingDialogs logging(Dialogs());
    TScopedDialogs scoped(InstallLog() ? static_cast<TDialogs&>(logging) : Dialogs());
    RecoverUnlessAnotherInstallationRuns();  // before the wizard proposes a folder
    Application();
    TForm1 form(catalogue, SetupFolder());
    PrepareForm(form, commandLine, language);
    RunMessageLoop();
    LogLine(L"The wizard ends the program. Exit code: 0");
    return 0;
}

unsigned RunUnattended(const TCommandLine& commandLine, TMultiLanguage& catalogue, int language) {
    TForm1* shown = nullptr;
    std::function<void()> showInstallingPage;
    if (commandLine.mode == TInstallMode::Passive)
        showInstallingPage = [&shown] {
            shown->Show();
            shown->ShowPage(shown->PageControl1->ActivePageIndex());  // the focus goes with it
            SetForegroundWindow(shown->Handle());
        };
    TUnattendedDialogs dialogs([](unsigned code) { ExitProcess(code); }, showInstallingPage);
    TScopedDialogs scoped(dialogs);
    // This run holds the lock: an installation that a crash or a kill
    // interrupted is undone first, before the folder is proposed.
    RecoverInterruptedInstallation();
    Application();
    TForm1 form(catalogue, SetupFolder(), TWindowStart::Hidden);
    shown = &form;
    auto press = [&](void (TForm1::*handler)(TControl&), TControl* button) {
        form.Dispatch([&] { (form.*handler)(*button); });
        return !dialogs.Failed();
    };
    if (dialogs.Failed()) return ecFailed;

    PrepareForm(form, commandLine, language);
    press(&TForm1::ButtonNext1Click, form.ButtonNext1);
    LogLine(L"Destination folder: " + form.EditDir->Text());
    if (!press(&TForm1::ButtonNext2Click, form.ButtonNext2) || form.PageControl1->ActivePageIndex() != 2) {
        LogLine(L"The destination folder " + form.EditDir->Text() + L" can neither be found nor created");
        return ecFailed;
    }
    // A person watching a passive installation may still stop it: Cancel
    // ends it at once, without the question.
    form.ButtonCancel4->OnClick = [&form](TControl&) {
        LogLine(L"Cancelled on the installing page");
        form.EndProgram();
    };
    press(&TForm1::ButtonNext3Click, form.ButtonNext3);
    if (form.PageControl1->ActivePageIndex() == 4 && !dialogs.Failed()) {
        LogLine(L"The installation is complete");
        return ecSuccess;
    }
    if (!FileExistsW(form.SetupFolderPath() + L"Setup.dat")) {
        if (TInstallLog* log = InstallLog()) log->FailStep(L"The payload " + form.SetupFolderPath() + L"Setup.dat is missing");
    } else {
        LogLine(L"The installation did not complete");
    }
    return ecFailed;
}

// The installation itself, once the command line is understood and the log open.
unsigned RunInstallation(const TCommandLine& commandLine, const TProcessAccount& account) {
    TMultiLanguage& catalogue = MultiLanguage();
    int language = -1;
    if (commandLine.language) {
        std::wstring offered;
        language = FindLanguage(catalogue, *commandLine.language, offered);
        if (language < 0)
            return RefuseCommandLine(commandLine, L"the setup folder has no language \"" + *commandLine.language +
                                                      L"\" (it has " + (offered.empty() ? L"none" : offered) + L")");
    }
    std::wstring why;
    const TShortcutOwner owner = ChooseShortcutOwner(commandLine, account, why);
    SetShortcutOwner(owner);
    LogLine((owner == TShortcutOwner::AllUsers ? L"Shortcuts: the common (All Users) Start menu and desktop, as "
                                               : L"Shortcuts: the current user's Start menu and desktop, as ") +
            why);
    if (!commandLine.Unattended()) return RunWizard(commandLine, catalogue, language);
    return Exit(RunUnattended(commandLine, catalogue, language));
}

}  // namespace

unsigned RunWithSwitches(const TCommandLine& commandLine) {
    const TProcessAccount account = ProcessAccount();
    if (!commandLine.error.empty() || commandLine.help) {
        // The log is a courtesy here: the usage is the answer either way.
        TScopedLog log(TryOpenLog(commandLine));
        LogStart(commandLine, account);
        if (!commandLine.error.empty()) return RefuseCommandLine(commandLine, commandLine.error);
        LogLine(UsageText());
        Tell(commandLine, UsageText(), MB_ICONINFORMATION);
        return Exit(ecSuccess);
    }
    // Before anything is written: another installation running gets the
    // engines' "retry later", and this one writes nothing but its own log
    // (when that is not the other's).
    if (commandLine.Unattended() && !TryLockInstallation()) {
        TScopedLog log(TryOpenLog(commandLine));
        LogStart(commandLine, account);
        LogLine(L"Another installation of " + std::wstring(kProductName) +
                L" is running on this machine: nothing was installed");
        return Exit(ecAlreadyRunning);
    }
    std::unique_ptr<TInstallLog> opened;
    try {
        opened = OpenLog(commandLine);
    } catch (const EError& error) {
        Tell(commandLine, error.Message(), MB_ICONERROR);
        return ecFailed;
    }
    TScopedLog log(std::move(opened));
    LogStart(commandLine, account);
    try {
        return RunInstallation(commandLine, account);
    } catch (const std::exception& error) {
        // Nothing may escape into the system's crash report: an engine waits for an exit code.
        LogLine(L"Error: " + Utf8ToWide(error.what()));
        Tell(commandLine, Utf8ToWide(error.what()), MB_ICONERROR);
        return Exit(ecFailed);
    }
}
