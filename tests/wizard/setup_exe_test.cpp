// The real Setup.exe, started from a setup folder of its own and driven from
// this process as a person would: pages, texts, the folder box, the
// confirmation, the keyboard, and the exit code of every way out.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/setup_driver.h"
#include "support/temp_folder.h"
#include "support/test_languages.h"

namespace {

std::string ManifestOf(const std::wstring& exe) {
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return {};
    std::string text;
    if (HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        HGLOBAL data = LoadResource(module, res);
        text.assign(static_cast<const char*>(LockResource(data)), SizeofResource(module, res));
    }
    FreeLibrary(module);
    return text;
}

std::wstring BuiltSetupExe() { return EnvironmentPath(L"SETUP_BUILD") + L"\\Setup.exe"; }

class SetupExeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CopyFileW(BuiltSetupExe().c_str(), (setup / L"Setup.exe").c_str(), FALSE));
        WriteTestLanguages(setup.Path());
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Zantivo");
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Zantivo"); }

    // Runs the wizard and waits for its window.
    TSetupDriver& Run() {
        driver = std::make_unique<TSetupDriver>(setup / L"Setup.exe");
        EXPECT_NE(driver->Window(), nullptr) << "no visible wizard window";
        return *driver;
    }
    void ExpectExitCodeZero() {
        DWORD code = 1;
        ASSERT_TRUE(driver->WaitForExit(20000, code)) << "the program did not end";
        EXPECT_EQ(code, 0u);
    }

    TempFolder setup;
    std::unique_ptr<TSetupDriver> driver;
};

TEST(SetupExeManifestTest, AsksForAdministratorRightsWithClassicControlsAndIsDpiAware) {
    std::string manifest = ManifestOf(BuiltSetupExe());
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);
    // The form lays itself out for each monitor's DPI (tests/check_setup_exe.sh reads the namespaces).
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
}

TEST_F(SetupExeTest, WalksTheFirstThreePagesAndCloses) {
    TSetupDriver& wizard = Run();
    RECT client;
    GetClientRect(wizard.Window(), &client);
    EXPECT_EQ(client.right, 732);
    EXPECT_EQ(client.bottom, 348);
    EXPECT_FALSE(GetWindowLongW(wizard.Window(), GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX));
    EXPECT_EQ(wizard.Caption(), L"EN message 2 for Zantivo");
    EXPECT_EQ(wizard.Page(), 0);
    EXPECT_EQ(wizard.Text(L"Label1"), L"EN message 3 for Zantivo");
    EXPECT_FALSE(wizard.IsEnabled(L"ButtonPrior1"));

    wizard.Press(L"ButtonNext1");
    ASSERT_TRUE(wizard.WaitForPage(1));
    EXPECT_EQ(wizard.Text(L"Label3"), L"");
    EXPECT_EQ(wizard.Text(L"LabelDir"), L"EN message 6 for Zantivo");
    EXPECT_NE(wizard.Text(L"EditDir").find(L":\\Program Files\\ZantivoSys\\"), std::wstring::npos);

    // A folder typed without its backslash is completed, created and summarised.
    const std::wstring target = setup.Path() + L"Chosen";
    wizard.SetText(L"EditDir", target);
    wizard.Press(L"ButtonNext2");
    ASSERT_TRUE(wizard.WaitForPage(2));
    EXPECT_EQ(wizard.Text(L"EditDir"), L"");  // the box is on the hidden page now
    EXPECT_EQ(wizard.Text(L"MemoInfo"),
              L"EN message 11\r\n\r\nEN message 12\r\n\r\nEN message 13\r\n\r\n    " + target + L"\\\r\n\r\n");
    EXPECT_NE(GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES);

    wizard.Press(L"ButtonPrior3");
    ASSERT_TRUE(wizard.WaitForPage(1));
    EXPECT_EQ(wizard.Text(L"EditDir"), target + L"\\");

    // The close box ends the program at once, without a question.
    PostMessageW(wizard.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectExitCodeZero();
}

TEST_F(SetupExeTest, AFolderThatCannotBeMadeShowsTheErrorAndKeepsThePage) {
    TSetupDriver& wizard = Run();
    wizard.Press(L"ButtonNext1");
    ASSERT_TRUE(wizard.WaitForPage(1));
    wizard.SetText(L"EditDir", L"");
    wizard.Press(L"ButtonNext2");
    HWND box = wizard.WaitForDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TSetupDriver::DialogCaption(box), L"EN message 1 for Zantivo");  // the application title
    EXPECT_EQ(TSetupDriver::DialogText(box), L"EN message 10.");
    TSetupDriver::Answer(box, IDOK);
    Sleep(300);
    EXPECT_EQ(wizard.Page(), 1);
    EXPECT_TRUE(wizard.Running());
}

TEST_F(SetupExeTest, CancelEndsAtOnceOnTheWelcomePageAndAsksElsewhere) {
    {
        TSetupDriver& wizard = Run();
        wizard.Press(L"ButtonCancel1");
        ExpectExitCodeZero();
    }
    TSetupDriver& wizard = Run();
    wizard.Press(L"ButtonNext1");
    ASSERT_TRUE(wizard.WaitForPage(1));
    wizard.Press(L"ButtonCancel2");
    HWND question = wizard.WaitForDialog();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(TSetupDriver::DialogCaption(question), L"Confirm");
    EXPECT_EQ(TSetupDriver::DialogText(question), L"EN message 15 for Zantivo");
    EXPECT_EQ(TSetupDriver::DialogButton(question, IDYES), L"&Yes");
    EXPECT_EQ(TSetupDriver::DialogButton(question, IDNO), L"&No");
    TSetupDriver::Answer(question, IDNO);
    Sleep(300);
    EXPECT_TRUE(wizard.Running());
    EXPECT_EQ(wizard.Page(), 1);

    wizard.Press(L"ButtonCancel2");
    question = wizard.WaitForDialog();
    ASSERT_NE(question, nullptr);
    TSetupDriver::Answer(question, IDYES);
    ExpectExitCodeZero();
}

TEST_F(SetupExeTest, TheKeyboardWorksAsInAnyDialog) {
    TSetupDriver& wizard = Run();
    EXPECT_TRUE(wizard.WaitForFocus(L"ButtonNext1"));
    wizard.Type(VK_RETURN);  // Enter presses the page's default button
    ASSERT_TRUE(wizard.WaitForPage(1, 5000));
    EXPECT_TRUE(wizard.WaitForFocus(L"ButtonNext2"));
    wizard.Type('B', true);  // Alt+B: "EN &Back"
    ASSERT_TRUE(wizard.WaitForPage(0, 5000));
    EXPECT_TRUE(wizard.WaitForFocus(L"ButtonNext1"));
    wizard.Type(VK_TAB);  // from Next to Cancel (Back is disabled)
    EXPECT_TRUE(wizard.WaitForFocus(L"ButtonCancel1"));
    wizard.Type(VK_RETURN);  // Enter presses the focused button: Cancel on the welcome page ends at once
    ExpectExitCodeZero();
}

}  // namespace
