#include "support/test_form.h"

TestForm::TestForm(int dpi) : form(std::make_unique<TForm>(L"Form1", L"TTestForm", 732, 348, dpi)) {
    TForm* f = form.get();
    pages = new TWidePageControl(f, L"PageControl1", f, {0, 0, 732, 348});
    sheet1 = new TWideTabSheet(f, L"TabSheet1", pages);
    sheet2 = new TWideTabSheet(f, L"TabSheet2", pages);
    label = new TWideLabel(f, L"Label1", sheet1, {10, 10, 200, 20}, L"design label");
    derived = new TDerivedLabel(f, L"Derived1", sheet1, {10, 35, 200, 20}, L"derived design");
    staticText = new TWideStaticText(f, L"StaticText1", sheet1, {10, 60, 200, 20});
    button = new TWideButton(f, L"Button1", sheet1, {254, 303, 81, 25}, L"design button", true);
    bitBtn = new TWideBitBtn(f, L"BitBtn1", sheet1, {350, 303, 81, 25});
    speed = new TWideSpeedButton(f, L"SpeedButton1", sheet1, {446, 303, 81, 25});
    check = new TWideCheckBox(f, L"CheckBox1", sheet1, {10, 85, 200, 20}, L"design check");
    radio = new TWideRadioButton(f, L"RadioButton1", sheet1, {10, 110, 200, 20});
    group = new TWideGroupBox(f, L"GroupBox1", sheet1, {220, 10, 150, 60});
    radioGroup = new TWideRadioGroup(f, L"RadioGroup1", sheet1, {220, 80, 150, 90});
    edit = new TWideEdit(f, L"EditDir", sheet1, {380, 10, 200, 22});
    memo = new TWideMemo(f, L"Memo1", sheet1, {380, 40, 200, 80}, true, true);
    combo = new TWideComboBox(f, L"cbLanage", sheet1, {380, 130, 200, 22});
    list = new TListBox(f, L"ListBox1", sheet1, {590, 10, 130, 80});
    panel = new TPanel(f, L"Panel1", sheet1, {0, 290, 732, 2});
    progress = new TProgressBar(f, L"ProgressBar1", sheet1, {10, 200, 300, 18});
    image = new TWideImage(f, L"Image1", sheet2, {0, 0, 201, 348});
    plainImage = new TImage(f, L"Image5", sheet2, {210, 0, 41, 57});
    listView = new TWideListView(f, L"ListView1", sheet2, {260, 10, 300, 100}, {L"one", L"two", L"three"});
    toolBar = new TToolBar(f, L"ToolBar1", sheet2, {260, 120, 300, 30});
    for (const wchar_t* name : {L"ToolButton1", L"ToolButton2", L"ToolButton3"})
        new TToolButton(f, name, toolBar, name);
    menu = CreatePopupMenu();
    menuItem = new TWideMenuItem(f, L"MenuItem1", menu, L"design menu");
}

TestForm::~TestForm() {
    form.reset();
    DestroyMenu(menu);
}
