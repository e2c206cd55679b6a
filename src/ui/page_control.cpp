#include "ui/page_control.h"

#include <algorithm>

TWidePageControl::TWidePageControl(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds)
    : TContainer(owner, std::move(name), parent, bounds) {}

void TWidePageControl::SetActivePageIndex(int index) {
    if (index < 0 || index >= PageCount()) return;
    active_ = index;
    for (int i = 0; i < PageCount(); ++i) pages_[static_cast<size_t>(i)]->SetVisible(i == index);
}

TWideTabSheet::TWideTabSheet(TComponent* owner, std::wstring name, TWidePageControl* pages)
    : TContainer(owner, std::move(name), pages, {0, 0, pages->Bounds().width, pages->Bounds().height}), pages_(pages) {
    pages_->pages_.push_back(this);
    SetVisible(pages_->active_ < 0);
    if (pages_->active_ < 0) pages_->active_ = 0;
}

TWideTabSheet::~TWideTabSheet() {
    auto& list = pages_->pages_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TWideTabSheet::DescribeProperties(std::vector<TProperty>& properties) {
    TContainer::DescribeProperties(properties);
    properties.push_back(Property<std::wstring>(
        L"Caption", [this] { return caption_; }, [this](const std::wstring& v) { caption_ = v; }));
}
