// Message texts, the product name, formatting and the fixed controls' texts.
#include "localisation/message_texts.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "localisation/multi_language.h"
#include "localisation/text_format.h"
#include "support/recording_dialogs.h"
#include "support/temp_folder.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace {

struct Catalogue {
    TempFolder dir;
    std::unique_ptr<TMultiLanguage> catalogue;
    explicit Catalogue(const std::wstring& res, const std::wstring& second = L"[Res]\r\n") {
        CreateDirectoryW((dir / L"lang").c_str(), nullptr);
        WriteBytes(dir / L"lang\\Language.ini", "[System]\r\nLanguageList=EN||KO\r\n");
        WriteUtf16File(dir / L"lang\\ResEN.ini", res);
        WriteUtf16File(dir / L"lang\\ResKO.ini", second);
        catalogue = std::make_unique<TMultiLanguage>(dir / L"Setup.exe");
    }
};

// A form with the fixed controls the message texts go to.
struct WizardLikeForm {
    TForm form{L"Form1", L"TMessageTestForm", 732, 348};
    TWideLabel* label1 = new TWideLabel(&form, L"Label1", &form, {10, 10, 300, 20}, L"design");
    TWideMemo* memo1 = new TWideMemo(&form, L"Memo1", &form, {10, 40, 300, 120}, true, true);
    TWideLabel* company1 = new TWideLabel(&form, L"LabelCompanyAll1", &form, {10, 170, 300, 20}, L"sCompanyAll");
    TWideLabel* company2 = new TWideLabel(&form, L"LabelCompanyAll2", &form, {10, 190, 300, 20}, L"sCompanyAll");
    TWideLabel* labelDir = new TWideLabel(&form, L"LabelDir", &form, {10, 210, 300, 20});
    TWideMemo* memo2 = new TWideMemo(&form, L"Memo2", &form, {320, 10, 300, 60}, true, true);
    TWideLabel* install = new TWideLabel(&form, L"Labelinstall", &form, {320, 80, 300, 20}, L"design");
    TWideMemo* memoInstall = new TWideMemo(&form, L"MemoInstall", &form, {320, 110, 300, 60}, false, true);
};

}  // namespace

TEST(MessageTextsTest, GetTextReadsTheFileEveryTimeWithoutFallBack) {
    Catalogue c(L"[Res]\r\n00000_00017=Setup.dat is missing\r\n", L"[Res]\r\n00000_00018=Error\r\n");
    EXPECT_EQ(c.catalogue->GetText(L"00000_00017"), L"Setup.dat is missing");
    EXPECT_EQ(c.catalogue->GetText(L"00000_00018"), L"");  // only in the other language
    EXPECT_EQ(c.catalogue->GetText(L""), L"");
    WriteUtf16File(c.dir / L"lang\\ResEN.ini", L"[Res]\r\n00000_00017=changed\r\n");
    EXPECT_EQ(c.catalogue->GetText(L"00000_00017"), L"changed");  // no cache
    c.catalogue->SetLanguage(1);
    EXPECT_EQ(c.catalogue->GetText(L"00000_00017"), L"");
    EXPECT_EQ(c.catalogue->GetText(L"00000_00018"), L"Error");
    TempFolder empty;
    EXPECT_EQ(TMultiLanguage(empty / L"Setup.exe").GetText(L"00000_00017"), L"");
}

TEST(MessageTextsTest, ProductNameFallsBackToZantivo) {
    Catalogue c(L"[Res]\r\n00000_00023=Acme Scan\r\n", L"[Res]\r\n00000_00023=\r\n");
    EXPECT_EQ(ProductName(*c.catalogue), L"Acme Scan");
    c.catalogue->SetLanguage(1);
    EXPECT_EQ(ProductName(*c.catalogue), L"Zantivo");
}

TEST(MessageTextsTest, FormattingWithOneTextArgument) {
    EXPECT_EQ(FormatText(L"Welcome to the %s Setup Wizard", L"Zantivo"), L"Welcome to the Zantivo Setup Wizard");
    EXPECT_EQ(FormatText(L"100%% of %s", L"it"), L"100% of it");
    EXPECT_EQ(FormatText(L"no placeholder", L"x"), L"no placeholder");
    EXPECT_EQ(FormatText(L"[%8s][%0:-4s][%0:.1s]", L"ab"), L"[      ab][ab  ][a]");
    EXPECT_EQ(FormatText(L"%0:s and %0:s", L"me"), L"me and me");
    EXPECT_EQ(FormatText(L"", L"x"), L"");
    for (const wchar_t* bad : {L"%d files", L"%s and %s", L"50%", L"%x", L"%1:s", L"%n%n%n%n%s"}) {
        try {
            FormatText(bad, L"Zantivo");
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), std::wstring(L"Format '") + bad + L"' invalid or incompatible with argument");
        }
    }
}

TEST(MessageTextsTest, ApplyMessageTextsFillsTheFixedControlsInOrder) {
    Catalogue c(L"[Res]\r\n00000_00001=%s Setup\r\n00000_00002=%s - Wizard\r\n00000_00003=Welcome to %s\r\n"
                L"00000_00004=Install %s.\r\n00000_00005=Close other programs (%s stays).\r\n"
                L"00000_00006=%s goes here:\r\n00000_00007=%s is installed.\r\n00000_00008=Installing\r\n"
                L"00000_00009=Please wait while %s is installed.\r\n00000_00023=Acme\r\n",
                L"[Res]\r\n00000_00004=Only the first\r\n00000_00024=Acme Corp\r\n");
    WizardLikeForm w;
    ApplyMessageTexts(*c.catalogue, w.form, Application());
    EXPECT_EQ(Application().Title(), L"Acme Setup");
    EXPECT_EQ(w.form.Caption(), L"Acme - Wizard");
    EXPECT_EQ(w.label1->Text(), L"Welcome to Acme");
    EXPECT_EQ(w.memo1->Text(), L"Install Acme.\r\n\r\n\r\n\r\n\r\n\r\nClose other programs (%s stays).");
    EXPECT_EQ(w.company1->Text(), L"Zantivo");
    EXPECT_EQ(w.company2->Text(), L"");
    EXPECT_EQ(w.labelDir->Text(), L"Acme goes here:");
    EXPECT_EQ(w.memo2->Text(), L"Acme is installed.");
    EXPECT_EQ(w.install->Text(), L"Installing");
    EXPECT_EQ(w.memoInstall->Text(), L"Please wait while Acme is installed.");

    // Another language lacking texts: empty texts, "Zantivo" in the formats.
    c.catalogue->SetLanguage(1);
    ApplyMessageTexts(*c.catalogue, w.form, Application());
    EXPECT_EQ(w.memo1->Text(), L"Only the first\r\n\r\n\r\n\r\n\r\n\r\n");
    EXPECT_EQ(w.label1->Text(), L"");
    EXPECT_EQ(w.company1->Text(), L"Acme Corp");
}

TEST(MessageTextsTest, ABadFormatReachesTheErrorBoxAndStopsThePass) {
    Catalogue c(L"[Res]\r\n00000_00002=caption\r\n00000_00003=%d programs\r\n00000_00007=never shown\r\n");
    WizardLikeForm w;
    RecordingDialogs dialogs;
    w.form.Dispatch([&] { ApplyMessageTexts(*c.catalogue, w.form, Application()); });
    EXPECT_EQ(dialogs.shown,
              std::vector<std::wstring>{L"error: Format '%d programs' invalid or incompatible with argument."});
    EXPECT_EQ(w.form.Caption(), L"caption");  // done before the bad text
    EXPECT_EQ(w.label1->Text(), L"design");   // the rest of the pass did not happen
    EXPECT_EQ(w.memo2->Text(), L"");
}
