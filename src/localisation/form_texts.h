// Applying the current language's texts to a form: FormRes.ini tells which
// text id a control shows, the language's text file (section "FormRes")
// gives the text, and the control's run-time class decides what the text
// is written to. The property routines read and write a component's
// published properties as text.
#pragma once

#include <string>

class TComponent;

// A published property as text: integers in decimal, lists joined with "||".
std::wstring GetPropText(TComponent* component, const std::wstring& propName);
// Writes a published property from text (lists split at "||"); nothing when
// the component or property is absent; a non-number for an integer raises EConvertError.
void SetPropText(TComponent* component, const std::wstring& propName, const std::wstring& text);
// The first column captions of a list view from the parts of text.
void SetListViewColumns(TComponent* component, const std::wstring& text);
// The hints of a tool bar's buttons from the parts of text (as 8-bit texts).
void SetToolBarHints(TComponent* component, const std::wstring& text);
