// The start-up that runs before the user sees the wizard: the language, the
// texts, the welcome picture and the folder to propose.
#include "wizard/U1.h"

#include "localisation/message_texts.h"
#include "util/file_ops.h"
#include "util/path.h"
#include "util/registry.h"
#include "wizard/product.h"
#include "wizard/system_folders.h"

namespace {

// An earlier installation's folder, as the product key recorded it: older
// versions installed into a folder named after the product, which is now
// the product's folder name, so such a path is brought up to date.
std::wstring ProposedFromEarlier(const std::wstring& earlier) {
    if (earlier.find(L"Zantivo") != std::wstring::npos && earlier.find(kProductFolder) == std::wstring::npos)
        return ReplaceAll(earlier, L"Zantivo", kProductFolder);
    return earlier;
}

}  // namespace

void TForm1::FormCreate() {
    // The language: the one the catalogue picks for the start, or else the
    // first one whose text file is there.
    catalogue_.SetLanguage(catalogue_.StartLanguageIndex());
    catalogue_.ApplyToForm(*this);
    FillLanguageBox();
    for (int i = 0; i < cbLanage->Count(); ++i)
        if (cbLanage->ItemTag(i) == catalogue_.CurrentIndex) {
            cbLanage->SetItemIndex(i);
            break;
        }
    if (cbLanage->ItemIndex() < 0 && cbLanage->Count() > 0) {
        cbLanage->SetItemIndex(0);
        catalogue_.SetLanguage(cbLanage->ItemTag(0));
        catalogue_.ApplyToForm(*this);
        FillLanguageBox();
        cbLanage->SetItemIndex(0);
    }

    Application().SetTitle(kProductName);
    Image1->CopyPictureFrom(*Image5);
    // The language box never shows: the language is the one chosen above.
    for (TControl* control : std::initializer_list<TControl*>{LabelCompanyAll1, LabelCompanyAll2, lbl1, cbLanage})
        control->SetVisible(false);
    cbLanageClick(*cbLanage);

    // A picture of the shipper's own replaces the built-in one. One that does
    // not decode is passed over like a missing one: it must not keep the
    // wizard from starting.
    const std::wstring picture = setupFolder_ + L"Lang\\setup.jpg";
    if (FileExistsW(picture)) {
        try {
            Image1->LoadJpegFile(picture);
        } catch (const EError&) {
        }
    }

    ShowPage(0);
    Image2->CopyPictureFrom(*Image1);
    for (TWideImage* copy : {ImageIco2, ImageIco3}) {
        copy->CopyPictureFrom(*ImageIco1);
        copy->SetBounds(ImageIco1->Bounds());  // the same slot on its own page
    }
    ApplyMessageTexts();

    EditDir->SetText(ProgramFilesFolder() + kProductFolder + L"\\");
    // Merely starting the wizard creates the product key; a folder recorded
    // there by an earlier installation is proposed again. Any registry
    // failure leaves the default.
    try {
        TRegKey key = TRegKey::OpenOrCreate(HKEY_CURRENT_USER, ProductKeyPath(catalogue_.GetText(L"00000_00023")));
        if (key.ValueExists(kInstallPathValue)) EditDir->SetText(ProposedFromEarlier(key.ReadString(kInstallPathValue)));
    } catch (const EError&) {
    }
}

void TForm1::FillLanguageBox() {
    while (cbLanage->Count() > 0) cbLanage->DeleteItem(cbLanage->Count() - 1);
    for (size_t i = 0; i < catalogue_.LanguageNames.Count(); ++i)
        cbLanage->AddItem(catalogue_.LanguageNames[i], catalogue_.LanguageNames.Tag(i));
    FilterLanguageBox();
}

// The items were just copied in catalogue order and go from the end, so
// position n still stands for language n when it is tested. Names beyond
// the languages have no text file and always go.
void TForm1::FilterLanguageBox() {
    for (int n = cbLanage->Count() - 1; n >= 0; --n)
        if (!FileExistsW(catalogue_.ResFilePath(n))) cbLanage->DeleteItem(n);
}

void TForm1::cbLanageClick(TControl&) {
    const int selected = cbLanage->ItemIndex();
    if (selected < 0) return;
    catalogue_.SetLanguage(cbLanage->ItemTag(selected));
    catalogue_.ApplyToForm(*this);
    ApplyMessageTexts();
    FillLanguageBox();
    cbLanage->SetItemIndex(selected);
}

void TForm1::ApplyMessageTexts() { ::ApplyMessageTexts(catalogue_, *this, Application()); }
