// Every way an installation can fail or be stopped, in turn, for a fresh
// installation and for an upgrade over one whose user changed it: each step
// failing (a real fault where the step can meet one, an error raised as the
// step begins where it cannot), Cancel at the start, during the extraction
// and later, the close box, No in the retry question, a damaged payload. In
// each case the machine afterwards (every file byte for byte with the
// product's INI values in them, the shortcuts, the data folder, the files
// outside the program folder, the registry keys with Apps & Features)
// equals the machine before, the journal is gone, and the program ends as it
// always did. Last, the installation that completes: nothing moved aside stays.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "install/install_log.h"
#include "install/installation_journal.h"
#include "install/system_integration.h"
#include "localisation/ini_file.h"
#include "support/machine_state.h"
#include "support/recording_dialogs.h"
#include "support/registry_values.h"
#include "support/temp_folder.h"
#include "support/test_languages.h"
#include "unzip/crafted_archive.h"
#include "util/error.h"
#include "util/file_ops.h"
#include "util/handles.h"
#include "util/registry.h"
#include "util/text_list.h"
#include "wizard/U1.h"
#include "wizard/system_folders.h"

namespace {

std::wstring SystemFolderMemoryManager() { return WindowsFolder() + L"System\\borlndmm.dll"; }

// Dialogs that, as the installation begins a step (its one pump of window
// messages), let the test do what a fault or a person would; and let go of
// a file the test holds open once the error is shown, as the other program
// would end, so that the undo meets no lock.
class StepDialogs : public RecordingDialogs {
public:
    std::wstring logPath;
    std::wstring atStep;  // "" for the first pump, before any step
    std::function<void()> atStepDo;
    std::vector<std::unique_ptr<LockedFile>> locks;
    std::vector<std::wstring> stepsSeen;

    void ProcessMessages() override {
        RecordingDialogs::ProcessMessages();
        const std::string log = ReadBytesWhileWritten(logPath);
        const size_t at = log.rfind("Step \"");
        const std::wstring step = at == std::string::npos ? L"" : Utf8ToWide(log.substr(at + 6, log.find('"', at + 6) - at - 6));
        if (stepsSeen.empty() || stepsSeen.back() != step) stepsSeen.push_back(step);
        if (atStepDo && step == atStep) std::exchange(atStepDo, nullptr)();
    }
    void ShowError(const std::wstring& text) override {
        RecordingDialogs::ShowError(text);
        Unlock();
    }
    // The other program ends, taking the file it made for the lock (if it did) with it.
    void Unlock() {
        locks.clear();
        for (const std::wstring& file : madeByLocks) DeleteFileW(file.c_str());
        madeByLocks.clear();
    }
    std::vector<std::wstring> madeByLocks;
};

enum TApplies { kFresh = 1, kUpgrade = 2, kBoth = 3 };

class RollbackTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearMachine();
        SetJournalFolder(journalFolder.Path());
        WriteTestLanguages(setup.Path());
        WriteTextList(setup / L"BatchName.dat", {L"Invoices"});
        WriteBytes(setup / L"Config.ini", "[HelpFile]\r\nHelpFileName_1=docs\\Help.pdf\r\n");
        MakeFolders(setup / L"docs");
        WriteBytes(setup / L"docs\\Help.pdf", "help");
        dialogs.logPath = logFolder / L"setup.log";
    }
    void TearDown() override {
        form.reset();
        SetJournalFolder(L"");
        ClearMachine();
    }
    static void ClearMachine() {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Zantivo");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kAppsKey.c_str());
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kBarcodeClassKey);
        RemoveTree(L"C:\\Zantivo");
        RemoveTree(CommonAppDataFolder() + L"\\Celartem");
        DeleteFileW(SystemFolderMemoryManager().c_str());
    }

    // The payload of a version; with damaged, a last entry whose data does not inflate.
    void WritePayload(const std::string& version, bool damaged = false) {
        std::vector<CraftedEntry> payload = {
            PayloadEntry("Zantivo.exe", "program " + version),
            PayloadEntry("UnInstall.exe", "uninstaller " + version),
            PayloadEntry("System.ini", "[batch]\r\nroot_path=\r\n; " + version + "\r\n"),
            PayloadEntry("lang/Language.ini", "[System]\r\nLanguare=0\r\n"),
            PayloadEntry("lang/ZantivoEN.pdf", "manual " + version),
            PayloadEntry("defaults.dprepo", "celartem " + version),
            PayloadEntry("bin/borlndmm.dll", "memory manager " + version),
            PayloadEntry("bin/PegasusImaging.ActiveX.BarcodeXpress5.dll",
                         ReadBytes(EnvironmentPath(L"BARCODE_STANDIN"))),
        };
        if (damaged) payload.push_back(PayloadEntry("media/last.bin", Incompressible(64 * 1024)));
        std::string archive = BuildArchive(payload);
        if (damaged) {
            // The last entry's data cut short, the directory intact: half its
            // bytes gone, the end record's offset of the directory mended.
            const size_t end = archive.rfind("PK\x05\x06");
            uint32_t directory = 0;
            memcpy(&directory, archive.data() + end + 16, 4);
            const uint32_t cut = 32 * 1024;
            archive.erase(directory - cut, cut);
            directory -= cut;
            memcpy(archive.data() + end - cut + 16, &directory, 4);
        }
        WriteBytes(setup / L"Setup.dat", archive);
    }

    // One run of the program: the form made (which opens the product's key),
    // the machine taken as the installation finds it, the pages walked to
    // Install, and Install pressed.
    void RunInstallation(const std::function<void(TForm1&)>& arrange = {}) {
        form.reset();
        dialogs.shown.clear();
        dialogs.exits.clear();
        dialogs.stepsSeen.clear();
        TInstallLog log(dialogs.logPath);
        TInstallLog* previous = SetInstallLog(&log);
        catalogue = std::make_unique<TMultiLanguage>(setup.Path() + L"Setup.exe");
        form = std::make_unique<TForm1>(*catalogue, setup.Path());
        before = Machine();
        form->ButtonNext1Click(*form->ButtonNext1);
        form->EditDir->SetText(destination);
        form->ButtonNext2Click(*form->ButtonNext2);
        if (arrange) arrange(*form);
        form->ButtonNext3Click(*form->ButtonNext3);
        SetInstallLog(previous);
        logText = Utf8ToWide(ReadBytesWhileWritten(dialogs.logPath));
    }

    TMachineState Machine() const { return ProductMachineState({user.Path()}); }

    // Fails the step as it begins: with a real fault where one is given, else an error.
    void AtStep(const std::wstring& step, std::function<void()> fault) {
        dialogs.atStep = step;
        dialogs.atStepDo = std::move(fault);
    }
    void Lock(const std::wstring& relative) {
        if (!FileExistsW(destination + relative)) dialogs.madeByLocks.push_back(destination + relative);
        dialogs.locks.push_back(std::make_unique<LockedFile>(destination + relative));
    }
    void Cancel() {
        dialogs.confirmAnswer = true;
        form->ButtonCancel2Click(*form->ButtonCancel4);
    }

    // Every failure, cancel and the completion, for a fresh installation or an upgrade.
    void EveryCase(TApplies run);

    static inline const std::wstring kAppsKey = std::wstring(kUninstallKey) + L"Zantivo";
    ComApartment com;
    StepDialogs dialogs;
    TempFolder setup, user, journalFolder, logFolder;
    ShellFoldersOverride shellFolders{user.Path(), {L"Desktop", L"Programs", L"Personal"}};
    const std::wstring destination = user.Path() + L"Apps\\Zantivo\\";
    std::unique_ptr<TMultiLanguage> catalogue;
    std::unique_ptr<TForm1> form;
    TMachineState before;
    std::wstring logText;
};

void RollbackTest::EveryCase(TApplies run) {
    enum TEnding { kErrorBox, kEnds };
    struct TCase {
        const wchar_t* what;
        TApplies applies;
        TEnding ending;
        std::function<void(RollbackTest&)> arrange;
    };
    auto throwAt = [](const wchar_t* step) {
        return [step](RollbackTest& t) {
            t.AtStep(step, [step] { throw EError(L"A fault as the step " + std::wstring(step) + L" begins"); });
        };
    };
    auto lockAt = [](const wchar_t* step, const wchar_t* file) {
        return [step, file](RollbackTest& t) { t.AtStep(step, [&t, file] { t.Lock(file); }); };
    };
    const bool ntfs = IsNtfsVolume(L"C:\\");
    std::unique_ptr<ValuesOverride> badShellFolder;
    const std::vector<TCase> cases = {
        {L"Cancel at the start", kBoth, kEnds, [](RollbackTest& t) { t.AtStep(L"", [&t] { t.Cancel(); }); }},
        {L"the stale library's removal fails", kBoth, kErrorBox, throwAt(L"Removing the stale SDK library")},
        {L"a damaged payload", kBoth, kErrorBox, [](RollbackTest& t) { t.WritePayload("v2", true); }},
        {L"Cancel during the extraction", kBoth, kEnds,
         [](RollbackTest& t) {
             auto files = std::make_shared<int>(0);
             const TEndUnZipEvent logged = t.form->UnZipper1.OnEndUnZip;
             t.form->UnZipper1.OnEndUnZip = [&t, files, logged](TUnZipper& zip, int32_t index, const std::string& name) {
                 logged(zip, index, name);
                 if (++*files == 3) t.Cancel();
             };
         }},
        {L"No in the retry question", kUpgrade, kEnds,
         [](RollbackTest& t) {
             t.Lock(L"UnInstall.exe");  // another program holds it open
             t.dialogs.confirmAnswers = {true};  // Yes once, then No
             t.dialogs.confirmAnswer = false;
         }},
        {L"the shortcuts' folder is no text", kBoth, kErrorBox,
         [&badShellFolder](RollbackTest& t) {
             t.AtStep(L"Creating the shortcuts", [&badShellFolder] {
                 badShellFolder = std::make_unique<ValuesOverride>(kShellFoldersKey);
                 badShellFolder->SetNumber(L"Programs", 7);
             });
         }},
        {L"the install path's step fails", kBoth, kErrorBox, throwAt(L"Recording the install path")},
        {L"Cancel as the Celartem settings are copied", kBoth, kEnds,
         [](RollbackTest& t) { t.AtStep(L"Copying the Celartem settings", [&t] { t.Cancel(); }); }},
        {L"System.ini held open", kBoth, kErrorBox,
         lockAt(L"Updating System.ini and the data folder", L"System.ini")},
        {L"Language.ini held open", kBoth, kErrorBox, lockAt(L"Recording the installed language", L"lang\\Language.ini")},
        {L"the barcode step fails", kBoth, kErrorBox, throwAt(L"Registering the barcode control")},
        // Right after the control was registered (on a fresh machine) and the data folder opened to Users.
        {L"the settings files' permissions fail", ntfs ? kBoth : TApplies{}, kErrorBox,
         throwAt(L"Letting users change the settings files")},
        {L"System.ini held open for the setup name", kBoth, kErrorBox, lockAt(L"Recording the setup name", L"System.ini")},
        {L"the memory manager's step fails", kBoth, kErrorBox, throwAt(L"Installing the memory manager")},
        {L"the close box as the help files are copied", kBoth, kEnds,
         [](RollbackTest& t) { t.AtStep(L"Copying the help files", [&t] { t.form->FormCloseQuery(); }); }},
        {L"the further installers' step fails", kBoth, kErrorBox, throwAt(L"Running the further installers")},
        {L"Apps & Features fails", kBoth, kErrorBox, throwAt(L"Registering with Apps & Features")},
    };

    {
        ClearMachine();
        RemoveTree(user / L"Apps");
        if (run == kUpgrade) {
            // An earlier installation, which its user then changed.
            WritePayload("v1");
            RunInstallation();
            ASSERT_EQ(form->PageControl1->ActivePageIndex(), 4) << "the earlier installation failed";
            TIniFile(destination + L"System.ini").WriteString(L"batch", L"root_path", L"D:\\Scans\\");
            WriteBytes(destination + L"Zantivo.exe", "program v1, patched by its user");
            WriteBytes(destination + L"notes.txt", "the user's own");
            // A file of the user's under the name an earlier file would be moved to (in other letters).
            WriteBytes(destination + L"lang\\ZANTIVOEN.PDF.SETUP-EARLIER", "the user's own copy");
        }
        for (const TCase& c : cases) {
            if (!(c.applies & run)) continue;
            SCOPED_TRACE(WideToUtf8(std::wstring(run == kFresh ? L"fresh: " : L"upgrade: ") + c.what));
            form.reset();  // the last run's extractor may still hold the archive
            WritePayload("v2");
            RunInstallation([&](TForm1&) { c.arrange(*this); });
            dialogs.Unlock();
            badShellFolder.reset();
            EXPECT_FALSE(dialogs.atStepDo) << "the step " << WideToUtf8(dialogs.atStep) << " never began";

            EXPECT_EQ(FirstDifference(before, Machine()), L"");
            EXPECT_FALSE(FileExistsW(JournalPath()));
            // Once the journal has begun (the first step that changes anything), it is played back.
            if (logText.find(L"Step \"Removing the stale SDK library\"") != std::wstring::npos) {
                EXPECT_NE(logText.find(L"Step \"Undoing the installation\": done"), std::wstring::npos)
                    << WideToUtf8(logText);
            }
            if (run == kUpgrade && logText.find(L"Step \"Creating the shortcuts\"") != std::wstring::npos) {
                EXPECT_NE(logText.find(L"Undone: the earlier " + destination + L"Zantivo.exe is back"), std::wstring::npos);
            }
            if (c.ending == kErrorBox) {
                // The error box, then the undone installing page, which stays.
                ASSERT_EQ(dialogs.shown.empty() ? L"" : dialogs.shown.back().substr(0, 7), L"error: ");
                EXPECT_TRUE(dialogs.exits.empty());
                EXPECT_EQ(form->PageControl1->ActivePageIndex(), 3);
                EXPECT_EQ(form->LabelInstall2->Text(), L"The installation has been undone.");
                EXPECT_EQ(form->ProgressBar1->Position(), 0);
                // From there Cancel ends the program, with nothing more to undo.
                Cancel();
                EXPECT_EQ(dialogs.exits, std::vector<unsigned>{0});
            } else {
                EXPECT_EQ(dialogs.exits, std::vector<unsigned>{0});
                EXPECT_EQ(logText.find(L"Error: The installation was cancelled") == std::wstring::npos, false);
            }
        }

        // And the installation that completes: nothing moved aside stays, the journal is gone.
        form.reset();
        WritePayload("v2");
        RunInstallation();
        EXPECT_EQ(form->PageControl1->ActivePageIndex(), 4);
        EXPECT_FALSE(FileExistsW(JournalPath()));
        for (const auto& [what, content] : Machine())  // (the user's upper-case file is not one of them)
            EXPECT_EQ(what.find(L".setup-earlier"), std::wstring::npos) << WideToUtf8(what);
        EXPECT_EQ(ReadBytes(destination + L"Zantivo.exe"), "program v2");
        EXPECT_EQ(ReadBytes(destination + L"lang\\ZantivoEN.pdf"), "manual v2");
        if (run == kUpgrade) {
            EXPECT_EQ(ReadBytes(destination + L"notes.txt"), "the user's own");
            EXPECT_EQ(ReadBytes(destination + L"lang\\ZANTIVOEN.PDF.SETUP-EARLIER"), "the user's own copy");
        }
    }
}

TEST_F(RollbackTest, EveryFailureAndCancelOfAFreshInstallationLeavesTheMachineAsItWas) { EveryCase(kFresh); }

TEST_F(RollbackTest, EveryFailureAndCancelOverAnEarlierInstallationLeavesItExactlyAsItWas) { EveryCase(kUpgrade); }

}  // namespace
