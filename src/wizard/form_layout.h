// The wizard form as data: every control of TForm1 with its name, run-time
// class, parent, pixel bounds in the 732 x 348 client area, design-time text,
// font and options. The form is built from this table, and the language
// files address its controls by these names and classes, so the shipping
// checker reads the same table. Portable: no Windows types.
#pragma once

#include <span>

namespace wizard {

inline constexpr int kClientWidth = 732;
inline constexpr int kClientHeight = 348;
inline constexpr wchar_t kFormName[] = L"Form1";
inline constexpr wchar_t kFormClass[] = L"TForm1";

enum TLayoutOption : unsigned {
    loHidden = 1 << 0,        // not visible at start
    loDisabled = 1 << 1,      // greyed out, no action
    loDefault = 1 << 2,       // the page's default button (Enter)
    loReadOnly = 1 << 3,      // memos
    loBorderless = 1 << 4,    // memos drawn on the face colour
    loAutoSize = 1 << 5,      // pictures shown at their own size
    loBlueText = 1 << 6,
    loPathEllipsis = 1 << 7,  // labels that show a path: shortened in the middle
};

struct TControlLayout {
    const wchar_t* name;
    const wchar_t* className;  // the run-time class the language files match
    const wchar_t* parent;     // the form, the page control or a page
    int left, top, width, height;
    const wchar_t* text = L"";  // design-time caption
    unsigned options = 0;
    const wchar_t* fontFace = nullptr;  // the form's font when null
    int fontHeight = 0;                  // pixels; the form's when 0
    bool bold = false;
};

// Every control in creation order: parents before their children.
std::span<const TControlLayout> FormLayout();

// The row of a control, or null.
const TControlLayout* FindLayout(const wchar_t* name);

}  // namespace wizard
