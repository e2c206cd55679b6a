// TComponent: the root of the toolkit. Every component has a name, an
// owner, a run-time class name, and named properties that can be read and
// written as values of a few kinds, which is how the language files reach
// controls. An owner keeps its components in creation order and frees them.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// The kinds of published property, in the order of TPropValue's alternatives.
enum class TPropKind { Integer, AnsiString, WideString, Strings, WideStrings };

// A property value: an integer, 8-bit text (the ANSI code page), wide text,
// a list of 8-bit texts ("TStrings") or a list of wide texts ("TWideStrings").
using TPropValue = std::variant<int, std::string, std::wstring, std::vector<std::string>, std::vector<std::wstring>>;

struct TProperty {
    std::wstring name;
    TPropKind kind;
    std::function<TPropValue()> get;
    std::function<void(const TPropValue&)> set;
};

class TComponent {
public:
    TComponent(TComponent* owner, std::wstring name);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const std::wstring& Name() const { return name_; }
    TComponent* Owner() const { return owner_; }
    // The run-time class name ("TWideLabel", ...), as the language files match it.
    virtual std::wstring ClassName() const = 0;

    // The components this one owns, in creation order.
    const std::vector<TComponent*>& Components() const { return components_; }
    // An owned component by name (ignoring case), or null.
    TComponent* FindComponent(const std::wstring& name) const;

    // The published property of that name (ignoring case), or nothing.
    std::optional<TProperty> FindProperty(const std::wstring& name);
    std::vector<TProperty> Properties();

protected:
    // Each class adds its published properties to those of its base.
    virtual void DescribeProperties(std::vector<TProperty>& properties);

    // Helpers for DescribeProperties.
    template <class T>
    static TProperty Property(const wchar_t* name, std::function<T()> get, std::function<void(const T&)> set);

private:
    TComponent* owner_;
    std::wstring name_;
    std::vector<TComponent*> components_;
};

template <class T>
TProperty TComponent::Property(const wchar_t* name, std::function<T()> get, std::function<void(const T&)> set) {
    TPropValue probe{T{}};
    return TProperty{name, static_cast<TPropKind>(probe.index()), [get] { return TPropValue{get()}; },
                     [set](const TPropValue& v) { set(std::get<T>(v)); }};
}
