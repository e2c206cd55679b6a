// The class table of the language files: what a control's text is written
// to, chosen by the control's exact run-time class name. The form applies
// texts through it, and the shipping checker uses it to tell which controls
// take texts. Portable: no Windows types.
#pragma once

#include <string>

enum class TextTarget { Caption, Hint, HintOrCaption, ComboItems, MemoLines, RadioGroup, ListViewColumns, ToolBarHints, None };

// The first row whose class names hold className, compared without regard
// to case; a class derived from a listed one under another name matches none.
TextTarget TargetOf(const std::wstring& className);
