// The demo product's main program: what it reads from its folder, and the
// real Zantivo.exe started under another name, showing its folder and the
// installed language.
#include <windows.h>

#include <gtest/gtest.h>

#include "demo/demo_programs.h"
#include "support/temp_folder.h"
#include "util/code_page.h"
#include "zantivo/main_window_ids.h"
#include "zantivo/product_info.h"

namespace {

// A product folder with the demo product's language files and the given
// installed language number.
struct ProductFolder {
    TempFolder dir;
    std::wstring program = dir / L"Zantivo.exe";

    explicit ProductFolder(const wchar_t* installedLanguage) {
        MakeFolders(dir / L"lang");
        for (const wchar_t* file : {L"Language.ini", L"ResEN.ini", L"ResDE.ini", L"ResCN.ini"})
            EXPECT_TRUE(CopyFileW(DemoBuildFile(std::wstring(L"demo-product\\lang\\") + file).c_str(),
                                  (dir / L"lang\\" + file).c_str(), FALSE));
        if (installedLanguage)
            WritePrivateProfileStringW(L"System", L"Languare", installedLanguage, (dir / L"lang\\Language.ini").c_str());
    }
};

}  // namespace

TEST(ProductInfoTest, ShowsTheInstalledLanguageInThatLanguage) {
    struct Case {
        const wchar_t* installed;
        const wchar_t* languageLine;
        const wchar_t* folderLabel;
    };
    const Case cases[] = {
        {L"0", L"Language: English (EN)", L"Installed in:"},
        {L"1", L"Sprache: Deutsch (DE)", L"Installiert in:"},
        {L"2", L"\u8bed\u8a00\uff1a \u7b80\u4f53\u4e2d\u6587 (CN)", L"\u5b89\u88c5\u4f4d\u7f6e\uff1a"},
        {L"7", L"Language: English (EN)", L"Installed in:"},  // outside the list: the first language
    };
    for (const Case& c : cases) {
        ProductFolder folder(c.installed);
        TProductInfo info = ReadProductInfo(folder.program);
        EXPECT_EQ(info.LanguageLine(), c.languageLine) << WideToAnsi(c.installed);
        EXPECT_EQ(info.FolderLine(), std::wstring(c.folderLabel) + L" " + folder.dir.Path());
        EXPECT_EQ(info.name, L"Zantivo");
        EXPECT_NE(info.tagline.find(L"Qorvix-Cloud"), std::wstring::npos);
    }
}

TEST(ProductInfoTest, ShowsTheRebrandedNameAndFallsBackWithoutLanguageFiles) {
    ProductFolder rebranded(L"0");
    // What the setup's rebranding writes into the product's language files.
    const std::wstring res = rebranded.dir / L"lang\\ResEN.ini";
    WritePrivateProfileStringW(L"Res", L"00000_00000", L"Viewer", res.c_str());
    WritePrivateProfileStringW(L"FormRes", L"00000000001", L"Viewer", res.c_str());
    WritePrivateProfileStringW(L"FormRes", L"00000000396", L"Viewer scans. Viewer-Cloud keeps.", res.c_str());
    TProductInfo info = ReadProductInfo(rebranded.program);
    EXPECT_EQ(info.name, L"Viewer");
    EXPECT_EQ(info.heading, L"Viewer");
    EXPECT_EQ(info.tagline, L"Viewer scans. Viewer-Cloud keeps.");

    TempFolder bare;
    TProductInfo fallback = ReadProductInfo(bare / L"Zantivo.exe");
    EXPECT_EQ(fallback.name, L"Zantivo");
    EXPECT_EQ(fallback.heading, L"Zantivo");
    EXPECT_EQ(fallback.FolderLine(), L"Installed in: " + bare.Path());
    EXPECT_EQ(fallback.LanguageLine(), L"Language: ");
    EXPECT_EQ(fallback.closeCaption, L"Close");
}

TEST(ZantivoExeTest, StartsUnderAnyNameAndShowsItsFolderAndLanguage) {
    ProductFolder folder(L"1");
    // The setup may rename the program; it must not depend on its own name.
    const std::wstring program = folder.dir / L"Viewer.exe";
    ASSERT_TRUE(CopyFileW(DemoBuildFile(L"demo-product\\Zantivo.exe").c_str(), program.c_str(), FALSE));

    TStartedProgram started(program, L"", folder.dir.Path());
    HWND window = started.WaitForWindow(kMainWindowClass);
    ASSERT_NE(window, nullptr) << "no window";
    EXPECT_EQ(WindowText(window), L"Zantivo");
    EXPECT_EQ(WindowText(GetDlgItem(window, kFolderLineId)), L"Installiert in: " + folder.dir.Path());
    EXPECT_EQ(WindowText(GetDlgItem(window, kLanguageLineId)), L"Sprache: Deutsch (DE)");
    EXPECT_NE(WindowText(GetDlgItem(window, kTaglineId)).find(L"Qorvix"), std::wstring::npos);
    EXPECT_EQ(WindowText(GetDlgItem(window, IDCANCEL)), L"Schlie\u00dfen");

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(started.WaitForExit(), 0u);
}
