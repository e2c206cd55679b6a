// A page control whose tabs are hidden: its pages (tab sheets) are child
// containers shown one at a time. The page control has no "Caption"; a tab
// sheet's "Caption" is its (never shown) tab text.
#pragma once

#include <vector>

#include "ui/controls.h"

class TWideTabSheet;

class TWidePageControl : public TContainer {
public:
    TWidePageControl(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds);
    std::wstring ClassName() const override { return L"TWidePageControl"; }
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TWideTabSheet* Page(int index) const { return pages_[static_cast<size_t>(index)]; }
    int ActivePageIndex() const { return active_; }
    void SetActivePageIndex(int index);

private:
    friend class TWideTabSheet;
    std::vector<TWideTabSheet*> pages_;
    int active_ = -1;
};

class TWideTabSheet : public TContainer {
public:
    // A page of pages, filling its client area.
    TWideTabSheet(TComponent* owner, std::wstring name, TWidePageControl* pages);
    ~TWideTabSheet() override;
    std::wstring ClassName() const override { return L"TWideTabSheet"; }
    const std::wstring& Caption() const { return caption_; }

protected:
    void DescribeProperties(std::vector<TProperty>& properties) override;

private:
    TWidePageControl* pages_;
    std::wstring caption_;
};
