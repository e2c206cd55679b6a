#include "checks.h"

#include "localisation/text_target.h"
#include "wizard/form_layout.h"

namespace setupcheck {
namespace {

const std::wstring kFormTexts = L"lang\\FormRes.ini";

const wizard::TControlLayout* FindControl(const std::wstring& name) {
    for (const wizard::TControlLayout& control : wizard::FormLayout())
        if (SameName(name, std::wstring(control.name))) return &control;
    return nullptr;
}

// A text id and the controls that show it, in the order FormRes.ini names them.
struct TTextUse {
    std::wstring id;
    std::wstring controls;
};

void AddUse(std::vector<TTextUse>& uses, const std::wstring& id, const std::wstring& control) {
    for (TTextUse& use : uses)
        if (use.id == id) {
            use.controls += L", " + control;
            return;
        }
    uses.push_back({id, control});
}

}  // namespace

void CheckFormTexts(TCheckContext& c, const std::vector<TLanguage>& languages) {
    const std::unique_ptr<TIniReader> ini =
        OpenSetupIni(c, {kFormTexts, L"", L"", L""}, L"is missing: every control keeps the form's design text");
    if (!ini) return;
    const std::wstring form = wizard::kFormName;
    for (const std::wstring& section : ini->Sections())
        if (!SameName(section, form))
            c.findings.Warning({kFormTexts, section, L"", L""},
                               L"names no form of the setup: the installer reads only [" + form + L"]");

    std::vector<TTextUse> uses;
    std::vector<std::wstring> seen;
    for (const std::wstring& key : ini->Keys(form)) {
        // The first of keys that differ only in letter case is the one read.
        bool again = false;
        for (const std::wstring& earlier : seen) again = again || SameName(earlier, key);
        if (again) continue;
        seen.push_back(key);

        // The form's caption takes message 00000_00002 right after the form
        // texts, so the text id of its "Caption" key never shows.
        if (SameName(key, std::wstring(L"Caption"))) continue;
        const TPlace place{kFormTexts, form, key, L""};
        const wizard::TControlLayout* layout = FindControl(key);
        if (!layout) {
            c.findings.Error(place, L"names no control of the form, so its text shows nowhere");
            continue;
        }
        const std::wstring control = layout->name;
        if (TargetOf(layout->className) == TextTarget::None) {
            c.findings.Warning(place, control + L" is a " + layout->className +
                                          L", a class that takes no text, so its text shows nowhere");
            continue;
        }
        const std::wstring id = ini->ReadString(form, key);
        if (id.empty()) c.findings.Warning(place, L"gives no text id: " + control + L" keeps its design text");
        else AddUse(uses, id, control);
    }

    for (const TLanguage& language : languages) {
        if (!language.texts) continue;
        for (const TTextUse& use : uses) {
            const TPlace place{language.textFile, L"FormRes", use.id, language.abbreviation};
            const std::optional<std::wstring> text = language.texts->Read(L"FormRes", use.id);
            if (!text || text->empty())
                c.findings.Error(place, std::wstring(text ? L"is empty" : L"is missing") + L": " + use.controls +
                                            L" keep" + (use.controls.find(L',') == std::wstring::npos ? L"s" : L"") +
                                            L" the design text");
        }
    }
}

}  // namespace setupcheck
