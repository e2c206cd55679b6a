// The toolkit on real windows under Wine: properties of every kind, events,
// pages, pictures, dialogs and the error box.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "support/recording_dialogs.h"
#include "support/temp_folder.h"
#include "support/test_form.h"
#include "ui/dialogs.h"
#include "util/message_pump.h"

namespace {

std::wstring WindowClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

TPropValue Get(TComponent* c, const wchar_t* name) { return c->FindProperty(name)->get(); }
void Set(TComponent* c, const wchar_t* name, const TPropValue& v) { c->FindProperty(name)->set(v); }

}  // namespace

TEST(ControlsTest, EveryControlWrapsItsWindowUnderItsClassName) {
    TestForm t;
    EXPECT_EQ(t.form->ClassName(), L"TTestForm");
    // Components in creation order, owned by the form.
    ASSERT_GE(t.form->Components().size(), 27u);
    EXPECT_EQ(t.form->Components()[0], t.pages);
    EXPECT_EQ(t.form->FindComponent(L"label1"), t.label);  // names ignore case
    EXPECT_EQ(t.form->FindComponent(L"nothing"), nullptr);

    const std::pair<TControl*, const wchar_t*> windows[] = {
        {t.label, L"Static"},   {t.button, L"Button"},         {t.check, L"Button"},   {t.edit, L"Edit"},
        {t.memo, L"Edit"},      {t.combo, L"ComboBox"},        {t.list, L"ListBox"},   {t.progress, L"msctls_progress32"},
        {t.listView, L"SysListView32"}, {t.toolBar, L"ToolbarWindow32"}};
    for (auto [control, windowClass] : windows) {
        ASSERT_NE(control->Handle(), nullptr) << control->ClassName();
        EXPECT_EQ(_wcsicmp(WindowClassOf(control->Handle()).c_str(), windowClass), 0) << control->ClassName();
        EXPECT_EQ(TControl::FromHandle(control->Handle()), control);
        EXPECT_EQ(GetParent(control->Handle()), control->Parent()->Handle());
    }
    EXPECT_EQ(t.label->ClassName(), L"TWideLabel");
    EXPECT_EQ(t.derived->ClassName(), L"TDerivedLabel");
    EXPECT_EQ(t.speed->ClassName(), L"TWideSpeedButton");
    EXPECT_EQ(t.plainImage->ClassName(), L"TImage");
    EXPECT_EQ(GetWindowLongW(t.radio->Handle(), GWL_STYLE) & 0x0F, BS_AUTORADIOBUTTON);
    EXPECT_EQ(GetWindowLongW(t.check->Handle(), GWL_STYLE) & 0x0F, BS_AUTOCHECKBOX);
    EXPECT_TRUE(t.button->IsDefault());
    EXPECT_FALSE(t.bitBtn->IsDefault());
    EXPECT_TRUE(GetWindowLongW(t.memo->Handle(), GWL_STYLE) & ES_READONLY);
    EXPECT_FALSE(GetWindowLongW(t.memo->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);  // borderless

    RECT client;
    GetClientRect(t.form->Handle(), &client);
    EXPECT_EQ(client.right, 732);
    EXPECT_EQ(client.bottom, 348);
    RECT r;
    GetWindowRect(t.button->Handle(), &r);
    EXPECT_EQ(r.right - r.left, 81);
    EXPECT_EQ(r.bottom - r.top, 25);
}

TEST(ControlsTest, PropertiesOfEveryKindReadAndWriteTheControls) {
    TestForm t;
    // Wide strings on window texts.
    Set(t.label, L"Caption", std::wstring(L"\u6b22\u8fce"));
    EXPECT_EQ(t.label->Text(), L"\u6b22\u8fce");
    EXPECT_EQ(std::get<std::wstring>(Get(t.button, L"caption")), L"design button");
    // Integers.
    Set(t.check, L"Checked", 1);
    EXPECT_TRUE(t.check->Checked());
    Set(t.progress, L"Position", 42);
    EXPECT_EQ(SendMessageW(t.progress->Handle(), PBM_GETPOS, 0, 0), 42);
    // 8-bit strings.
    Set(t.panel, L"Caption", std::string("panel text"));
    EXPECT_EQ(std::get<std::string>(Get(t.panel, L"Caption")), "panel text");
    EXPECT_EQ(t.panel->FindProperty(L"Caption")->kind, TPropKind::AnsiString);
    // Lists of 8-bit texts.
    Set(t.list, L"Items", std::vector<std::string>{"a", "b"});
    EXPECT_EQ(SendMessageW(t.list->Handle(), LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(t.list->FindProperty(L"Items")->kind, TPropKind::Strings);
    // Lists of wide texts.
    Set(t.memo, L"Lines", std::vector<std::wstring>{L"first", L"", L"third"});
    EXPECT_EQ(t.memo->Text(), L"first\r\n\r\nthird");
    EXPECT_EQ(std::get<std::vector<std::wstring>>(Get(t.memo, L"Lines")),
              (std::vector<std::wstring>{L"first", L"", L"third"}));
    Set(t.combo, L"Items", std::vector<std::wstring>{L"English", L"\ud55c\uad6d\uc5b4"});
    EXPECT_EQ(t.combo->Count(), 2);
    EXPECT_EQ(std::get<int>(Get(t.combo, L"ItemIndex")), -1);
    Set(t.combo, L"ItemIndex", 1);
    EXPECT_EQ(t.combo->ItemIndex(), 1);
    // The page control has no caption; tab sheets and images keep theirs.
    EXPECT_FALSE(t.pages->FindProperty(L"Caption"));
    Set(t.sheet1, L"Caption", std::wstring(L"Welcome"));
    EXPECT_EQ(t.sheet1->Caption(), L"Welcome");
    Set(t.image, L"Hint", std::wstring(L"a picture"));
    EXPECT_EQ(t.image->Hint(), L"a picture");
    EXPECT_EQ(t.plainImage->FindProperty(L"Hint")->kind, TPropKind::AnsiString);
    EXPECT_FALSE(t.edit->FindProperty(L"Caption"));
    Set(t.edit, L"Text", std::wstring(L"C:\\Program Files\\ZantivoSys\\"));
    EXPECT_EQ(t.edit->Text(), L"C:\\Program Files\\ZantivoSys\\");
    // Menu items and list view columns are real too.
    Set(t.menuItem, L"Caption", std::wstring(L"&File"));
    wchar_t text[32] = {};
    GetMenuStringW(t.menu, 0, text, 32, MF_BYPOSITION);
    EXPECT_STREQ(text, L"&File");
    EXPECT_EQ(t.listView->ColumnCount(), 3);
    EXPECT_EQ(t.listView->ColumnCaption(2), L"three");
    EXPECT_EQ(t.toolBar->ButtonCount(), 3);
}

TEST(ControlsTest, RadioGroupsMakeOneButtonPerItem) {
    TestForm t;
    t.radioGroup->SetItems({L"Typical", L"Custom", L"Minimal"});
    EXPECT_EQ(t.radioGroup->Items(), (std::vector<std::wstring>{L"Typical", L"Custom", L"Minimal"}));
    EXPECT_EQ(t.radioGroup->ItemIndex(), -1);
    t.radioGroup->SetItemIndex(2);
    EXPECT_EQ(t.radioGroup->ItemIndex(), 2);
    t.radioGroup->SetItems({L"Only"});
    EXPECT_EQ(t.radioGroup->Items().size(), 1u);
    EXPECT_EQ(t.radioGroup->ItemIndex(), -1);
}

TEST(ControlsTest, ClicksAndSelectionsReachTheirHandlersThroughTheWindows) {
    TestForm t;
    int clicks = 0, picks = 0;
    t.button->OnClick = [&](TControl& sender) {
        EXPECT_EQ(&sender, t.button);
        ++clicks;
    };
    SendMessageW(t.button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    t.combo->AddItem(L"first", 7);
    t.combo->AddItem(L"second", 9);
    EXPECT_EQ(t.combo->ItemTag(1), 9);
    t.combo->OnClick = [&](TControl&) { ++picks; };
    // The notification a user's pick sends to the parent.
    SendMessageW(t.sheet1->Handle(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), reinterpret_cast<LPARAM>(t.combo->Handle()));
    EXPECT_EQ(picks, 1);
    t.combo->DeleteItem(0);
    EXPECT_EQ(t.combo->Items(), std::vector<std::wstring>{L"second"});
    EXPECT_EQ(t.combo->ItemTag(0), 9);
}

TEST(ControlsTest, PagesShowOneAtATime) {
    TestForm t;
    EXPECT_EQ(t.pages->PageCount(), 2);
    EXPECT_EQ(t.pages->ActivePageIndex(), 0);
    EXPECT_TRUE(t.sheet1->Visible());
    EXPECT_FALSE(t.sheet2->Visible());
    t.pages->SetActivePageIndex(1);
    EXPECT_FALSE(t.sheet1->Visible());
    EXPECT_TRUE(t.sheet2->Visible());
    t.pages->SetActivePageIndex(5);  // no such page: nothing changes
    EXPECT_EQ(t.pages->ActivePageIndex(), 1);
}

TEST(ControlsTest, PicturesDecodeJpegAndCopyToOtherPictures) {
    TestForm t;
    t.image->LoadJpegFile(EnvironmentPath(L"SETUP_TEST_DATA") + L"\\red-blue.jpg");
    ASSERT_NE(t.image->Pixels(), nullptr);
    EXPECT_EQ(t.image->Pixels()->width, 128);
    t.plainImage->CopyPictureFrom(*t.image);
    EXPECT_EQ(t.plainImage->Pixels(), t.image->Pixels());
    // Painted stretched into the window: the left edge is red.
    t.form->Show();
    t.pages->SetActivePageIndex(1);
    UpdateWindow(t.image->Handle());
    HDC dc = GetDC(t.image->Handle());
    COLORREF left = GetPixel(dc, 20, 100);
    ReleaseDC(t.image->Handle(), dc);
    EXPECT_GT(GetRValue(left), 200);
    EXPECT_LT(GetBValue(left), 60);
    TempFolder dir;
    WriteBytes(dir / L"bad.jpg", "not a jpeg");
    EXPECT_THROW(t.image->LoadJpegFile(dir / L"bad.jpg"), EJpegError);
    EXPECT_EQ(t.image->Pixels()->width, 128);  // a failed load keeps the picture
}

TEST(ControlsTest, TheApplicationTitleAndTheFormCaptionAreSeparate) {
    TestForm t;
    Application().SetTitle(L"Zantivo Setup");
    t.form->SetCaption(L"Zantivo - InstallShield Wizard");
    EXPECT_EQ(Application().Title(), L"Zantivo Setup");
    EXPECT_EQ(t.form->Caption(), L"Zantivo - InstallShield Wizard");
    EXPECT_EQ(reinterpret_cast<HWND>(GetWindowLongPtrW(t.form->Handle(), GWLP_HWNDPARENT)), Application().Handle());
}

TEST(ControlsTest, ErrorsEscapingHandlersReachTheErrorBoxWithAFullStop) {
    EXPECT_EQ(ErrorBoxText(L"Unable to write to C:\\x.ini"), L"Unable to write to C:\\x.ini.");
    EXPECT_EQ(ErrorBoxText(L"Done."), L"Done.");
    EXPECT_EQ(ErrorBoxText(L"What?"), L"What?.");  // '?' sorts after '.'
    EXPECT_EQ(ErrorBoxText(L"Ends in a dash -"), L"Ends in a dash -");  // '-' sorts before '.'
    EXPECT_EQ(ErrorBoxText(L""), L"");

    RecordingDialogs dialogs;
    TestForm t;
    t.button->OnClick = [](TControl&) { throw EError(L"the folder cannot be made"); };
    SendMessageW(t.button->Handle(), BM_CLICK, 0, 0);
    t.form->Dispatch([] { throw EError(L"second"); });
    EXPECT_EQ(dialogs.shown, (std::vector<std::wstring>{L"error: the folder cannot be made.", L"error: second."}));
}

namespace {

std::wstring confirmCaption, confirmYes, confirmNo;

// Reads the confirmation once it is up, then presses "No".
void CALLBACK AnswerConfirmation(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindWindowW(L"#32770", L"Confirm");
    if (!box) return;
    wchar_t text[64];
    GetWindowTextW(box, text, 64);
    confirmCaption = text;
    GetDlgItemTextW(box, IDYES, text, 64);
    confirmYes = text;
    GetDlgItemTextW(box, IDNO, text, 64);
    confirmNo = text;
    KillTimer(nullptr, id);
    PostMessageW(box, WM_COMMAND, IDNO, 0);
}

}  // namespace

TEST(ControlsTest, TheProgramsConfirmationHasItsOwnButtonsAndCaption) {
    // The real dialog, answered by a timer.
    SetTimer(nullptr, 0, 300, AnswerConfirmation);
    EXPECT_FALSE(Dialogs().ConfirmYesNo(L"Are you sure you want to cancel the Zantivo installation?"));
    EXPECT_EQ(confirmCaption, L"Confirm");
    EXPECT_EQ(confirmYes, L"&Yes");
    EXPECT_EQ(confirmNo, L"&No");
}
