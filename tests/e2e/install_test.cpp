// The whole installation: the real Setup.exe, started from the staged demo
// setup folders and driven from this process as a person would, then the
// machine looked at as the product and its uninstaller find it: every file,
// the uninstall log, the shortcuts, the registry, the product's settings,
// the control's registration and the further installer.
//
// The shell folders point into the test's own folder; the product keys, the
// data folder C:\Zantivo, the Celartem folder, borlndmm.dll and the control's
// class are cleared before and after each test (the tests hold the locks of
// everything they share with the rest of the prefix).
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "e2e/setup_driver.h"
#include "install/free_space.h"
#include "localisation/ini_file.h"
#include "localisation/text_format.h"
#include "install/installation_journal.h"
#include "support/link_files.h"
#include "support/machine_state.h"
#include "support/registry_values.h"
#include "support/temp_folder.h"
#include "support/test_languages.h"
#include "ui/dialogs.h"
#include "unzip/crafted_archive.h"
#include "unzip/small_disk.h"
#include "util/error.h"
#include "util/file_ops.h"
#include "util/registry.h"
#include "util/text_list.h"

namespace {

constexpr wchar_t kBarcodeClass[] = L"CLSID\\{C82070A1-A2C1-412D-B9FA-FEC9C34F2DF6}";

std::wstring Build() { return EnvironmentPath(L"SETUP_BUILD"); }
std::wstring Staged(const wchar_t* name) { return Build() + L"\\tests\\e2e-folders\\" + name + L"\\"; }
std::wstring ProductTree() { return Build() + L"\\demo-product\\"; }

std::wstring WindowsSystemFolder() {
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\System\\";
}

std::set<std::wstring> FilesBelow(const std::wstring& root) {
    std::set<std::wstring> files;
    ForEachBelow(root, [&](const std::wstring& relative, bool isFolder) {
        if (!isFolder) files.insert(relative);
    });
    return files;
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = towlower(c);
    return text;
}

// The files of the payload that the installation rewrites after extracting them.
bool RewrittenByTheInstallation(const std::wstring& relative) {
    const std::wstring name = Lower(relative);
    return name == L"system.ini" || name == L"lang\\language.ini" || name.starts_with(L"lang\\res");
}

std::wstring IniValue(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    return TIniFile(file).ReadString(section, key, L"<missing>");
}

// A message of a staged setup folder's language, as the wizard shows it.
std::wstring Message(const std::wstring& folder, const wchar_t* language, const wchar_t* id) {
    return TIniFile(folder + L"lang\\Res" + language + L".ini").ReadString(L"Res", id, L"");
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearMachine();
        SetEnvironmentVariableW(L"ZANTIVO_DEMO_MARKER", (user / L"further-installer.ini").c_str());
    }
    void TearDown() override {
        driver.reset();
        ClearMachine();
        SetEnvironmentVariableW(L"ZANTIVO_DEMO_MARKER", nullptr);
    }
    static void ClearMachine() {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Zantivo");
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Viewer");
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kBarcodeClass);
        RemoveTree(L"C:\\Zantivo");
        RemoveTree(CommonAppDataFolder() + L"\\Celartem");
        DeleteFileW((WindowsSystemFolder() + L"borlndmm.dll").c_str());
    }

    TSetupDriver& Run(const std::wstring& setupFolder) {
        driver = std::make_unique<TSetupDriver>(setupFolder + L"Setup.exe");
        EXPECT_NE(driver->Window(), nullptr) << "no wizard window";
        return *driver;
    }

    // From the welcome page to the ready page, with the folder typed on the way.
    void WalkToReadyPage(TSetupDriver& wizard, const std::wstring& folder) {
        wizard.Press(L"ButtonNext1");
        ASSERT_TRUE(wizard.WaitForPage(1));
        wizard.SetText(L"EditDir", folder);
        wizard.Press(L"ButtonNext2");
        ASSERT_TRUE(wizard.WaitForPage(2));
    }

    // The bar as the screen shows it: the colours on its middle row near its
    // left and its right end.
    static std::pair<COLORREF, COLORREF> BarOnScreen(TSetupDriver& wizard) {
        RECT bar{};
        GetWindowRect(wizard.Control(L"ProgressBar1", 3), &bar);
        const int y = (bar.top + bar.bottom) / 2, inset = (bar.right - bar.left) / 50 + 2;
        HDC screen = GetDC(nullptr);
        const std::pair<COLORREF, COLORREF> ends{GetPixel(screen, bar.left + inset, y),
                                                 GetPixel(screen, bar.right - inset, y)};
        ReleaseDC(nullptr, screen);
        return ends;
    }

    // Presses Install and waits for the finish page, noting the bar's
    // positions seen on the way, and the bar on the screen while the
    // further installer works (the wizard waits for it, letting no
    // messages through).
    std::vector<int> Install(TSetupDriver& wizard) {
        std::vector<int> positions;
        barWhileFurtherInstaller.reset();
        wizard.Press(L"ButtonNext3");
        const DWORD start = GetTickCount();
        while (wizard.Page() != 4 && wizard.Running() && GetTickCount() - start < 120000) {
            int position = 0;
            if (wizard.Page() == 3 && wizard.TryProgressPosition(position) &&
                (positions.empty() || positions.back() != position))
                positions.push_back(position);
            if (!barWhileFurtherInstaller && wizard.Page() == 3 && FindWindowW(L"ZantivoScanDriverSetup", nullptr))
                barWhileFurtherInstaller = BarOnScreen(wizard);
            Sleep(10);
        }
        EXPECT_EQ(wizard.Page(), 4) << "the finish page did not show";
        return positions;
    }

    std::optional<std::pair<COLORREF, COLORREF>> barWhileFurtherInstaller;

    void ExpectExitCodeZero() {
        DWORD code = 1;
        ASSERT_TRUE(driver->WaitForExit(30000, code)) << "the program did not end";
        EXPECT_EQ(code, 0u);
    }

    // After an error box has been answered: the sequence ended there (the
    // finish page never shows, no install path is recorded), the wizard
    // waits on the installing page, and from there Cancel (with Yes) ends it.
    void ExpectEndedOnTheInstallingPageThenCancel(TSetupDriver& wizard) {
        Sleep(500);
        ASSERT_TRUE(wizard.Running());
        EXPECT_EQ(wizard.Page(), 3);
        EXPECT_FALSE(TRegKey::Open(HKEY_CURRENT_USER, L"Software\\Zantivo").ValueExists(L"InstallPath"));
        wizard.Press(L"ButtonCancel4");
        HWND question = wizard.WaitForDialog();
        ASSERT_NE(question, nullptr);
        TSetupDriver::Answer(question, IDYES);
        ExpectExitCodeZero();
    }

    // The uninstall log: the stored path of every logged entry, with its time.
    // (Directory entries have no keys, so the numbers have gaps.)
    static std::map<std::wstring, std::wstring> LoggedFiles(const std::wstring& destination) {
        std::map<std::wstring, std::wstring> logged;
        const TIniFile log(destination + L"Uninstall.log");
        for (const std::wstring& key : log.ReadSection(L"Zantivo"))
            if (!key.empty() && key[0] != L'D') logged[log.ReadString(L"Zantivo", key, L"")] =
                                                    log.ReadString(L"Zantivo", L"D" + key, L"<missing>");
        return logged;
    }

    // Setup run as a deployment engine runs it, waited for; its exit code.
    static DWORD RunSilently(const std::wstring& setupFolder, const std::wstring& arguments) {
        TSetupDriver setup(setupFolder + L"Setup.exe", arguments);
        DWORD code = 12345;
        EXPECT_TRUE(setup.WaitForExit(180000, code)) << "the program did not end";
        return code;
    }
    // The machine the product's installation sees: the user's folders (the
    // destinations, the shortcuts, the documents) and the product's places.
    TMachineState Machine() const { return ProductMachineState({user.Path()}); }

    ComApartment com;
    TempFolder logs;  // the installations' logs, kept out of the machine a test compares
    TempFolder user;  // the user's desktop, programs and documents folders, and the marker
    ShellFoldersOverride shellFolders{user.Path(), {L"Desktop", L"Programs", L"Personal"}};
    std::unique_ptr<TSetupDriver> driver;
};

// The walk a person makes, in two languages, and everything it leaves.
TEST_F(InstallTest, InstallsTheDemoProductInTwoLanguages) {
    const struct {
        const wchar_t* folder;
        const wchar_t* language;
        int number;  // the language's number in Language.ini
    } languages[] = {{L"demo", L"EN", 0}, {L"demo-de", L"DE", 1}};
    for (const auto& language : languages) {
        SCOPED_TRACE(language.language);
        ClearMachine();
        const std::wstring setup = Staged(language.folder);
        const std::wstring destination = user.Path() + language.language + L" Apps\\Zantivo Sys\\";
        auto message = [&](const wchar_t* id) { return Message(setup, language.language, id); };

        TSetupDriver& wizard = Run(setup);
        EXPECT_EQ(wizard.Caption(), FormatText(message(L"00000_00002"), L"Zantivo"));
        EXPECT_EQ(wizard.Text(L"Label1"), FormatText(message(L"00000_00003"), L"Zantivo"));
        wizard.Press(L"ButtonNext1");
        ASSERT_TRUE(wizard.WaitForPage(1));
        EXPECT_EQ(wizard.Text(L"EditDir"), L"C:\\Program Files\\ZantivoSys\\");  // no earlier installation
        wizard.Press(L"ButtonPrior2");
        ASSERT_TRUE(wizard.WaitForPage(0));
        WalkToReadyPage(wizard, destination.substr(0, destination.size() - 1));  // typed without the backslash
        EXPECT_TRUE(FolderExists(destination));
        EXPECT_EQ(wizard.Text(L"MemoInfo"), message(L"00000_00011") + L"\r\n\r\n" + message(L"00000_00012") +
                                                L"\r\n\r\n" + message(L"00000_00013") + L"\r\n\r\n    " +
                                                destination + L"\r\n\r\n");

        const std::vector<int> positions = Install(wizard);
        EXPECT_FALSE(positions.empty()) << "the bar was never seen";
        EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
        EXPECT_EQ(wizard.ProgressPosition(), 100);
        // Painted at the extraction's end: while the later steps hold the
        // window the screen shows the bar full, not where it was last painted
        // (the empty bar is white in this prefix's theme).
        ASSERT_TRUE(barWhileFurtherInstaller) << "the further installer's window was never seen";
        EXPECT_NE(barWhileFurtherInstaller->first, RGB(255, 255, 255));
        EXPECT_EQ(barWhileFurtherInstaller->second, barWhileFurtherInstaller->first);
        // The status line names the last file written, in the destination.
        const std::wstring statusFormat = message(L"00000_00019");
        const std::wstring status = wizard.Text(L"LabelInstall2", 3);
        EXPECT_TRUE(status.starts_with(statusFormat.substr(0, statusFormat.find(L"%s")) + destination))
            << WideToUtf8(status);
        // The further installer ran once, and the wizard waited for it before finishing.
        const std::wstring marker = user / L"further-installer.ini";
        EXPECT_EQ(TIniFile(marker).ReadInteger(L"Run", L"Runs", 0), 1);
        DeleteFileW(marker.c_str());
        wizard.Press(L"ButtonFinish");
        ExpectExitCodeZero();

        // Every file of the payload, byte for byte, except those the
        // installation goes on to rewrite; each one in the uninstall log.
        const std::set<std::wstring> payload = FilesBelow(ProductTree());
        ASSERT_FALSE(payload.empty());
        const std::map<std::wstring, std::wstring> logged = LoggedFiles(destination);
        for (const std::wstring& file : payload) {
            SCOPED_TRACE(file);
            ASSERT_TRUE(Exists(destination + file));
            if (!RewrittenByTheInstallation(file)) {
                EXPECT_EQ(ReadBytes(destination + file), ReadBytes(ProductTree() + file));
            }
            ASSERT_EQ(logged.count(file), 1u);
            EXPECT_NE(logged.at(file), L"-1");
        }
        EXPECT_EQ(logged.size(), payload.size());

        // Shortcuts: the program on the desktop and in the group, the
        // uninstaller, and the manual in the language (or English).
        const std::wstring programs = user / L"Programs\\Zantivo\\";
        const LinkFields program{destination + L"Zantivo.exe", destination, L"Zantivo", L""};
        EXPECT_EQ(ReadLink(programs + L"Zantivo.lnk"), program);
        EXPECT_EQ(ReadLink(user / L"Desktop\\Zantivo.lnk"), program);
        EXPECT_EQ(ReadLink(programs + L"UnInstall Zantivo.lnk"),
                  (LinkFields{destination + L"UnInstall.exe", destination, L"UnInstall Zantivo", L""}));
        const std::wstring manualName = message(L"00000_00022");
        EXPECT_EQ(ReadLink(programs + manualName + L".lnk"),
                  (LinkFields{destination + L"lang\\Zantivo" + language.language + L".pdf", destination + L"lang\\",
                              manualName, L""}));

        // The registry and the product's settings.
        EXPECT_EQ(TRegKey::Open(HKEY_CURRENT_USER, L"Software\\Zantivo").ReadString(L"InstallPath"), destination);
        const std::wstring systemIni = destination + L"System.ini";
        EXPECT_EQ(IniValue(systemIni, L"batch", L"root_path"), L"C:\\Zantivo\\");
        EXPECT_EQ(IniValue(systemIni, L"batch", L"CurrOutPicDir"), user / L"Personal\\");
        EXPECT_EQ(IniValue(systemIni, L"Sealed", L"edtContent"), L"Quendral WorkShop");
        EXPECT_EQ(IniValue(systemIni, L"Setup", L"Setupname"), L"Zantivo");
        EXPECT_EQ(IniValue(systemIni, L"HelpFile", L"HelpFileName_1"), L"QuickStart.pdf");
        EXPECT_EQ(ReadBytes(destination + L"QuickStart.pdf"), ReadBytes(setup + L"docs\\QuickStart.pdf"));
        EXPECT_EQ(TIniFile(destination + L"Lang\\Language.ini").ReadInteger(L"System", L"Languare", -1),
                  language.number);
        for (const wchar_t* batch : {L"Invoices", L"Letters", L"Receipts"}) {
            for (const wchar_t* sub : {L"Barcode", L"KeyWord", L"temp"})
                EXPECT_TRUE(FolderExists(L"C:\\Zantivo\\" + std::wstring(batch) + L"\\" + sub)) << batch << sub;
            EXPECT_EQ(ReadBytes(L"C:\\Zantivo\\" + std::wstring(batch) + L"\\Index.txt"), "\xFF\xFE");
        }
        EXPECT_EQ(ReadBytes(L"C:\\Zantivo\\Index.dat"), EncodeTextList({L"Invoices", L"Letters", L"Receipts"}));

        // What the installation placed in Windows itself.
        EXPECT_EQ(ReadBytes(CommonAppDataFolder() + L"\\Celartem\\defaults.dprepo"),
                  ReadBytes(ProductTree() + L"defaults.dprepo"));
        EXPECT_EQ(ReadBytes(WindowsSystemFolder() + L"borlndmm.dll"), ReadBytes(ProductTree() + L"bin\\borlndmm.dll"));
        EXPECT_TRUE(TRegKey::Open(HKEY_CLASSES_ROOT, std::wstring(kBarcodeClass) + L"\\ProgID").IsOpen());
    }
}

TEST_F(InstallTest, AnAlternateProductNameRenamesTheProgramShortcutsKeyAndTexts) {
    const std::wstring setup = Staged(L"demo-viewer");
    const std::wstring destination = user.Path() + L"Viewer\\";
    TSetupDriver& wizard = Run(setup);
    EXPECT_EQ(wizard.Caption(), FormatText(Message(setup, L"EN", L"00000_00002"), L"Viewer"));
    WalkToReadyPage(wizard, destination);
    Install(wizard);
    wizard.Press(L"ButtonFinish");
    ExpectExitCodeZero();

    EXPECT_EQ(ReadBytes(destination + L"Viewer.exe"), ReadBytes(ProductTree() + L"Zantivo.exe"));
    EXPECT_FALSE(Exists(destination + L"Zantivo.exe"));
    const LinkFields program{destination + L"Viewer.exe", destination, L"Viewer", L""};
    EXPECT_EQ(ReadLink(user / L"Programs\\Viewer\\Viewer.lnk"), program);
    EXPECT_EQ(ReadLink(user / L"Desktop\\Viewer.lnk"), program);
    EXPECT_EQ(ReadLink(user / L"Programs\\Viewer\\UnInstall Viewer.lnk").target, destination + L"UnInstall.exe");
    EXPECT_FALSE(Exists(user / L"Programs\\Zantivo"));
    EXPECT_EQ(TRegKey::Open(HKEY_CURRENT_USER, L"Software\\Viewer").ReadString(L"InstallPath"), destination);
    EXPECT_FALSE(TRegKey::Open(HKEY_CURRENT_USER, L"Software\\Zantivo").ValueExists(L"InstallPath"));
    EXPECT_EQ(IniValue(destination + L"System.ini", L"Setup", L"Setupname"), L"Viewer");
    // The product's language files carry the name; the generic word is gone.
    for (const wchar_t* language : {L"EN", L"DE", L"CN"}) {
        SCOPED_TRACE(language);
        const std::wstring res = destination + L"lang\\Res" + language + L".ini";
        EXPECT_EQ(IniValue(res, L"Res", L"00000_00000"), L"Viewer");
        EXPECT_EQ(IniValue(res, L"Res", L"00000_00001"), L"Viewer");
        EXPECT_EQ(IniValue(res, L"FormRes", L"00000000001"), L"Viewer");
        const std::wstring about = IniValue(res, L"FormRes", L"00000000396");
        EXPECT_EQ(about.find(L"Qorvix"), std::wstring::npos) << WideToUtf8(about);
        EXPECT_NE(about.find(L"Viewer"), std::wstring::npos) << WideToUtf8(about);
    }
}

TEST_F(InstallTest, WithoutThePayloadTheProgramEndsInOrderHavingWrittenNothing) {
    const std::wstring setup = Staged(L"no-payload");
    const std::wstring destination = user.Path() + L"Nothing\\";
    TSetupDriver& wizard = Run(setup);
    WalkToReadyPage(wizard, destination);
    wizard.Press(L"ButtonNext3");
    HWND box = wizard.WaitForDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TSetupDriver::DialogCaption(box), Message(setup, L"EN", L"00000_00018"));
    EXPECT_EQ(TSetupDriver::DialogText(box), Message(setup, L"EN", L"00000_00017"));
    EXPECT_EQ(wizard.Page(), 3);
    TSetupDriver::Answer(box, IDOK);
    ExpectExitCodeZero();
    EXPECT_TRUE(FilesBelow(destination).empty());
    EXPECT_FALSE(TRegKey::Open(HKEY_CURRENT_USER, L"Software\\Zantivo").ValueExists(L"InstallPath"));
    EXPECT_TRUE(FilesBelow(user / L"Programs").empty());
}

TEST_F(InstallTest, ADamagedPayloadShowsTheErrorAndKeepsTheInstallingPage) {
    for (const wchar_t* damage : {L"cut-short", L"cut-data"}) {
        SCOPED_TRACE(damage);
        const std::wstring setup = Staged(damage);
        TSetupDriver& wizard = Run(setup);
        WalkToReadyPage(wizard, user.Path() + damage + L"\\");
        wizard.Press(L"ButtonNext3");
        HWND box = wizard.WaitForDialog(60000);
        ASSERT_NE(box, nullptr) << "no error box";
        EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
        EXPECT_FALSE(TSetupDriver::DialogText(box).empty());
        TSetupDriver::Answer(box, IDOK);
        ExpectEndedOnTheInstallingPageThenCancel(wizard);
        driver.reset();
    }
}

TEST_F(InstallTest, CancelDuringTheExtractionUndoesItAndEndsTheProgram) {
    const std::wstring setup = Staged(L"demo-big");
    const std::wstring destination = user.Path() + L"Cancelled\\";
    TSetupDriver& wizard = Run(setup);
    WalkToReadyPage(wizard, destination);
    wizard.Press(L"ButtonNext3");
    // Once the big files are being written, Cancel; the question comes up
    // while the extraction lets messages through.
    const DWORD start = GetTickCount();
    while (!Exists(destination + L"media") && GetTickCount() - start < 60000) Sleep(5);
    ASSERT_TRUE(Exists(destination + L"media")) << "the extraction never reached the big files";
    wizard.Press(L"ButtonCancel4");
    HWND question = wizard.WaitForDialog();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(TSetupDriver::DialogCaption(question), L"Confirm");
    TSetupDriver::Answer(question, IDYES);
    ExpectExitCodeZero();

    // Everything extracted is undone, its log and the folder the destination
    // page made with it; the later steps never ran.
    EXPECT_FALSE(Exists(destination));
    EXPECT_FALSE(Exists(user / L"Programs\\Zantivo"));
    EXPECT_FALSE(TRegKey::Open(HKEY_CURRENT_USER, L"Software\\Zantivo").ValueExists(L"InstallPath"));
}

TEST_F(InstallTest, ASecondInstallationAndTheUninstallerLeaveNothingOfThePayload) {
    const std::wstring setup = Staged(L"demo");
    const std::wstring destination = user.Path() + L"Twice\\";
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        TSetupDriver& wizard = Run(setup);
        wizard.Press(L"ButtonNext1");
        ASSERT_TRUE(wizard.WaitForPage(1));
        if (run == 0) wizard.SetText(L"EditDir", destination);
        else EXPECT_EQ(wizard.Text(L"EditDir"), destination);  // the earlier installation's folder is proposed
        wizard.Press(L"ButtonNext2");
        ASSERT_TRUE(wizard.WaitForPage(2));
        Install(wizard);
        wizard.Press(L"ButtonFinish");
        ExpectExitCodeZero();
        driver.reset();
    }
    EXPECT_EQ(LoggedFiles(destination).size(), FilesBelow(ProductTree()).size());

    // The product's own uninstaller, as its shortcut starts it.
    const std::wstring uninstaller = destination + L"UnInstall.exe";
    std::wstring commandLine = L"\"" + uninstaller + L"\" /quiet";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(uninstaller.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               destination.c_str(), &startup, &process));
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // It removes itself last, from a copy that waits for it to end.
    for (int i = 0; i < 200 && Exists(uninstaller); ++i) Sleep(100);
    for (const std::wstring& file : FilesBelow(ProductTree())) EXPECT_FALSE(Exists(destination + file)) << file;
    EXPECT_FALSE(Exists(destination + L"Uninstall.log"));
}

// On a drive of 5 MB (T:, which the small_disk fixture maps to a tmpfs) the
// real program looks before it leaps: its box on the installing page says
// both figures and offers Retry and Cancel; Retry looks again, Cancel ends
// the installation as a failed step does, and nothing was written.
TEST_F(InstallTest, OnAFullDiskTheBoxSaysBothFiguresAndCancelWritesNothing) {
    SmallDisk disk("T:");
    if (!disk.Refusal().empty()) GTEST_SKIP() << disk.Refusal();
    ASSERT_TRUE(disk.Fault().empty()) << disk.Fault();
    disk.Clear();
    TempFolder setup;
    ASSERT_TRUE(CopyFileW((Build() + L"\\Setup.exe").c_str(), (setup / L"Setup.exe").c_str(), FALSE));
    WriteTestLanguages(setup.Path());
    CraftedEntry media;
    media.name = "media/scan.tif";
    media.data = std::string(8 << 20, 'x');
    media.password = "417263";
    WriteBytes(setup / L"Setup.dat", BuildArchive({media}));
    const std::wstring destination = L"T:\\Zantivo\\";

    TSetupDriver& wizard = Run(setup.Path());
    WalkToReadyPage(wizard, destination);
    ULARGE_INTEGER free;
    ASSERT_TRUE(GetDiskFreeSpaceExW(destination.c_str(), &free, nullptr, nullptr));
    // The file, and an allocation unit (4 KB on a tmpfs) for the log; Setup's own English texts.
    const std::wstring text = L"There is not enough free space on drive T:\\ to install the program.\r\n\r\n"
                              L"Space required: " + SizeText((8 << 20) + 4096, true) + L"\r\n"
                              L"Space available: " + SizeText(free.QuadPart, false);
    wizard.Press(L"ButtonNext3");
    for (int look = 0; look < 2; ++look) {  // the first answer is Retry: the box comes again
        SCOPED_TRACE(look);
        HWND box = wizard.WaitForDialog();
        ASSERT_NE(box, nullptr) << "no box";
        EXPECT_EQ(TSetupDriver::DialogCaption(box), L"EN message 1 for Zantivo");  // the application title
        EXPECT_EQ(TSetupDriver::DialogText(box), text);
        EXPECT_FALSE(TSetupDriver::DialogButton(box, IDRETRY).empty());
        EXPECT_FALSE(TSetupDriver::DialogButton(box, IDCANCEL).empty());
        EXPECT_EQ(wizard.Page(), 3);
        TSetupDriver::Answer(box, look == 0 ? IDRETRY : IDCANCEL);
        for (int i = 0; i < 500 && IsWindow(box); ++i) Sleep(10);  // gone before the next is looked for
    }

    // Cancel: the error box with the same text; the wizard stays on the installing page.
    HWND error = wizard.WaitForDialog();
    ASSERT_NE(error, nullptr) << "no error box";
    EXPECT_EQ(TSetupDriver::DialogText(error), ErrorBoxText(text));
    TSetupDriver::Answer(error, IDOK);
    ExpectEndedOnTheInstallingPageThenCancel(wizard);
    EXPECT_TRUE(FilesBelow(destination).empty());
}

// The payload's last entry cut short (its directory intact), installed as a
// deployment engine does: into a new folder, 1603 and nothing of it left;
// over a working installation whose user changed its settings, 1603 and that
// installation exactly as it was.
TEST_F(InstallTest, ADamagedLastEntryFailsASilentInstallationWith1603AndLeavesTheMachineAsItWas) {
    const std::wstring setup = Staged(L"cut-last");
    const std::wstring fresh = user / L"New Apps\\Zantivo\\", log = logs / L"fresh.log";
    TMachineState before = Machine();
    EXPECT_EQ(RunSilently(setup, L"/S /D=" + fresh + L" /LOG=\"" + log + L"\""), 1603u);
    TMachineState after = Machine();
    // Start-up opens the product's key, creating it (as the wizard always
    // has, installing or not); it stays empty.
    EXPECT_EQ(after.erase(L"key HKCU\\Software\\Zantivo"), 1u);
    EXPECT_EQ(FirstDifference(before, after), L"");
    const std::wstring text = Utf8ToWide(ReadBytes(log));
    for (const wchar_t* line : {L"Step \"Extracting the payload\": failed", L"Step \"Undoing the installation\": done",
                                L"The installation is undone", L"Exit code: 1603"})
        EXPECT_NE(text.find(line), std::wstring::npos) << WideToUtf8(line) << "\n" << WideToUtf8(text);

    const std::wstring destination = user / L"Apps\\Zantivo\\";
    ASSERT_EQ(RunSilently(Staged(L"demo"), L"/S /D=" + destination), 0u);
    TIniFile(destination + L"System.ini").WriteString(L"batch", L"root_path", L"D:\\Scans\\");
    TIniFile(destination + L"Lang\\Language.ini").WriteInteger(L"System", L"Languare", 2);
    WriteBytes(destination + L"notes.txt", "the user's own");
    before = Machine();
    EXPECT_EQ(RunSilently(setup, L"/S /D=" + destination), 1603u);
    EXPECT_EQ(FirstDifference(before, Machine()), L"");
    EXPECT_FALSE(FileExistsW(JournalPath()));
}

// A process killed while it extracts (over an earlier installation) leaves
// its journal; the next Setup, the wizard as it starts or a silent run
// whatever it then does, first puts the earlier installation back; and an
// installation after that completes.
TEST_F(InstallTest, AnInstallationKilledMidExtractionIsUndoneByTheNextRunWhichThenCompletes) {
    const std::wstring destination = user / L"Apps\\Zantivo\\", killedLog = logs / L"killed.log";
    ASSERT_EQ(RunSilently(Staged(L"demo"), L"/S /D=" + destination), 0u);
    TIniFile(destination + L"System.ini").WriteString(L"batch", L"root_path", L"D:\\Scans\\");
    // A file of the user's where the third big file goes, held open: the
    // installation waits there (retrying it), so it is surely killed mid-way.
    MakeFolders(destination + L"media");
    WriteBytes(destination + L"media\\scan3.tif", "the user's");
    const TMachineState before = Machine();
    auto killMidExtraction = [&] {
        DeleteFileW(killedLog.c_str());
        {
            LockedFile inUse(destination + L"media\\scan3.tif");
            TSetupDriver killed(Staged(L"demo-big") + L"Setup.exe",
                                L"/S /D=" + destination + L" /LOG=\"" + killedLog + L"\"");
            const DWORD start = GetTickCount();
            auto waiting = [&] {
                return FileExistsW(killedLog) && ReadBytesWhileWritten(killedLog).find("retrying in") != std::string::npos;
            };
            while (!waiting() && GetTickCount() - start < 60000) Sleep(20);
            ASSERT_TRUE(Exists(destination + L"media\\scan2.tif")) << "the extraction never reached the big files";
            ASSERT_TRUE(TerminateProcess(killed.Process(), 9));
            WaitForSingleObject(killed.Process(), 30000);
        }
        EXPECT_TRUE(FileExistsW(JournalPath()));
        EXPECT_NE(FirstDifference(before, Machine()), L"") << "the killed installation had changed nothing";
    };
    auto expectUndone = [&](const std::wstring& log) {
        EXPECT_EQ(FirstDifference(before, Machine()), L"");
        EXPECT_FALSE(FileExistsW(JournalPath()));
        const std::wstring text = Utf8ToWide(ReadBytesWhileWritten(log));
        for (const wchar_t* line : {L"of an earlier installation that did not end", L"Undone: the earlier ",
                                    L"The installation is undone"})
            EXPECT_NE(text.find(line), std::wstring::npos) << WideToUtf8(line) << "\n" << WideToUtf8(text);
    };

    // The wizard, as it starts: the earlier installation is back by the time
    // its destination page shows.
    killMidExtraction();
    {
        const std::wstring log = logs / L"wizard.log";
        TSetupDriver& wizard = *(driver = std::make_unique<TSetupDriver>(Staged(L"demo") + L"Setup.exe",
                                                                          L"/LOG=\"" + log + L"\""));
        wizard.Press(L"ButtonNext1");
        ASSERT_TRUE(wizard.WaitForPage(1));
        expectUndone(log);
        PostMessageW(wizard.Window(), WM_CLOSE, 0, 0);
        ExpectExitCodeZero();
        driver.reset();
    }
    // A silent run, here one without a payload: it undoes the killed one first, then fails as it must.
    killMidExtraction();
    EXPECT_EQ(RunSilently(Staged(L"no-payload"), L"/S /D=" + destination + L" /LOG=\"" + logs / L"silent.log" + L"\""),
              1603u);
    expectUndone(logs / L"silent.log");

    // And then an installation completes.
    EXPECT_EQ(RunSilently(Staged(L"demo-big"), L"/S /D=" + destination), 0u);
    EXPECT_EQ(ReadBytes(destination + L"media\\scan4.tif").size(), 16u << 20);
    for (const auto& [what, content] : Machine())
        EXPECT_EQ(what.find(L".setup-earlier"), std::wstring::npos) << WideToUtf8(what);
    EXPECT_FALSE(FileExistsW(JournalPath()));
}

}  // namespace
