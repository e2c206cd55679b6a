// The ways out of the wizard. Before Install and after the installation they
// end the process at once with exit code 0. During the installation, Cancel
// (confirmed) and the close box stop it instead: what it did is undone on
// the installing page, and then the program ends, still with exit code 0.
#include "wizard/U1.h"

#include "localisation/message_texts.h"
#include "localisation/text_format.h"
#include "ui/dialogs.h"
#include "util/process.h"

void TForm1::ButtonCancel1Click(TControl&) { EndProgram(); }

void TForm1::ButtonCancel2Click(TControl&) {
    if (phase_ == TInstallPhase::Undoing) return;  // an undo is never stopped half-way
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
