#include "localisation/message_texts.h"

#include "localisation/form_texts.h"
#include "localisation/multi_language.h"
#include "localisation/text_format.h"
#include "ui/controls.h"
#include "ui/form.h"

std::wstring ProductName(const TMultiLanguage& catalogue) {
    const std::wstring name = catalogue.GetText(L"00000_00023");
    return name.empty() ? L"Zantivo" : name;
}

std::wstring MessageOrBuiltIn(const TMultiLanguage& catalogue, const wchar_t* id, const wchar_t* builtIn) {
    const std::wstring text = catalogue.GetText(id);
    return text.empty() ? builtIn : text;
}

namespace {

// A caption by property, so a missing control is simply skipped.
void SetCaption(TComponent& form, const wchar_t* name, const std::wstring& text) {
    SetPropText(form.FindComponent(name), L"Caption", text);
}

// A memo's whole text: all its lines replaced.
void SetMemoText(TComponent& form, const wchar_t* name, const std::wstring& text) {
    if (auto* memo = dynamic_cast<TWideMemo*>(form.FindComponent(name))) memo->SetText(text);
}

}  // namespace

void ApplyMessageTexts(const TMultiLanguage& catalogue, TComponent& form, TApplication& application) {
    const std::wstring product = ProductName(catalogue);
    auto format = [&](const wchar_t* id) { return FormatText(catalogue.GetText(id), product); };

    application.SetTitle(format(L"00000_00001"));
    SetPropText(&form, L"Caption", format(L"00000_00002"));
    SetCaption(form, L"Label1", format(L"00000_00003"));
    SetMemoText(form, L"Memo1", format(L"00000_00004") + L"\r\n\r\n\r\n\r\n\r\n\r\n" + catalogue.GetText(L"00000_00005"));
    const std::wstring company = catalogue.GetText(L"00000_00024");
    SetCaption(form, L"LabelCompanyAll1", company.empty() ? L"Zantivo" : company);
    SetCaption(form, L"LabelCompanyAll2", L"");
    SetCaption(form, L"LabelDir", format(L"00000_00006"));
    SetMemoText(form, L"Memo2", format(L"00000_00007"));
    SetCaption(form, L"Labelinstall", format(L"00000_00008"));
    SetMemoText(form, L"MemoInstall", format(L"00000_00009"));
}
