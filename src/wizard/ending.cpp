// Every way out of the wizard ends the process at once with exit code 0:
// files already installed stay, nothing is undone.
#include "wizard/U1.h"

#include "localisation/message_texts.h"
#include "localisation/text_format.h"
#include "ui/dialogs.h"
#include "util/process.h"

void TForm1::ButtonCancel1Click(TControl&) { EndProgram(); }

void TForm1::ButtonCancel2Click(TControl&) {
    if (Dialogs().ConfirmYesNo(FormatText(catalogue_.GetText(L"00000_00015"), ProductName(catalogue_))))
        EndProgram();
}

void TForm1::FormCloseQuery() { EndProgram(); }

void TForm1::ButtonFinishClick(TControl&) {
    if (CheckBox1->Checked()) {
        const std::wstring alternateName = catalogue_.GetText(L"00000_00023");
        const std::wstring program = alternateName.empty() ? L"Zantivo.exe" : alternateName + L".exe";
        RunProcess(EditDir->Text() + program, false);  // a program that does not start is passed over
    }
    SendMessageW(Handle(), WM_CLOSE, 0, 0);
}
