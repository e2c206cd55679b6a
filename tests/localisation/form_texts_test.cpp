// Form texts on the test form's real controls, from language files written here.
#include "localisation/form_texts.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "localisation/multi_language.h"
#include "localisation/text_format.h"
#include "support/temp_folder.h"
#include "support/test_form.h"

namespace {

// A setup folder with two languages, EN and DE; FormRes.ini maps controls to ids.
struct Languages {
    TempFolder dir;
    std::unique_ptr<TMultiLanguage> catalogue;

    Languages(const std::string& formRes, const std::wstring& english, const std::wstring& german = L"[FormRes]\r\n") {
        CreateDirectoryW((dir / L"lang").c_str(), nullptr);
        WriteBytes(dir / L"lang\\Language.ini", "[System]\r\nLanguageList=EN||DE\r\nEN=English||Deutsch\r\n");
        WriteBytes(dir / L"lang\\FormRes.ini", formRes);
        WriteUtf16File(dir / L"lang\\ResEN.ini", english);
        WriteUtf16File(dir / L"lang\\ResDE.ini", german);
        catalogue = std::make_unique<TMultiLanguage>(dir / L"Setup.exe");
    }
};

const char kFormRes[] =
    "[Form1]\r\nCaption=1\r\nLabel1=2\r\nDerived1=2\r\nButton1=3\r\nCheckBox1=4\r\nRadioButton1=5\r\n"
    "GroupBox1=6\r\nStaticText1=7\r\nTabSheet1=8\r\nPageControl1=9\r\nImage1=10\r\nImage5=10\r\n"
    "BitBtn1=11\r\nSpeedButton1=12\r\ncbLanage=13\r\nMemo1=14\r\nRadioGroup1=15\r\nListView1=16\r\n"
    "ToolBar1=17\r\nMenuItem1=18\r\nEditDir=2\r\nPanel1=2\r\nProgressBar1=19\r\n";

}  // namespace

TEST(FormTextsTest, EveryRowOfTheClassTableOnRealControls) {
    Languages languages(kFormRes,
                        L"[FormRes]\r\n1=Setup caption\r\n2=\u6b22\u8fce\r\n3=&Next >\r\n4=Start the program\r\n"
                        L"5=Radio\r\n6=Group\r\n7=Static\r\n8=Welcome page\r\n9=Pages\r\n10=A picture\r\n"
                        L"11=Bit caption\r\n12=Speed text\r\n13=a||b||c||d\r\n14=line one||line two\r\n"
                        L"15=||Typical||Custom\r\n16=Name||Size\r\n17=Open||Save||Print||Extra\r\n18=&File\r\n19=77\r\n");
    TestForm t;
    t.combo->SetItems({L"x", L"y", L"z"});
    t.combo->SetItemIndex(2);
    t.speed->SetHint(L"old hint");
    languages.catalogue->ApplyToForm(*t.form);

    EXPECT_EQ(t.form->Caption(), L"Setup caption");
    EXPECT_EQ(t.label->Text(), L"\u6b22\u8fce");                    // row 1: Caption
    EXPECT_EQ(t.derived->Text(), L"derived design");                // another class name gets nothing
    EXPECT_EQ(t.button->Text(), L"&Next >");
    EXPECT_EQ(t.check->Text(), L"Start the program");
    EXPECT_EQ(t.radio->Text(), L"Radio");
    EXPECT_EQ(t.group->Text(), L"Group");
    EXPECT_EQ(t.staticText->Text(), L"Static");
    EXPECT_EQ(t.sheet1->Caption(), L"Welcome page");
    EXPECT_EQ(t.image->Hint(), L"A picture");                       // row 2: Hint
    EXPECT_EQ(GetPropText(t.plainImage, L"Hint"), L"");             // TImage is not in the table
    EXPECT_EQ(t.bitBtn->Text(), L"Bit caption");                    // row 3: no hint, so Caption
    EXPECT_EQ(t.speed->Hint(), L"Speed text");                      // row 3: a hint, so Hint
    EXPECT_EQ(t.speed->Text(), L"");
    EXPECT_EQ(t.combo->Items(), (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));  // row 4
    EXPECT_EQ(t.combo->ItemIndex(), 2);                             // item 2 kept
    EXPECT_EQ(t.memo->Lines(), (std::vector<std::wstring>{L"line one", L"line two"}));  // row 5
    EXPECT_EQ(t.radioGroup->Text(), L"");                           // row 6: empty first part keeps the caption
    EXPECT_EQ(t.radioGroup->Items(), (std::vector<std::wstring>{L"Typical", L"Custom"}));
    EXPECT_EQ(t.listView->ColumnCaption(0), L"Name");               // row 7: two parts, three columns
    EXPECT_EQ(t.listView->ColumnCaption(1), L"Size");
    EXPECT_EQ(t.listView->ColumnCaption(2), L"three");
    EXPECT_EQ(t.toolBar->Button(0)->Hint(), "Open");                // row 8, surplus parts ignored
    EXPECT_EQ(t.toolBar->Button(2)->Hint(), "Print");
    EXPECT_EQ(GetPropText(t.menuItem, L"Caption"), L"&File");
    EXPECT_EQ(t.edit->Text(), L"");                                 // edit, panel and progress bar take no part
    EXPECT_EQ(GetPropText(t.panel, L"Caption"), L"");
    EXPECT_EQ(t.progress->Position(), 0);
}

TEST(FormTextsTest, ComboAndRadioGroupEdgeCases) {
    Languages languages("[Form1]\r\ncbLanage=1\r\nRadioGroup1=2\r\n", L"[FormRes]\r\n1=p||q\r\n2=Only a caption\r\n");
    TestForm t;
    t.combo->SetItems({L"x", L"y", L"z"});  // no selection (-1): none after the change
    t.radioGroup->SetItems({L"keep", L"these"});
    languages.catalogue->ApplyToForm(*t.form);
    EXPECT_EQ(t.combo->Items(), (std::vector<std::wstring>{L"p", L"q"}));
    EXPECT_EQ(t.combo->ItemIndex(), -1);
    EXPECT_EQ(t.radioGroup->Text(), L"Only a caption");
    EXPECT_EQ(t.radioGroup->Items(), (std::vector<std::wstring>{L"keep", L"these"}));
}

TEST(FormTextsTest, MissingFilesSectionsAndIdsLeaveControlsAlone) {
    Languages languages("[Form1]\r\nLabel1=1\r\nButton1=404\r\n[Other]\r\nCheckBox1=1\r\n",
                        L"[FormRes]\r\n1=english label\r\n", L"[FormRes]\r\n9=unused\r\n");
    TestForm t;
    languages.catalogue->ApplyToForm(*t.form);
    EXPECT_EQ(t.label->Text(), L"english label");
    EXPECT_EQ(t.button->Text(), L"design button");  // id without a text
    EXPECT_EQ(t.check->Text(), L"design check");    // another form's section
    EXPECT_EQ(t.form->Caption(), L"Form1");         // no Caption key
    // A language lacking the id keeps the earlier language's text.
    languages.catalogue->SetLanguage(1);
    languages.catalogue->ApplyToForm(*t.form);
    EXPECT_EQ(t.label->Text(), L"english label");

    // No FormRes.ini, or no catalogue at all: the design texts stay.
    DeleteFileW((languages.dir / L"lang\\FormRes.ini").c_str());
    languages.catalogue->SetLanguage(0);
    TestForm fresh;
    languages.catalogue->ApplyToForm(*fresh.form);
    EXPECT_EQ(fresh.label->Text(), L"design label");
    TempFolder empty;
    TMultiLanguage none(empty / L"Setup.exe");
    none.ApplyToForm(*fresh.form);
    EXPECT_EQ(fresh.label->Text(), L"design label");
    EXPECT_EQ(none.GetFormText(L"1"), L"");
}

TEST(FormTextsTest, PropertyTextsByKind) {
    TestForm t;
    SetPropText(t.progress, L"Position", L"35");
    EXPECT_EQ(GetPropText(t.progress, L"position"), L"35");
    EXPECT_THROW(SetPropText(t.progress, L"Position", L"thirty"), EConvertError);
    SetPropText(t.panel, L"Caption", L"caf\u00e9");  // through the 8-bit code page
    EXPECT_EQ(GetPropText(t.panel, L"Caption"), L"caf\u00e9");
    SetPropText(t.list, L"Items", L"one||two||");
    EXPECT_EQ(GetPropText(t.list, L"Items"), L"one||two||");
    EXPECT_EQ(SendMessageW(t.list->Handle(), LB_GETCOUNT, 0, 0), 3);
    SetPropText(t.memo, L"Lines", L"");
    EXPECT_EQ(t.memo->Lines(), std::vector<std::wstring>{});
    // Absent components and properties: nothing, and empty texts.
    SetPropText(nullptr, L"Caption", L"x");
    SetPropText(t.label, L"NoSuchProperty", L"x");
    EXPECT_EQ(GetPropText(nullptr, L"Caption"), L"");
    EXPECT_EQ(GetPropText(t.label, L"NoSuchProperty"), L"");
    // List views and tool bars ignore empty texts and other classes.
    SetListViewColumns(t.listView, L"");
    SetToolBarHints(t.toolBar, L"");
    SetListViewColumns(t.label, L"a||b");
    EXPECT_EQ(t.listView->ColumnCaption(0), L"one");
    EXPECT_EQ(t.toolBar->Button(0)->Hint(), "");
}
