// A report-style list view with a column collection, and a tool bar with
// buttons that carry 8-bit hints, and a menu item: the rest of the classes
// the language files know.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/control.h"

class TWideListView : public TControl {
public:
    TWideListView(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds,
                  const std::vector<std::wstring>& columns);
    std::wstring ClassName() const override { return L"TWideListView"; }
    int ColumnCount() const;
    std::wstring ColumnCaption(int index) const;
    void SetColumnCaption(int index, const std::wstring& caption);

protected:
    HFONT ApplyDpi() override;
};

class TToolBar;

// One button of a tool bar, in the tool bar's button order.
class TToolButton : public TComponent {
public:
    TToolButton(TComponent* owner, std::wstring name, TToolBar* bar, const std::wstring& caption);
    std::wstring ClassName() const override { return L"TToolButton"; }
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint) { hint_ = hint; }
    int CommandId() const { return id_; }

private:
    std::string hint_;
    int id_;
};

class TToolBar : public TControl {
public:
    TToolBar(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds);
    std::wstring ClassName() const override { return L"TToolBar"; }
    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    TToolButton* Button(int index) const { return buttons_[static_cast<size_t>(index)]; }

protected:
    // Tool tips ask for a button's hint.
    LRESULT NotifyEx(NMHDR* header) override;

private:
    friend class TToolButton;
    std::vector<TToolButton*> buttons_;
    std::wstring tipText_;
};

// A command of a menu (the window's menu bar): "Caption".
class TWideMenuItem : public TComponent {
public:
    TWideMenuItem(TComponent* owner, std::wstring name, HMENU menu, const std::wstring& caption);
    std::wstring ClassName() const override { return L"TWideMenuItem"; }
    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);

protected:
    void DescribeProperties(std::vector<TProperty>& properties) override;

private:
    HMENU menu_;
    UINT id_;
};
