// The message catalogue's uses beyond a single lookup: the product name the
// texts are formatted with, and the message texts of the wizard form's
// fixed controls.
#pragma once

#include <string>

class TMultiLanguage;
class TComponent;
class TApplication;

// "00000_00023" of the current language, or "Zantivo" when that is empty;
// worked out afresh at each use.
std::wstring ProductName(const TMultiLanguage& catalogue);

// A message that language files written before it came may lack: its text
// in the current language, or the built-in English one when the file has
// none (or an empty one), so that a box never shows an empty text.
std::wstring MessageOrBuiltIn(const TMultiLanguage& catalogue, const wchar_t* id, const wchar_t* builtIn);

// Sets the application title, the form's caption and the texts of its fixed
// controls (Label1, Memo1, LabelCompanyAll1 and 2, LabelDir, Memo2,
// Labelinstall, MemoInstall), in that order. A bad format text raises
// EConvertError and leaves the rest undone.
void ApplyMessageTexts(const TMultiLanguage& catalogue, TComponent& form, TApplication& application);
