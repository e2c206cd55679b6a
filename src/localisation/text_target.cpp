#include "localisation/text_target.h"

#include <algorithm>
#include <initializer_list>

namespace {

// Class names are ASCII identifiers, so ASCII case folding is the whole of
// "without regard to case" for them.
bool SameClassName(const std::wstring& a, const wchar_t* b) {
    auto fold = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; };
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return i == a.size() && !b[i];
}

}  // namespace

TextTarget TargetOf(const std::wstring& className) {
    static const struct {
        std::initializer_list<const wchar_t*> names;
        TextTarget target;
    } kTable[] = {
        {{L"TWideMenuItem", L"TWideButton", L"TWidePageControl", L"TWideGroupBox", L"TWideLabel", L"TWideTabSheet",
          L"TWideCheckBox", L"TWideRadioButton", L"TWideStaticText"},
         TextTarget::Caption},
        {{L"TWideImage"}, TextTarget::Hint},
        {{L"TWideSpeedButton", L"TWideBitBtn"}, TextTarget::HintOrCaption},
        {{L"TWideComboBox"}, TextTarget::ComboItems},
        {{L"TWideMemo"}, TextTarget::MemoLines},
        {{L"TWideRadioGroup"}, TextTarget::RadioGroup},
        {{L"TWideListView"}, TextTarget::ListViewColumns},
        {{L"TToolBar"}, TextTarget::ToolBarHints},
    };
    for (const auto& row : kTable)
        if (std::any_of(row.names.begin(), row.names.end(), [&](const wchar_t* name) { return SameClassName(className, name); }))
            return row.target;
    return TextTarget::None;
}
