// The toolkit's controls. Class names are the run-time names the language
// files address (the Tnt "TWide..." family for wide text, VCL names for the
// rest); each wraps one Win32 window.
#pragma once

#include <string>
#include <vector>

#include "ui/control.h"

// A container window: the base of panels and tab sheets.
class TContainer : public TControl {
protected:
    TContainer(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds, DWORD style = 0);
};

// A label (STATIC), transparent on its page: "Caption".
class TWideLabel : public TControl {
public:
    TWideLabel(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds, const std::wstring& caption = L"");
    std::wstring ClassName() const override { return L"TWideLabel"; }

protected:
    HBRUSH ControlColor(HDC dc) override;
    void DescribeProperties(std::vector<TProperty>& properties) override;
};

// Static text with a sunken edge: "Caption".
class TWideStaticText : public TWideLabel {
public:
    TWideStaticText(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds);
    std::wstring ClassName() const override { return L"TWideStaticText"; }
};

// A push button: "Caption"; a default button answers the Enter key.
class TWideButton : public TControl {
public:
    TWideButton(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds,
                const std::wstring& caption = L"", bool isDefault = false);
    std::wstring ClassName() const override { return L"TWideButton"; }
    bool IsDefault() const;
    // Presses the button as a click would.
    void Click();

protected:
    void DescribeProperties(std::vector<TProperty>& properties) override;
};

// A bitmap button and a flat speed button: "Caption" and "Hint".
class TWideBitBtn : public TWideButton {
public:
    TWideBitBtn(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds);
    std::wstring ClassName() const override { return L"TWideBitBtn"; }

protected:
    void DescribeProperties(std::vector<TProperty>& properties) override;
};

class TWideSpeedButton : public TWideBitBtn {
public:
    TWideSpeedButton(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds);
    std::wstring ClassName() const override { return L"TWideSpeedButton"; }
};

// A check box: "Caption", "Checked" (0 or 1).
class TWideCheckBox : public TControl {
public:
    TWideCheckBox(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds, const std::wstring& caption = L"");
    std::wstring ClassName() const override { return L"TWideCheckBox"; }
    bool Checked() const;
    void SetChecked(bool checked);

protected:
    HBRUSH ControlColor(HDC dc) override;
    void DescribeProperties(std::vector<TProperty>& properties) override;
};

// A radio button: "Caption", "Checked".
class TWideRadioButton : public TWideCheckBox {
public:
    TWideRadioButton(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds, const std::wstring& caption = L"");
    std::wstring ClassName() const override { return L"TWideRadioButton"; }
};

// A group box: "Caption"; a container for what it groups.
class TWideGroupBox : public TControl {
public:
    TWideGroupBox(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds);
    std::wstring ClassName() const override { return L"TWideGroupBox"; }

protected:
    void DescribeProperties(std::vector<TProperty>& properties) override;
};

// A group of radio buttons: "Caption", "Items" (one button each), "ItemIndex".
class TWideRadioGroup : public TWideGroupBox {
public:
    TWideRadioGroup(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds);
    ~TWideRadioGroup() override;
    std::wstring ClassName() const override { return L"TWideRadioGroup"; }
    std::vector<std::wstring> Items() const;
    void SetItems(const std::vector<std::wstring>& items);
    int ItemIndex() const;
    void SetItemIndex(int index);

protected:
    void DescribeProperties(std::vector<TProperty>& properties) override;
    HFONT ApplyDpi() override;

private:
    void PlaceButtons();

    std::vector<HWND> buttons_;
};

// A single-line edit: "Text".
class TWideEdit : public TControl {
public:
    TWideEdit(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds);
    std::wstring ClassName() const override { return L"TWideEdit"; }

protected:
    void DescribeProperties(std::vector<TProperty>& properties) override;
};

// A multi-line edit: "Lines", "Text"; read-only and borderless as asked.
class TWideMemo : public TControl {
public:
    TWideMemo(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds, bool readOnly,
              bool borderless);
    std::wstring ClassName() const override { return L"TWideMemo"; }
    std::vector<std::wstring> Lines() const;
    void SetLines(const std::vector<std::wstring>& lines);

protected:
    HBRUSH ControlColor(HDC dc) override;
    void DescribeProperties(std::vector<TProperty>& properties) override;

private:
    bool borderless_;
};

// A drop-down list: "Items", "ItemIndex" (-1 for none), an integer tag per item.
class TWideComboBox : public TControl {
public:
    TWideComboBox(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds);
    std::wstring ClassName() const override { return L"TWideComboBox"; }
    std::vector<std::wstring> Items() const;
    void SetItems(const std::vector<std::wstring>& items);
    void AddItem(const std::wstring& text, int tag);
    void DeleteItem(int index);
    int Count() const;
    int ItemTag(int index) const;
    int ItemIndex() const;
    void SetItemIndex(int index);

protected:
    void Notify(WORD code) override;
    void DescribeProperties(std::vector<TProperty>& properties) override;
};

// A list of 8-bit texts: "Items" (TStrings), "ItemIndex".
class TListBox : public TControl {
public:
    TListBox(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds);
    std::wstring ClassName() const override { return L"TListBox"; }
    std::vector<std::string> Items() const;
    void SetItems(const std::vector<std::string>& items);

protected:
    void DescribeProperties(std::vector<TProperty>& properties) override;
};

// A panel: a container with an 8-bit "Caption", drawn as a raised separator.
class TPanel : public TContainer {
public:
    TPanel(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds);
    std::wstring ClassName() const override { return L"TPanel"; }

protected:
    void DescribeProperties(std::vector<TProperty>& properties) override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    std::string caption_;
};

// A progress bar from 0 to 100: "Position".
class TProgressBar : public TControl {
public:
    TProgressBar(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds);
    std::wstring ClassName() const override { return L"TProgressBar"; }
    int Position() const;
    void SetPosition(int position);

protected:
    void DescribeProperties(std::vector<TProperty>& properties) override;
};
