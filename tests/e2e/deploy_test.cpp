// Setup.exe with switches in the tests' own prefix: the wizard given a folder
// and a log, listed in Apps & Features afterwards, and removed again by the
// command found there, shortcuts and all (but not the user's own); and the
// usage for a command line Setup does not understand.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>

#include "e2e/setup_driver.h"
#include "support/link_files.h"
#include "support/registry_values.h"
#include "support/temp_folder.h"
#include "util/error.h"
#include "util/handles.h"
#include "util/registry.h"

namespace {

std::wstring DemoSetup() { return EnvironmentPath(L"SETUP_BUILD") + L"\\tests\\e2e-folders\\demo\\Setup.exe"; }
const std::wstring kEntry = std::wstring(kUninstallKey) + L"Zantivo";

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring ReadText(const std::wstring& path) {
    const std::string bytes = ReadBytes(path);
    return bytes.starts_with("\xEF\xBB\xBF") ? Utf8ToWide(bytes.substr(3)) : L"(no byte-order mark)";
}

class DeployTest : public ::testing::Test {
protected:
    void SetUp() override { ClearMachine(); }
    void TearDown() override { ClearMachine(); }
    static void ClearMachine() {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Zantivo");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kEntry.c_str());
        RemoveTree(L"C:\\Zantivo");
    }

    ComApartment com;
    TempFolder user;
    ShellFoldersOverride shellFolders{user.Path(), {L"Desktop", L"Programs", L"Personal"}};
};

TEST_F(DeployTest, TheWizardIsListedAndTheQuietUninstallRemovesWhatItMadeOutsideItsFolder) {
    const std::wstring destination = user / L"Listed Apps\\Zantivo\\", log = user / L"logs\\wizard.log";
    {
        TSetupDriver wizard(DemoSetup(), L"/DIR=\"" + destination + L"\" /LOG=\"" + log + L"\"");
        wizard.Press(L"ButtonNext1");
        ASSERT_TRUE(wizard.WaitForPage(1));
        EXPECT_EQ(wizard.Text(L"EditDir"), destination);  // the folder given, not the proposed one
        wizard.Press(L"ButtonNext2");
        ASSERT_TRUE(wizard.WaitForPage(2));
        wizard.Press(L"ButtonNext3");
        ASSERT_TRUE(wizard.WaitForPage(4, 120000));
        wizard.Press(L"ButtonFinish");
        DWORD code = 1;
        ASSERT_TRUE(wizard.WaitForExit(30000, code));
        EXPECT_EQ(code, 0u);
    }
    const std::wstring text = ReadText(log);
    for (const std::wstring& line :
         {L"Arguments: /DIR=\"" + destination + L"\" /LOG=\"" + log + L"\"", std::wstring(L"Mode: wizard"),
          L"Installing into " + destination + L" in the language EN",
          std::wstring(L"Step \"Extracting the payload\": done after"),
          L"Apps & Features: registered as HKEY_LOCAL_MACHINE\\" + kEntry,
          std::wstring(L"The wizard ends the program. Exit code: 0\r\n")})
        EXPECT_NE(text.find(line), std::wstring::npos) << WideToUtf8(line) << "\n" << WideToUtf8(text);

    const TRegKey entry = TRegKey::Open(HKEY_LOCAL_MACHINE, kEntry);
    EXPECT_EQ(entry.ReadString(L"DisplayName"), L"Zantivo");
    EXPECT_EQ(entry.ReadString(L"DisplayVersion"), L"1.0.0");
    EXPECT_EQ(entry.ReadString(L"InstallLocation"), destination);
    const std::wstring quiet = entry.ReadString(L"QuietUninstallString");
    EXPECT_EQ(quiet, L"\"" + destination + L"UnInstall.exe\" /quiet");
    const std::wstring group = user / L"Programs\\Zantivo\\";
    ASSERT_EQ(ReadLink(group + L"Zantivo.lnk").target, destination + L"Zantivo.exe");

    // The user's own links, one into the program group, one into a folder whose
    // name begins like the product's: they and the group stay.
    wchar_t notepad[MAX_PATH];
    GetSystemDirectoryW(notepad, MAX_PATH);
    const std::wstring elsewhere = std::wstring(notepad) + L"\\notepad.exe";
    WriteLink(user / L"Desktop\\Notes.lnk", elsewhere);
    WriteLink(group + L"Notes.lnk", elsewhere);
    WriteLink(user / L"Desktop\\Old.lnk", user / L"Listed Apps\\Zantivo Old\\Zantivo.exe");

    // As Apps & Features and the deployment engines run it: the whole command line.
    std::wstring commandLine = quiet;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    DWORD code = 1;
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(code, 0u);
    for (int i = 0; i < 300 && Exists(destination + L"UnInstall.exe"); ++i) Sleep(100);

    EXPECT_FALSE(Exists(destination + L"Zantivo.exe"));
    EXPECT_FALSE(TRegKey::Open(HKEY_LOCAL_MACHINE, kEntry).IsOpen());
    EXPECT_FALSE(TRegKey::Open(HKEY_CURRENT_USER, L"Software\\Zantivo").ValueExists(L"InstallPath"));
    for (const std::wstring& gone : {user / L"Desktop\\Zantivo.lnk", group + L"Zantivo.lnk",
                                     group + L"UnInstall Zantivo.lnk", group + L"User Manual.lnk"})
        EXPECT_FALSE(Exists(gone)) << WideToUtf8(gone);
    for (const std::wstring& kept : {user / L"Desktop\\Notes.lnk", user / L"Desktop\\Old.lnk", group + L"Notes.lnk"})
        EXPECT_TRUE(Exists(kept)) << WideToUtf8(kept);
}

TEST_F(DeployTest, ACommandLineSetupDoesNotUnderstandShowsTheUsageUnlessSilent) {
    const struct {
        const wchar_t* arguments;
        const wchar_t* says;  // in the box, or null when no box may show
        DWORD exitCode;
    } cases[] = {
        {L"/BOGUS", L"Invalid command line: unknown switch \"/BOGUS\"", 1639},
        {L"/LANG=XX", L"the setup folder has no language \"XX\" (it has EN, DE, CN)", 1639},
        {L"/?", L"/S, /VERYSILENT or /quiet: install with no window and no message box.", 0},
        {L"/S /BOGUS", nullptr, 1639},
        {L"-quiet -help", nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.arguments));
        TSetupDriver setup(DemoSetup(), c.arguments);
        if (c.says) {
            HWND box = setup.WaitForDialog();
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(TSetupDriver::DialogCaption(box), L"Zantivo Setup");
            EXPECT_NE(TSetupDriver::DialogText(box).find(c.says), std::wstring::npos)
                << WideToUtf8(TSetupDriver::DialogText(box));
            TSetupDriver::Answer(box, IDOK);
        }
        DWORD code = 12345;
        ASSERT_TRUE(setup.WaitForExit(30000, code)) << "a box waits for nobody";
        EXPECT_EQ(code, c.exitCode);
    }
}

}  // namespace
