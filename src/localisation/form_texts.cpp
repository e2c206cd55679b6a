#include "localisation/form_texts.h"

#include "localisation/multi_language.h"
#include "localisation/text_format.h"
#include "localisation/text_split.h"
#include "localisation/text_target.h"
#include "ui/component.h"
#include "ui/list_view.h"
#include "util/code_page.h"

namespace {

std::vector<std::wstring> SplitParts(const std::wstring& text) {
    TWideStringList parts;
    SplitText(parts, text);
    return parts.Texts();
}

template <class Text>
std::wstring JoinParts(const std::vector<Text>& texts) {
    TTaggedList<Text> list;
    for (const Text& t : texts) list.Add(t);
    if constexpr (std::is_same_v<Text, std::wstring>) return JoinText(list);
    else return AnsiToWide(JoinText(list, std::string("||")));
}

// Items replaced with the selection restored by number.
void SetItemsKeepingIndex(TComponent* component, const std::wstring& items) {
    int index = 0;
    try {
        index = TextToInteger(GetPropText(component, L"ItemIndex"));
    } catch (const EConvertError&) {
        index = 0;
    }
    SetPropText(component, L"Items", items);
    SetPropText(component, L"ItemIndex", std::to_wstring(index));
}

void ApplyText(TComponent* component, const std::wstring& text) {
    const TextTarget target = TargetOf(component->ClassName());
    if (target == TextTarget::ListViewColumns) return SetListViewColumns(component, text);
    if (target == TextTarget::ToolBarHints) return SetToolBarHints(component, text);
    if (text.empty()) return;
    switch (target) {
    case TextTarget::Caption: SetPropText(component, L"Caption", text); break;
    case TextTarget::Hint: SetPropText(component, L"Hint", text); break;
    case TextTarget::HintOrCaption:
        SetPropText(component, GetPropText(component, L"Hint").empty() ? L"Caption" : L"Hint", text);
        break;
    case TextTarget::ComboItems: SetItemsKeepingIndex(component, text); break;
    case TextTarget::MemoLines: SetPropText(component, L"Lines", text); break;
    case TextTarget::RadioGroup: {
        const size_t separator = text.find(kListSeparator);
        const std::wstring caption = text.substr(0, separator);
        if (!caption.empty()) SetPropText(component, L"Caption", caption);
        if (separator != std::wstring::npos) SetItemsKeepingIndex(component, text.substr(separator + 2));
        break;
    }
    default: break;
    }
}

}  // namespace

std::wstring GetPropText(TComponent* component, const std::wstring& propName) {
    if (!component) return {};
    std::optional<TProperty> property = component->FindProperty(propName);
    if (!property) return {};
    const TPropValue value = property->get();
    switch (property->kind) {
    case TPropKind::Integer: return std::to_wstring(std::get<int>(value));
    case TPropKind::AnsiString: return AnsiToWide(std::get<std::string>(value));
    case TPropKind::WideString: return std::get<std::wstring>(value);
    case TPropKind::Strings: return JoinParts(std::get<std::vector<std::string>>(value));
    case TPropKind::WideStrings: return JoinParts(std::get<std::vector<std::wstring>>(value));
    }
    return {};
}

void SetPropText(TComponent* component, const std::wstring& propName, const std::wstring& text) {
    if (!component) return;
    std::optional<TProperty> property = component->FindProperty(propName);
    if (!property) return;
    switch (property->kind) {
    case TPropKind::Integer: property->set(TextToInteger(text)); break;
    case TPropKind::AnsiString: property->set(WideToAnsi(text)); break;
    case TPropKind::WideString: property->set(text); break;
    case TPropKind::Strings: {
        TAnsiStringList parts;
        SplitText(parts, WideToAnsi(text), std::string("||"));
        property->set(parts.Texts());
        break;
    }
    case TPropKind::WideStrings: property->set(SplitParts(text)); break;
    }
}

void SetListViewColumns(TComponent* component, const std::wstring& text) {
    auto* view = dynamic_cast<TWideListView*>(component);
    if (!view || text.empty()) return;
    const std::vector<std::wstring> parts = SplitParts(text);
    for (int i = 0; i < view->ColumnCount() && i < static_cast<int>(parts.size()); ++i)
        view->SetColumnCaption(i, parts[static_cast<size_t>(i)]);
}

void SetToolBarHints(TComponent* component, const std::wstring& text) {
    auto* bar = dynamic_cast<TToolBar*>(component);
    if (!bar || text.empty()) return;
    const std::vector<std::wstring> parts = SplitParts(text);
    for (int i = 0; i < bar->ButtonCount() && i < static_cast<int>(parts.size()); ++i)
        bar->Button(i)->SetHint(WideToAnsi(parts[static_cast<size_t>(i)]));
}

std::wstring TMultiLanguage::GetFormText(const std::wstring& id) const {
    if (!resIni_ || id.empty()) return {};
    return resIni_->ReadString(L"FormRes", id, L"");
}

std::wstring TMultiLanguage::LookupFormText(const std::wstring& section, const std::wstring& key) const {
    // FormRes.ini is opened anew for every lookup.
    if (FormResPath.empty()) return {};
    return GetFormText(TIniFile(FormResPath).ReadString(section, key, L""));
}

void TMultiLanguage::ApplyToForm(TComponent& form) const {
    const std::wstring caption = LookupFormText(form.Name(), L"Caption");
    if (!caption.empty()) SetPropText(&form, L"Caption", caption);
    // A copy: applying a text never adds or removes components, but stay safe.
    const std::vector<TComponent*> components = form.Components();
    for (TComponent* component : components) ApplyText(component, LookupFormText(form.Name(), component->Name()));
}
