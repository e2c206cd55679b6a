// TForm1: the wizard's one window. Five pages on a page control with hidden
// tabs (welcome, destination folder, ready, installing, finished), built
// from the form layout table, with the event handlers of every button, the
// start-up that picks the language and proposes a folder, and the extractor
// UnZipper1 whose events drive the installing page. The handlers live in
// one file per concern: start_up.cpp, navigation.cpp, ending.cpp, and in
// src/install/ the installation sequence and the payload extraction.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "localisation/multi_language.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/page_control.h"
#include "ui/picture.h"
#include "unzip/unzipper.h"

class TInstallationJournal;
class TPacer;
class TUninstallLog;

// Whether the window shows once it is built: an installation that no person
// attends builds it hidden (and a passive one shows it when it installs).
enum class TWindowStart { Shown, Hidden };

class TForm1 : public TForm {
public:
    // Builds the form and runs FormCreate; an error there goes to the
    // standard error box and the rest of the start-up is skipped. The
    // catalogue must outlive the form; setupFolder ends in a backslash. The
    // form is laid out for dpi, or for its monitor's DPI when dpi is 0.
    TForm1(TMultiLanguage& catalogue, std::wstring setupFolder, TWindowStart start = TWindowStart::Shown,
           int dpi = 0);
    ~TForm1() override;

    // ---- Controls (named as the language files address them) ----------------
    TWidePageControl* PageControl1;
    TWideTabSheet *TabSheet1, *TabSheet2, *TabSheet3, *TabSheet4, *TabSheet5;
    // 0: welcome
    TWideImage* Image1;
    TWideLabel* Label1;
    TWideMemo* Memo1;
    TWideLabel *LabelCompanyAll1, *LabelCompanyAll2, *lbl1;
    TWideComboBox* cbLanage;
    TWideButton *ButtonPrior1, *ButtonNext1, *ButtonCancel1;
    TImage *Image4, *Image5, *Image6;
    // 1: destination folder
    TWideLabel *Label3, *Label4, *LabelDir, *Label2;
    TWideImage *ImageIco1, *ImageDir;
    TPanel *Panel2, *Panel1;
    TWideEdit* EditDir;
    TWideButton *ButtonChgDir, *ButtonPrior2, *ButtonNext2, *ButtonCancel2;
    // 2: ready to install
    TWideLabel *Label5, *Label6, *Label7, *Label8;
    TWideImage* ImageIco2;
    TPanel *Panel3, *Panel4;
    TWideMemo* MemoInfo;
    TWideButton *ButtonPrior3, *ButtonNext3, *ButtonCancel3;
    // 3: installing
    TWideLabel *Labelinstall, *Label10, *Label11, *LabelInstall2;
    TWideMemo* MemoInstall;
    TProgressBar* ProgressBar1;
    TWideImage* ImageIco3;
    TPanel *Panel5, *Panel6;
    TWideButton *ButtonPrior4, *ButtonNext4, *ButtonCancel4;
    // 4: finished
    TWideImage* Image2;
    TWideLabel* Label9;
    TWideMemo* Memo2;
    TWideCheckBox* CheckBox1;
    TWideButton* ButtonFinish;
    // the form itself
    TWideImage* Image3;
    TUnZipper UnZipper1;

    // ---- State ---------------------------------------------------------------------
    bool InstallStarted = false;  // the uninstall log is written only once Install was pressed
    int32_t LogNumberBase = 0;    // added to each entry's index in the uninstall log
    bool TargetIsNtfs = false;    // whether the destination drive is NTFS

    // ---- Start-up (start_up.cpp) -------------------------------------------------------
    void FormCreate();
    void FillLanguageBox();
    void FilterLanguageBox();
    void cbLanageClick(TControl& sender);
    void ApplyMessageTexts();

    // ---- Navigation and the destination folder (navigation.cpp) ----------------------
    void ButtonNext1Click(TControl& sender);
    void ButtonPrior2Click(TControl& sender);
    void ButtonChgDirClick(TControl& sender);
    void ButtonNext2Click(TControl& sender);
    void ButtonPrior3Click(TControl& sender);

    // ---- Cancel, close and finish (ending.cpp) ----------------------------------------------
    void ButtonCancel1Click(TControl& sender);
    void ButtonCancel2Click(TControl& sender);
    void FormCloseQuery();
    void ButtonFinishClick(TControl& sender);

    // ---- Installation (src/install) --------------------------------------------------------
    // Installs, and when a step fails or the user cancels, undoes what it did.
    void ButtonNext3Click(TControl& sender);
    // The installation's steps in their order, from the installing page to the finish page.
    void InstallProduct();
    // Before the extraction: while the destination's drive lacks room for the
    // payload, a box with Retry and Cancel says how much is needed and free;
    // Cancel raises an EError holding both figures (src/install/free_space.cpp).
    void EnsureRoomForPayload();
    // Extracts the payload S + "Setup.dat" into the destination folder.
    void ExtractPayload();
    // Puts the status line's latest file and the bar's latest position on the screen now.
    void ShowPendingProgress();
    void UnZipper1TotalPercentDone(TUnZipper& sender, int32_t percent);
    void UnZipper1StartUnZip(TUnZipper& sender, int32_t fileIndex, std::string& fName, bool& skip);
    void UnZipper1SkippingFile(TUnZipper& sender, TSkipReason reason, const std::string& fName, int32_t fileIndex,
                               bool& retry);
    void UnZipper1EndUnZip(TUnZipper& sender, int32_t fileIndex, const std::string& fName);
    void UnZipper1CreatingFolder(TUnZipper& sender, const std::string& folder);
    // The retry-or-quit question for a file that cannot be written; returns
    // for Yes, raises EInstallationCancelled for No.
    void AskToRetry(const std::string& fName);

    // ---- Undoing (src/install/installation_undo.cpp) -------------------------------------------
    // Starts the journal of the installation (everything after it is undoable).
    void BeginJournal();
    // Ends the installation for good: its moved-aside files and its journal go.
    void CommitInstallation();
    // Plays the journal backwards, saying so on the installing page with its bar.
    void UndoInstallation();
    // Lets window messages through; a Cancel confirmed meanwhile ends the installation.
    void LetMessagesThrough();
    // Raises EInstallationCancelled once a cancel was asked for during the installation.
    void ThrowIfCancelled() const;

    // ---- Helpers ------------------------------------------------------------------------------
    // The destination folder: the text of EditDir, the one place it lives.
    std::wstring DestinationFolder() const { return EditDir->Text(); }
    const std::wstring& SetupFolderPath() const { return setupFolder_; }
    TMultiLanguage& Catalogue() const { return catalogue_; }
    // Shows the page at index and puts the focus on its default button.
    void ShowPage(int index);
    // Every way out. During an installation it asks the installation to stop
    // (it is then undone, and the program ends); while it is undone, the
    // program ends when that is done; otherwise the uninstall log reaches the
    // disk, folders the destination page made and nothing filled are removed,
    // and the process ends at once with exit code 0.
    void EndProgram();

protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void CreateControls();
    void BindHandlers();
    TControl* DefaultButtonOfVisiblePage() const;

    enum class TInstallPhase { NotStarted, Installing, Undoing, Ended };

    // The folders the destination page made for the destination, parents first.
    void RemoveFoldersMadeForDestination();

    TMultiLanguage& catalogue_;
    std::wstring setupFolder_;
    TInstallPhase phase_ = TInstallPhase::NotStarted;
    bool cancelRequested_ = false;  // Cancel or the close box during the installation
    bool endAfterUndo_ = false;     // the close box while the installation was undone
    std::vector<std::wstring> foldersMadeForDestination_;
    std::unique_ptr<TInstallationJournal> journal_;
    // The record of extracted files for the product's uninstaller; made when
    // the payload's extraction starts.
    std::unique_ptr<TUninstallLog> uninstallLog_;
    // The installing page during extraction: the status line's message, the
    // file and the bar's position waiting to be shown, and the pace at which
    // they are.
    std::wstring statusFormat_;
    std::optional<std::string> pendingFile_;
    std::optional<int32_t> pendingPercent_;
    std::unique_ptr<TPacer> progressPacer_;
};
