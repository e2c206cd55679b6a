#include "localisation/multi_language.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace {

// A setup folder with "lang\" and the given Language.ini.
struct SetupFolderFixture {
    TempFolder dir;
    std::wstring program = dir / L"Setup.exe";

    explicit SetupFolderFixture(const std::string& languageIni) {
        CreateDirectoryW((dir / L"lang").c_str(), nullptr);
        if (!languageIni.empty()) WriteBytes(dir / L"lang\\Language.ini", languageIni);
    }
    void AddTextFile(const std::wstring& abbreviation, const std::string& content = "[Texts]\r\nid=x\r\n") {
        WriteBytes(dir / (L"lang\\Res" + abbreviation + L".ini"), content);
    }
};

}  // namespace

TEST(MultiLanguageTest, NoCatalogueMeansNoLanguagesAndNothingOpen) {
    SetupFolderFixture setup("");
    TMultiLanguage catalogue(setup.program);
    EXPECT_EQ(catalogue.LanguageIniPath, setup.dir / L"lang\\Language.ini");
    EXPECT_TRUE(catalogue.Languages.Empty());
    EXPECT_EQ(catalogue.ResIni(), nullptr);
    EXPECT_EQ(catalogue.FormResPath, L"");
    EXPECT_EQ(catalogue.CurrentIndex, 0);
    EXPECT_EQ(catalogue.CurrentAbbreviation(), L"");
    EXPECT_EQ(catalogue.StartLanguageIndex(), 0);
    EXPECT_EQ(catalogue.ResFilePath(0), L"");
    catalogue.SetLanguage(0);
    EXPECT_EQ(catalogue.ResIni(), nullptr);

    SetupFolderFixture blank("[System]\r\nLanguageList= ||  \r\n");
    TMultiLanguage blankCatalogue(blank.program);
    EXPECT_TRUE(blankCatalogue.Languages.Empty());
    EXPECT_EQ(blankCatalogue.ResIni(), nullptr);
}

TEST(MultiLanguageTest, LoadsTheCleanedListAndTheStoredLanguage) {
    SetupFolderFixture setup(
        "[System]\r\nLanguageList=X||\t|| Y\r\nLanguare=1\r\n"
        " Y=Ixx||Iyy|| ||Izz\r\nX=Xx||Xy\r\n");
    setup.AddTextFile(L" Y", "[T]\r\nk=from Y\r\n");
    TMultiLanguage catalogue(setup.program);
    ASSERT_EQ(catalogue.Languages.Count(), 2u);
    EXPECT_EQ(catalogue.Languages[0], L"X");
    EXPECT_EQ(catalogue.Languages[1], L" Y");
    EXPECT_EQ(catalogue.Languages.Tag(1), 1);
    EXPECT_EQ(catalogue.CurrentIndex, 1);
    EXPECT_EQ(catalogue.CurrentAbbreviation(), L" Y");
    EXPECT_EQ(catalogue.LanguageNames.Texts(), (std::vector<std::wstring>{L"Ixx", L"Iyy", L"Izz"}));
    EXPECT_EQ(catalogue.LanguageNames.Tag(2), 2);
    EXPECT_EQ(catalogue.FormResPath, setup.dir / L"lang\\FormRes.ini");
    // The leading blank stays in the abbreviation and so in the file name.
    EXPECT_EQ(catalogue.ResFileName, setup.dir / L"lang\\Res Y.ini");
    EXPECT_EQ(catalogue.ResFilePath(0), setup.dir / L"lang\\ResX.ini");
    EXPECT_EQ(catalogue.ResFilePath(2), L"");
    EXPECT_EQ(catalogue.ResFilePath(-1), L"");
    ASSERT_NE(catalogue.ResIni(), nullptr);
    EXPECT_EQ(catalogue.ResIni()->ReadString(L"T", L"k", L""), L"from Y");
}

TEST(MultiLanguageTest, AStoredLanguageOutsideTheListOrNotANumberGivesLanguageZero) {
    for (const char* stored : {"Languare=5", "Languare=-1", "Languare=one", "Languare=", ""}) {
        SetupFolderFixture setup(std::string("[System]\r\nLanguageList=EN||KO\r\n") + stored +
                                 "\r\nEN=English||Korean\r\n");
        TMultiLanguage catalogue(setup.program);
        EXPECT_EQ(catalogue.CurrentIndex, 0) << stored;
        EXPECT_EQ(catalogue.LanguageNames.Count(), 2u) << stored;
        // The stored language's file is missing: the accessor is open and reads empty.
        ASSERT_NE(catalogue.ResIni(), nullptr);
        EXPECT_EQ(catalogue.ResIni()->ReadString(L"T", L"k", L""), L"");
    }
    SetupFolderFixture hex("[System]\r\nLanguageList=EN||KO\r\nLanguare=0x1\r\n");
    EXPECT_EQ(TMultiLanguage(hex.program).CurrentIndex, 1);
}

TEST(MultiLanguageTest, StartLanguageComesFromAbbreviateIgnoringCase) {
    SetupFolderFixture both("[System]\r\nLanguageList=X||Y\r\n[Abbreviate]\r\n1042=\r\n2057=y\r\n");
    EXPECT_EQ(TMultiLanguage(both.program).StartLanguageIndex(), 1);
    SetupFolderFixture korean("[System]\r\nLanguageList=EN||KO\r\n[Abbreviate]\r\n1042=KO\r\n2057=EN\r\n");
    EXPECT_EQ(TMultiLanguage(korean.program).StartLanguageIndex(), 1);
    SetupFolderFixture english("[System]\r\nLanguageList=KO||EN\r\n[Abbreviate]\r\n2057=en\r\n");
    EXPECT_EQ(TMultiLanguage(english.program).StartLanguageIndex(), 1);
    SetupFolderFixture neither("[System]\r\nLanguageList=X||Y\r\n");
    EXPECT_EQ(TMultiLanguage(neither.program).StartLanguageIndex(), 0);
    SetupFolderFixture unknown("[System]\r\nLanguageList=X||Y\r\n[Abbreviate]\r\n1042=Z\r\n");
    EXPECT_EQ(TMultiLanguage(unknown.program).StartLanguageIndex(), 0);
}

TEST(MultiLanguageTest, SetLanguageSwitchesOnlyToLanguagesWithATextFile) {
    SetupFolderFixture setup(
        "[System]\r\nLanguageList=EN||KO||JA\r\nEN=English||Korean||Japanese\r\n"
        "KO=\xEC\x98\x81\xEC\x96\xB4||x\r\n");
    setup.AddTextFile(L"EN", "[T]\r\nk=en\r\n");
    setup.AddTextFile(L"KO", "[T]\r\nk=ko\r\n");
    TMultiLanguage catalogue(setup.program);
    ASSERT_EQ(catalogue.CurrentIndex, 0);

    catalogue.SetLanguage(1);
    EXPECT_EQ(catalogue.CurrentIndex, 1);
    EXPECT_EQ(catalogue.ResFileName, setup.dir / L"lang\\ResKO.ini");
    EXPECT_EQ(catalogue.ResIni()->ReadString(L"T", L"k", L""), L"ko");
    EXPECT_EQ(catalogue.LanguageNames.Count(), 2u);
    EXPECT_EQ(catalogue.CurrentAbbreviation(), L"KO");

    catalogue.SetLanguage(2);  // ResJA.ini is missing
    catalogue.SetLanguage(3);  // outside the list
    catalogue.SetLanguage(-1);
    EXPECT_EQ(catalogue.CurrentIndex, 1);
    EXPECT_EQ(catalogue.ResIni()->ReadString(L"T", L"k", L""), L"ko");

    CreateDirectoryW((setup.dir / L"lang\\ResJA.ini").c_str(), nullptr);  // a folder is not a text file
    catalogue.SetLanguage(2);
    EXPECT_EQ(catalogue.CurrentIndex, 1);

    // A language without a names key of its own leaves the names empty.
    RemoveDirectoryW((setup.dir / L"lang\\ResJA.ini").c_str());
    setup.AddTextFile(L"JA");
    catalogue.SetLanguage(2);
    EXPECT_EQ(catalogue.CurrentIndex, 2);
    EXPECT_TRUE(catalogue.LanguageNames.Empty());

    // Switching writes nothing back to the catalogue.
    EXPECT_EQ(TIniFile(catalogue.LanguageIniPath).ReadString(L"System", L"Languare", L"none"), L"none");
}

TEST(MultiLanguageTest, ASetupFolderTheCodePageCannotCarryBehavesAsMissingFiles) {
    TempFolder dir;
    std::wstring folder = dir / L"\u4e2d\u6587\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"lang").c_str(), nullptr);
    WriteBytes(folder + L"lang\\Language.ini", "[System]\r\nLanguageList=EN\r\n");
    WriteBytes(folder + L"lang\\ResEN.ini", "[T]\r\nk=en\r\n");
    ASSERT_EQ(TIniFile(folder + L"lang\\Language.ini").ReadString(L"System", L"LanguageList", L""), L"EN");

    TMultiLanguage catalogue(folder + L"Setup.exe");
    EXPECT_TRUE(catalogue.Languages.Empty());
    EXPECT_EQ(catalogue.ResIni(), nullptr);
    EXPECT_EQ(catalogue.CurrentAbbreviation(), L"");
}
