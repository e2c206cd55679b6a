// The wizard form in-process, on a setup folder of its own: start-up,
// navigation, the destination folder, cancel, close and finish. Dialogs are
// answered and exits recorded by RecordingDialogs; files, the registry and
// started programs are the real ones.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "support/recording_dialogs.h"
#include "support/temp_folder.h"
#include "support/test_languages.h"
#include "ui/dialogs.h"
#include "util/code_page.h"
#include "util/file_ops.h"
#include "util/registry.h"
#include "wizard/U1.h"
#include "wizard/destination_folder.h"
#include "wizard/system_folders.h"

namespace {

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteProductKeys(); }
    void TearDown() override {
        form.reset();
        DeleteProductKeys();
    }
    static void DeleteProductKeys() {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Zantivo");
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Viewer");
    }

    void WriteLanguages(const std::wstring& start = L"EN", const std::wstring& alternateName = L"") {
        WriteTestLanguages(setup.Path(), start, alternateName);
    }
    TForm1& Start() {
        catalogue = std::make_unique<TMultiLanguage>(setup.Path() + L"Setup.exe");
        form = std::make_unique<TForm1>(*catalogue, setup.Path());
        return *form;
    }
    static void WriteInstallPath(const std::wstring& key, const std::wstring& value) {
        TRegKey::OpenOrCreate(HKEY_CURRENT_USER, key).WriteString(L"InstallPath", value);
    }
    static void Press(TControl* button) { SendMessageW(button->Handle(), BM_CLICK, 0, 0); }
    static std::wstring DefaultFolder() { return WindowsFolder().substr(0, 3) + L"Program Files\\ZantivoSys\\"; }

    RecordingDialogs dialogs;
    TempFolder setup;
    std::unique_ptr<TMultiLanguage> catalogue;
    std::unique_ptr<TForm1> form;
};

TEST_F(WizardTest, StartUpProposesTheDefaultOrTheEarlierFolder) {
    WriteLanguages();
    const struct {
        const wchar_t* key;     // where an earlier installation left its folder, or null
        const wchar_t* stored;  // its InstallPath
        const wchar_t* alternateName;
        std::wstring expected;
    } cases[] = {
        {nullptr, nullptr, L"", DefaultFolder()},
        {L"Software\\Zantivo", L"D:\\Apps\\Zantivo\\", L"", L"D:\\Apps\\ZantivoSys\\"},
        {L"Software\\Zantivo", L"D:\\Apps\\ZantivoSys\\", L"", L"D:\\Apps\\ZantivoSys\\"},
        {L"Software\\Zantivo", L"D:\\Tools\\", L"", L"D:\\Tools\\"},
        {L"Software\\Zantivo", L"D:\\Zantivo\\Zantivo\\", L"", L"D:\\ZantivoSys\\ZantivoSys\\"},
        {L"Software\\Zantivo", L"D:\\apps\\zantivo\\", L"", L"D:\\apps\\zantivo\\"},
        {L"Software\\Zantivo", L"", L"", L""},
        // An alternate product name reads its own key; the rule still looks for "Zantivo".
        {L"Software\\Viewer", L"E:\\Zantivo\\", L"Viewer", L"E:\\ZantivoSys\\"},
        {L"Software\\Zantivo", L"E:\\Zantivo\\", L"Viewer", DefaultFolder()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : L"(no value)");
        DeleteProductKeys();
        WriteLanguages(L"EN", c.alternateName);
        if (c.key) WriteInstallPath(c.key, c.stored);
        TForm1& wizard = Start();
        EXPECT_EQ(wizard.EditDir->Text(), c.expected);
        // Merely starting the wizard creates the product key.
        const std::wstring productKey = *c.alternateName ? L"Software\\Viewer" : L"Software\\Zantivo";
        EXPECT_TRUE(TRegKey::Open(HKEY_CURRENT_USER, productKey).IsOpen());
        form.reset();
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(WizardTest, StartUpChoosesTheLanguageAndAppliesItsTexts) {
    WriteLanguages(L"DE");
    TForm1& wizard = Start();
    EXPECT_EQ(catalogue->CurrentIndex, 1);
    EXPECT_EQ(wizard.Caption(), L"DE message 2 for Zantivo");
    EXPECT_EQ(Application().Title(), L"DE message 1 for Zantivo");
    EXPECT_EQ(wizard.Label1->Text(), L"DE message 3 for Zantivo");
    EXPECT_EQ(wizard.Memo1->Text(), L"DE message 4 for Zantivo\r\n\r\n\r\n\r\n\r\n\r\nDE message 5");
    EXPECT_EQ(wizard.LabelCompanyAll1->Text(), L"Zantivo");  // message 24 is empty
    EXPECT_EQ(wizard.ButtonNext1->Text(), L"DE &Next");
    EXPECT_EQ(wizard.lbl1->Text(), L"DE language");
    EXPECT_EQ(wizard.PageControl1->ActivePageIndex(), 0);
    // The language box is filled with the names in the current language and never shows.
    EXPECT_EQ(wizard.cbLanage->Items(), (std::vector<std::wstring>{L"Englisch", L"Deutsch"}));
    EXPECT_EQ(wizard.cbLanage->ItemIndex(), 1);
    for (TControl* hidden : {static_cast<TControl*>(wizard.cbLanage), static_cast<TControl*>(wizard.lbl1),
                             static_cast<TControl*>(wizard.LabelCompanyAll1)})
        EXPECT_FALSE(hidden->Visible()) << hidden->Name();

    // Picking the other language applies its texts and keeps the position.
    wizard.cbLanage->SetItemIndex(0);
    wizard.cbLanageClick(*wizard.cbLanage);
    EXPECT_EQ(wizard.Caption(), L"EN message 2 for Zantivo");
    EXPECT_EQ(wizard.cbLanage->Items(), (std::vector<std::wstring>{L"English", L"German"}));
    EXPECT_EQ(wizard.cbLanage->ItemIndex(), 0);

    // A language whose text file went away after the start drops out of the box
    // when it is picked; the texts are applied again and nothing else changes.
    DeleteFileW((setup / L"lang\\ResDE.ini").c_str());
    wizard.cbLanage->SetItemIndex(1);
    wizard.cbLanageClick(*wizard.cbLanage);
    EXPECT_EQ(catalogue->CurrentIndex, 0);
    EXPECT_EQ(wizard.Caption(), L"EN message 2 for Zantivo");
    EXPECT_EQ(wizard.cbLanage->Items(), (std::vector<std::wstring>{L"English"}));
}

TEST_F(WizardTest, StartUpFallsBackWhenLanguagesAreMissing) {
    // The start language's text file is missing: the first remaining language is used.
    WriteLanguages(L"DE");
    DeleteFileW((setup / L"lang\\ResDE.ini").c_str());
    {
        TForm1& wizard = Start();
        EXPECT_EQ(catalogue->CurrentIndex, 0);
        EXPECT_EQ(wizard.Caption(), L"EN message 2 for Zantivo");
        EXPECT_EQ(wizard.cbLanage->Items(), (std::vector<std::wstring>{L"English"}));
        EXPECT_EQ(wizard.cbLanage->ItemIndex(), 0);
    }
    // No language files at all: design texts stay, message texts are empty, the
    // folder is still proposed.
    DeleteFileW((setup / L"lang\\ResEN.ini").c_str());
    DeleteFileW((setup / L"lang\\Language.ini").c_str());
    TForm1& wizard = Start();
    EXPECT_EQ(wizard.cbLanage->Count(), 0);
    EXPECT_EQ(wizard.Label1->Text(), L"");
    EXPECT_EQ(wizard.ButtonNext1->Text(), L"\u4e0b\u4e00\u6b65(&N)>");
    EXPECT_EQ(wizard.EditDir->Text(), DefaultFolder());
    EXPECT_TRUE(dialogs.shown.empty());
}

// An error in the start-up is shown, the rest of the start-up is skipped,
// and the window still opens.
TEST_F(WizardTest, AnErrorInTheStartUpIsShownAndTheWindowStillOpens) {
    WriteLanguages();
    WriteUtf16File(setup / L"lang\\ResEN.ini", L"[Res]\r\n00000_00001=Setup\r\n00000_00002=%d files\r\n");
    TForm1& wizard = Start();
    EXPECT_EQ(dialogs.shown,
              (std::vector<std::wstring>{L"error: Format '%d files' invalid or incompatible with argument."}));
    EXPECT_TRUE(IsWindowVisible(wizard.Handle()));
    EXPECT_EQ(wizard.EditDir->Text(), L"");  // the folder is proposed after the texts
}

TEST_F(WizardTest, TheWelcomePictureComesFromTheSetupFolderWhenItDecodes) {
    WriteLanguages();
    {
        TForm1& wizard = Start();  // no Lang\setup.jpg: the built-in picture on both pages
        ASSERT_NE(wizard.Image5->Pixels(), nullptr);
        EXPECT_EQ(wizard.Image1->Pixels(), wizard.Image5->Pixels());
        EXPECT_EQ(wizard.Image2->Pixels(), wizard.Image5->Pixels());
        EXPECT_EQ(wizard.Image1->Pixels()->width, 201);
        ASSERT_NE(wizard.ImageIco1->Pixels(), nullptr);
        EXPECT_EQ(wizard.ImageIco3->Pixels(), wizard.ImageIco1->Pixels());
        ASSERT_NE(wizard.ImageDir->Pixels(), nullptr);
        EXPECT_EQ(wizard.ImageDir->Pixels()->width, 47);
    }
    const std::wstring jpeg = EnvironmentPath(L"SETUP_BUILD") + L"\\tests\\data\\red-blue.jpg";
    ASSERT_TRUE(CopyFileW(jpeg.c_str(), (setup / L"Lang\\setup.jpg").c_str(), FALSE));
    {
        TForm1& wizard = Start();
        ASSERT_NE(wizard.Image1->Pixels(), nullptr);
        EXPECT_EQ(wizard.Image1->Pixels()->width, 128);  // the test picture, on the welcome ...
        EXPECT_EQ(wizard.Image2->Pixels(), wizard.Image1->Pixels());  // ... and the finish page
    }
    // A picture that does not decode is passed over: the built-in one shows and
    // the start-up goes on to the end.
    WriteBytes(setup / L"Lang\\setup.jpg", "\xFF\xD8 not really a JPEG");
    TForm1& wizard = Start();
    EXPECT_EQ(wizard.Image1->Pixels(), wizard.Image5->Pixels());
    EXPECT_EQ(wizard.EditDir->Text(), DefaultFolder());
    EXPECT_EQ(wizard.Label1->Text(), L"EN message 3 for Zantivo");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(WizardTest, NavigationAcrossTheFirstThreePages) {
    WriteLanguages();
    TForm1& wizard = Start();
    EXPECT_FALSE(wizard.ButtonPrior1->Enabled());
    EXPECT_EQ(wizard.Label3->Text(), L"EN heading");

    Press(wizard.ButtonNext1);
    EXPECT_EQ(wizard.PageControl1->ActivePageIndex(), 1);
    EXPECT_TRUE(wizard.TabSheet2->Visible());
    EXPECT_FALSE(wizard.TabSheet1->Visible());
    EXPECT_EQ(wizard.Label3->Text(), L"");  // heading and instruction are blanked
    EXPECT_EQ(wizard.Label4->Text(), L"");
    Press(wizard.ButtonPrior2);
    EXPECT_EQ(wizard.PageControl1->ActivePageIndex(), 0);

    // A language change re-applies them; going forward blanks them again.
    wizard.cbLanageClick(*wizard.cbLanage);
    EXPECT_EQ(wizard.Label3->Text(), L"EN heading");
    Press(wizard.ButtonNext1);
    EXPECT_EQ(wizard.Label3->Text(), L"");

    const std::wstring folder = setup.Path() + L"Target";
    wizard.EditDir->SetText(folder);
    Press(wizard.ButtonNext2);
    EXPECT_EQ(wizard.PageControl1->ActivePageIndex(), 2);
    EXPECT_EQ(wizard.EditDir->Text(), folder + L"\\");
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_EQ(wizard.MemoInfo->Text(), L"EN message 11\r\n\r\nEN message 12\r\n\r\nEN message 13\r\n\r\n    " + folder +
                                           L"\\\r\n\r\n");
    Press(wizard.ButtonPrior3);
    EXPECT_EQ(wizard.PageControl1->ActivePageIndex(), 1);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(dialogs.exits.empty());
}

TEST_F(WizardTest, TheDestinationFolderIsCreatedWithItsParentsOrRefused) {
    WriteLanguages();
    TForm1& wizard = Start();
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    SetCurrentDirectoryW(setup.Path().c_str());  // where a relative name lands
    const std::wstring root = setup.Path();
    const struct {
        std::wstring typed;
        std::wstring box;                // the box afterwards
        std::vector<std::wstring> made;  // folders that exist afterwards
        bool accepted;
    } cases[] = {
        {root + L"a\\b\\c\\", root + L"a\\b\\c\\", {root + L"a", root + L"a\\b", root + L"a\\b\\c"}, true},
        {root + L"Data", root + L"Data\\", {root + L"Data"}, true},
        {root + L"x/y\\", root + L"x/y\\", {root + L"x", root + L"x\\y"}, true},  // forward slashes separate too
        {L"relative", L"relative\\", {root + L"relative"}, true},
        {root.substr(0, 2), root.substr(0, 3), {}, true},     // a drive alone
        {L"Q:\\no\\such\\drive", L"Q:\\no\\such\\drive\\", {}, false},
        {L"", L"", {}, false},                                // nothing is appended to an empty box
        {root + L"\u4e2d\u6587", root + L"\u4e2d\u6587\\", {}, false},  // not in the ANSI code page
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        dialogs.shown.clear();
        wizard.ShowPage(1);
        wizard.MemoInfo->SetText(L"unchanged");
        wizard.EditDir->SetText(c.typed);
        Press(wizard.ButtonNext2);
        EXPECT_EQ(wizard.EditDir->Text(), c.box);
        for (const std::wstring& folder : c.made) EXPECT_TRUE(FolderExists(folder)) << folder;
        if (c.accepted) {
            EXPECT_EQ(wizard.PageControl1->ActivePageIndex(), 2);
            EXPECT_TRUE(dialogs.shown.empty());
        } else {
            // Message 10 in the error box (with the full stop the box adds); the page and summary stay.
            EXPECT_EQ(wizard.PageControl1->ActivePageIndex(), 1);
            EXPECT_EQ(dialogs.shown, (std::vector<std::wstring>{L"error: EN message 10."}));
            EXPECT_EQ(wizard.MemoInfo->Text(), L"unchanged");
        }
    }
    EXPECT_FALSE(FolderExists(root + L"\u4e2d\u6587"));
    SetCurrentDirectoryW(current);
}

TEST_F(WizardTest, CreateFolderChainNeverLooksAtTheDrivePart) {
    TempFolder scratch;
    // Parents are created outermost first down to an existing folder; the
    // first three characters are never taken as a separator.
    EXPECT_TRUE(CreateFolderChain(WideToAnsi(scratch.Path() + L"p\\q\\r\\")));
    EXPECT_TRUE(FolderExists(scratch.Path() + L"p\\q\\r"));
    EXPECT_FALSE(CreateFolderChain("Q:\\"));
    EXPECT_FALSE(CreateFolderChain("Q:/x\\"));
    EXPECT_FALSE(CreateFolderChain(""));
}

TEST_F(WizardTest, TheFolderDialogProposesAProductFolderBelowTheChoice) {
    WriteLanguages();
    TForm1& wizard = Start();
    wizard.ShowPage(1);
    const struct {
        std::optional<std::wstring> chosen;
        std::wstring box;
    } cases[] = {
        {L"D:\\Apps", L"D:\\Apps\\ZantivoSys\\"},
        {L"D:\\", L"D:\\ZantivoSys\\"},
        {std::nullopt, L"D:\\ZantivoSys\\"},  // cancelled: unchanged
    };
    for (const auto& c : cases) {
        dialogs.folderAnswer = c.chosen;
        Press(wizard.ButtonChgDir);
        EXPECT_EQ(wizard.EditDir->Text(), c.box);
    }
    // The dialog's title is message 14.
    EXPECT_EQ(dialogs.shown, std::vector<std::wstring>(3, L"folder: EN message 14"));
}

TEST_F(WizardTest, EveryWayOutEndsAtOnceWithCodeZero) {
    WriteLanguages(L"EN", L"Viewer");
    TForm1& wizard = Start();
    // Welcome page: no question.
    Press(wizard.ButtonCancel1);
    EXPECT_EQ(dialogs.exits, std::vector<unsigned>{0});
    EXPECT_TRUE(dialogs.shown.empty());

    // Pages 1 to 3 ask, with the product name; No leaves everything as it was.
    for (TWideButton* cancel : {wizard.ButtonCancel2, wizard.ButtonCancel3, wizard.ButtonCancel4}) {
        SCOPED_TRACE(cancel->Name());
        wizard.ShowPage(cancel == wizard.ButtonCancel2 ? 1 : cancel == wizard.ButtonCancel3 ? 2 : 3);
        const int page = wizard.PageControl1->ActivePageIndex();
        dialogs.exits.clear();
        dialogs.shown.clear();
        dialogs.confirmAnswer = false;
        Press(cancel);
        EXPECT_TRUE(dialogs.exits.empty());
        EXPECT_EQ(wizard.PageControl1->ActivePageIndex(), page);
        dialogs.confirmAnswer = true;
        Press(cancel);
        EXPECT_EQ(dialogs.exits, std::vector<unsigned>{0});
        EXPECT_EQ(dialogs.shown, std::vector<std::wstring>(2, L"confirm: EN message 15 for Viewer"));
    }

    // The close box on every page, the finish page included: no question.
    for (int page = 0; page < 5; ++page) {
        wizard.ShowPage(page);
        dialogs.exits.clear();
        dialogs.shown.clear();
        SendMessageW(wizard.Handle(), WM_CLOSE, 0, 0);
        EXPECT_EQ(dialogs.exits, std::vector<unsigned>{0}) << "page " << page;
        EXPECT_TRUE(dialogs.shown.empty());
    }
}

// Finish starts the installed program when asked (the alternate name's
// program when there is one), started exactly: a "Program.exe" where an
// unquoted path would find it first must never run.
TEST_F(WizardTest, FinishStartsTheInstalledProgramExactly) {
    const std::wstring marker = EnvironmentPath(L"SETUP_BUILD") + L"\\tests\\marker_program.exe";
    const std::wstring destination = setup.Path() + L"Program Files\\ZantivoSys\\";
    MakeFolders(destination);
    ASSERT_TRUE(CopyFileW(marker.c_str(), (setup.Path() + L"Program.exe").c_str(), FALSE));
    const struct {
        const wchar_t* alternateName;
        bool ticked;
        const wchar_t* program;  // the one expected to run, or null
    } cases[] = {
        {L"", false, nullptr},
        {L"", true, L"Zantivo.exe"},
        {L"Viewer", true, L"Viewer.exe"},
        {L"", true, nullptr},  // the program is missing: nothing runs, the wizard still ends
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::wstring(c.alternateName) + (c.ticked ? L" ticked" : L" unticked"));
        for (const wchar_t* name : {L"Zantivo.exe", L"Viewer.exe"}) {
            DeleteFileW((destination + name).c_str());
            DeleteFileW((destination + name + L".ran").c_str());
            if (c.program) CopyFileW(marker.c_str(), (destination + name).c_str(), FALSE);
        }
        WriteLanguages(L"EN", c.alternateName);
        TForm1& wizard = Start();
        wizard.EditDir->SetText(destination);
        wizard.ShowPage(4);
        wizard.CheckBox1->SetChecked(c.ticked);
        dialogs.exits.clear();
        Press(wizard.ButtonFinish);
        EXPECT_EQ(dialogs.exits, std::vector<unsigned>{0});
        for (const wchar_t* name : {L"Zantivo.exe", L"Viewer.exe"}) {
            const std::wstring ran = destination + name + L".ran";
            const bool expected = c.program && std::wstring(c.program) == name;
            // A program started without waiting may need a moment to write its mark.
            for (int i = 0; i < 100 && expected && GetFileAttributesW(ran.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
                Sleep(50);
            EXPECT_EQ(GetFileAttributesW(ran.c_str()) != INVALID_FILE_ATTRIBUTES, expected) << name;
        }
        form.reset();
    }
    Sleep(300);
    EXPECT_EQ(GetFileAttributesW((setup.Path() + L"Program.exe.ran").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
