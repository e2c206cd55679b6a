// The extractor's questions ("Replace existing file?", the next disk of a
// spanned set, "Unknown Compression Method") asked through the program's one
// dialog interface, so that a test answers them like every other dialog.
#pragma once

#include "unzip/os/file.h"

class TUnZipDialogs : public zipos::Dialogs {
public:
    bool ChooseFolder(const std::string& startFolder, std::string& chosen) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    bool AskOkCancel(const std::string& text, const std::string& caption) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
};
