// A form holding one control of every class the toolkit has, placed on two
// pages, for the toolkit's and the texts' tests.
#pragma once

#include <memory>

#include "ui/controls.h"
#include "ui/form.h"
#include "ui/list_view.h"
#include "ui/page_control.h"
#include "ui/picture.h"

// A label under another class name: the language files must not reach it.
class TDerivedLabel : public TWideLabel {
public:
    using TWideLabel::TWideLabel;
    std::wstring ClassName() const override { return L"TDerivedLabel"; }
};

struct TestForm {
    std::unique_ptr<TForm> form;
    TWidePageControl* pages;
    TWideTabSheet *sheet1, *sheet2;
    TWideLabel* label;
    TDerivedLabel* derived;
    TWideStaticText* staticText;
    TWideButton* button;
    TWideBitBtn* bitBtn;
    TWideSpeedButton* speed;
    TWideCheckBox* check;
    TWideRadioButton* radio;
    TWideGroupBox* group;
    TWideRadioGroup* radioGroup;
    TWideEdit* edit;
    TWideMemo* memo;
    TWideComboBox* combo;
    TListBox* list;
    TPanel* panel;
    TProgressBar* progress;
    TWideImage* image;
    TImage* plainImage;
    TWideListView* listView;
    TToolBar* toolBar;
    TWideMenuItem* menuItem;
    HMENU menu;

    // Laid out for dpi, or for the screen's when 0.
    explicit TestForm(int dpi = 0);
    ~TestForm();
};
