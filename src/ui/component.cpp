#include "ui/component.h"

#include <algorithm>

#include "util/path.h"

TComponent::TComponent(TComponent* owner, std::wstring name) : owner_(owner), name_(std::move(name)) {
    if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
    // Owned components go first, the last made first.
    while (!components_.empty()) {
        TComponent* last = components_.back();
        components_.pop_back();
        last->owner_ = nullptr;
        delete last;
    }
    if (owner_) {
        auto& siblings = owner_->components_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

TComponent* TComponent::FindComponent(const std::wstring& name) const {
    for (TComponent* c : components_)
        if (NameInList(c->Name(), {name})) return c;
    return nullptr;
}

std::vector<TProperty> TComponent::Properties() {
    std::vector<TProperty> properties;
    DescribeProperties(properties);
    return properties;
}

std::optional<TProperty> TComponent::FindProperty(const std::wstring& name) {
    for (TProperty& p : Properties())
        if (NameInList(p.name, {name})) return p;
    return std::nullopt;
}

void TComponent::DescribeProperties(std::vector<TProperty>&) {}
