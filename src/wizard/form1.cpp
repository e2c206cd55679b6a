// TForm1's construction: the controls of the layout table, the pictures the
// form carries, the handlers bound to their controls, and the keyboard.
#include "wizard/U1.h"

#include <functional>
#include <map>
#include <type_traits>

#include "install/installation_journal.h"
#include "install/uninstall_log.h"
#include "ui/dialogs.h"
#include "util/pacer.h"
#include "wizard/artwork.h"
#include "wizard/form_layout.h"
#include "wizard/unzip_dialogs.h"

using namespace wizard;

namespace {

// Makes the control of a layout row; its parent is made already.
TControl* MakeControl(TForm& form, const TControlLayout& row, TControl* parent) {
    const TBounds bounds{row.left, row.top, row.width, row.height};
    const std::wstring name = row.name, kind = row.className;
    if (kind == L"TWidePageControl") return new TWidePageControl(&form, name, parent, bounds);
    if (kind == L"TWideTabSheet") return new TWideTabSheet(&form, name, static_cast<TWidePageControl*>(parent));
    if (kind == L"TWideLabel") return new TWideLabel(&form, name, parent, bounds, row.text);
    if (kind == L"TWideButton")
        return new TWideButton(&form, name, parent, bounds, row.text, (row.options & loDefault) != 0);
    if (kind == L"TWideMemo")
        return new TWideMemo(&form, name, parent, bounds, (row.options & loReadOnly) != 0,
                             (row.options & loBorderless) != 0);
    if (kind == L"TWideEdit") return new TWideEdit(&form, name, parent, bounds);
    if (kind == L"TWideCheckBox") return new TWideCheckBox(&form, name, parent, bounds, row.text);
    if (kind == L"TWideComboBox") return new TWideComboBox(&form, name, parent, bounds);
    if (kind == L"TWideImage") return new TWideImage(&form, name, parent, bounds);
    if (kind == L"TImage") return new TImage(&form, name, parent, bounds);
    if (kind == L"TPanel") return new TPanel(&form, name, parent, bounds);
    if (kind == L"TProgressBar") return new TProgressBar(&form, name, parent, bounds);
    throw EError(L"The form has no control class " + kind);
}

void ApplyOptions(TControl& control, const TControlLayout& row) {
    if (row.fontFace || row.fontHeight || row.bold)
        control.SetFont(row.fontFace ? row.fontFace : L"\u5b8b\u4f53", row.fontHeight ? row.fontHeight : 13, row.bold);
    if (row.options & loBlueText) control.SetFontColor(RGB(0, 0, 255));
    if (row.options & loPathEllipsis)
        SetWindowLongW(control.Handle(), GWL_STYLE, GetWindowLongW(control.Handle(), GWL_STYLE) | SS_PATHELLIPSIS);
    if (row.options & loAutoSize)
        if (auto* picture = dynamic_cast<TPicture*>(&control)) picture->Stretch = false;
    if (row.options & loDisabled) control.SetEnabled(false);
    if (row.options & loHidden) control.SetVisible(false);
}

// The control of that name as the class its member is declared with.
template <class T>
T* Bound(const TForm& form, const wchar_t* name) {
    auto* control = dynamic_cast<T*>(form.FindComponent(name));
    if (!control) throw EError(std::wstring(L"The form has no control ") + name);
    return control;
}

}  // namespace

#define BIND(field) field = Bound<std::remove_pointer_t<decltype(field)>>(*this, L## #field)

TForm1::TForm1(TMultiLanguage& catalogue, std::wstring setupFolder, TWindowStart start, int dpi)
    : TForm(kFormName, kFormClass, kClientWidth, kClientHeight, dpi),
      catalogue_(catalogue),
      setupFolder_(std::move(setupFolder)) {
    CreateControls();
    BindHandlers();
    // The extractor asks its questions through the program's one dialog interface.
    UnZipper1.SetDialogs(std::make_shared<TUnZipDialogs>());
    UnZipper1.RecreateDirs = true;
    UnZipper1.OverwriteMode = Always;
    UnZipper1.DoAll = true;
    UnZipper1.ReplaceReadOnly = true;

    Dispatch([this] { FormCreate(); });
    if (start == TWindowStart::Hidden) return;
    Show();
    if (TControl* button = DefaultButtonOfVisiblePage()) SetFocus(button->Handle());
}

TForm1::~TForm1() = default;

void TForm1::CreateControls() {
    std::map<std::wstring, TControl*> made{{kFormName, this}};
    for (const TControlLayout& row : FormLayout()) made[row.name] = MakeControl(*this, row, made.at(row.parent));
    for (const TControlLayout& row : FormLayout()) ApplyOptions(*made.at(row.name), row);

    BIND(PageControl1);
    BIND(TabSheet1), BIND(TabSheet2), BIND(TabSheet3), BIND(TabSheet4), BIND(TabSheet5);
    BIND(Image1), BIND(Label1), BIND(Memo1), BIND(LabelCompanyAll1), BIND(LabelCompanyAll2), BIND(lbl1);
    BIND(cbLanage), BIND(ButtonPrior1), BIND(ButtonNext1), BIND(ButtonCancel1), BIND(Image4), BIND(Image5);
    BIND(Image6);
    BIND(Label3), BIND(Label4), BIND(LabelDir), BIND(Label2), BIND(ImageIco1), BIND(ImageDir), BIND(Panel2);
    BIND(Panel1), BIND(EditDir), BIND(ButtonChgDir), BIND(ButtonPrior2), BIND(ButtonNext2), BIND(ButtonCancel2);
    BIND(Label5), BIND(Label6), BIND(Label7), BIND(Label8), BIND(ImageIco2), BIND(Panel3), BIND(Panel4);
    BIND(MemoInfo), BIND(ButtonPrior3), BIND(ButtonNext3), BIND(ButtonCancel3);
    BIND(Labelinstall), BIND(Label10), BIND(Label11), BIND(LabelInstall2), BIND(MemoInstall), BIND(ProgressBar1);
    BIND(ImageIco3), BIND(Panel5), BIND(Panel6), BIND(ButtonPrior4), BIND(ButtonNext4), BIND(ButtonCancel4);
    BIND(Image2), BIND(Label9), BIND(Memo2), BIND(CheckBox1), BIND(ButtonFinish);
    BIND(Image3);

    // The pictures the form carries: the welcome picture is kept in Image5
    // and shown through Image1; the product picture sizes its slot, which
    // keeps its right edge.
    Image5->SetPicture(LoadArtwork(TArtwork::Welcome));
    ImageDir->SetPicture(LoadArtwork(TArtwork::Folder));
    if (auto product = LoadArtwork(TArtwork::Product)) {
        const TBounds slot = ImageIco1->Bounds();
        const int width = product->DesignWidth(), height = product->DesignHeight();
        ImageIco1->SetBounds({slot.left + slot.width - width, slot.top, width, height});
        ImageIco1->SetPicture(std::move(product));
    }
}

#undef BIND

void TForm1::BindHandlers() {
    auto bind = [this](TControl* control, void (TForm1::*handler)(TControl&)) {
        control->OnClick = [this, handler](TControl& sender) { (this->*handler)(sender); };
    };
    bind(ButtonNext1, &TForm1::ButtonNext1Click);
    bind(ButtonCancel1, &TForm1::ButtonCancel1Click);
    bind(ButtonPrior2, &TForm1::ButtonPrior2Click);
    bind(ButtonChgDir, &TForm1::ButtonChgDirClick);
    bind(ButtonNext2, &TForm1::ButtonNext2Click);
    bind(ButtonCancel2, &TForm1::ButtonCancel2Click);
    bind(ButtonPrior3, &TForm1::ButtonPrior3Click);
    bind(ButtonNext3, &TForm1::ButtonNext3Click);
    bind(ButtonCancel3, &TForm1::ButtonCancel2Click);
    bind(ButtonCancel4, &TForm1::ButtonCancel2Click);
    bind(ButtonFinish, &TForm1::ButtonFinishClick);
    bind(cbLanage, &TForm1::cbLanageClick);
    OnClose = [this] { FormCloseQuery(); };

    UnZipper1.OnTotalPercentDone = [this](TUnZipper& sender, int32_t percent) {
        UnZipper1TotalPercentDone(sender, percent);
    };
    UnZipper1.OnStartUnZip = [this](TUnZipper& sender, int32_t index, std::string& fName, bool& skip) {
        UnZipper1StartUnZip(sender, index, fName, skip);
    };
    UnZipper1.OnSkippingFile = [this](TUnZipper& sender, TSkipReason reason, const std::string& fName, int32_t index,
                                      bool& retry) { UnZipper1SkippingFile(sender, reason, fName, index, retry); };
    UnZipper1.OnEndUnZip = [this](TUnZipper& sender, int32_t index, const std::string& fName) {
        UnZipper1EndUnZip(sender, index, fName);
    };
    UnZipper1.OnCreatingFolder = [this](TUnZipper& sender, const std::string& folder) {
        UnZipper1CreatingFolder(sender, folder);
    };
}

void TForm1::ShowPage(int index) {
    PageControl1->SetActivePageIndex(index);
    // The focus follows to the new page, or the keyboard would talk to a hidden button.
    if (TControl* button = DefaultButtonOfVisiblePage(); button && GetActiveWindow() == Handle())
        SetFocus(button->Handle());
}

TControl* TForm1::DefaultButtonOfVisiblePage() const {
    TWideButton* const defaults[] = {ButtonNext1, ButtonNext2, ButtonNext3, ButtonCancel4, ButtonFinish};
    const int page = PageControl1->ActivePageIndex();
    return page >= 0 && page < 5 ? defaults[page] : nullptr;
}

bool TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == DM_GETDEFID) {
        // Enter presses the focused push button, or else the visible page's default one.
        HWND focus = GetFocus();
        TControl* target = DefaultButtonOfVisiblePage();
        if (auto* focused = dynamic_cast<TWideButton*>(TControl::FromHandle(focus)); focused && focused->Enabled())
            target = focused;
        if (!target || !target->Enabled()) return false;
        result = MAKELRESULT(GetDlgCtrlID(target->Handle()), DC_HASDEFID);
        return true;
    }
    return TForm::HandleMessage(message, wParam, lParam, result);
}

void TForm1::EndProgram() {
    if (phase_ == TInstallPhase::Installing) {
        cancelRequested_ = true;  // the installation stops at its next chance, is undone, and ends the program
        return;
    }
    if (phase_ == TInstallPhase::Undoing) {
        endAfterUndo_ = true;
        return;
    }
    if (uninstallLog_) uninstallLog_->Flush();
    if (phase_ == TInstallPhase::NotStarted) RemoveFoldersMadeForDestination();
    Dialogs().EndProcess(0);
}

void TForm1::RemoveFoldersMadeForDestination() {
    // Deepest first; a folder that holds anything stays.
    for (auto folder = foldersMadeForDestination_.rbegin(); folder != foldersMadeForDestination_.rend(); ++folder)
        RemoveDirectoryW(folder->c_str());
    foldersMadeForDestination_.clear();
}
