#include "checks.h"

#include <filesystem>
#include <functional>
#include <random>

#include "entry_names.h"
#include "unzip/unzipper.h"
#include "util/error.h"

namespace fs = std::filesystem;

namespace setupcheck {
namespace {

const std::wstring kPayload = L"Setup.dat";
const char kPayloadPassword[] = "417263";

// The component asks nothing while the checker tests: every question is
// answered no, and its one message (an unknown compression method) goes to
// the entry being tested.
class TSilentDialogs final : public zipos::Dialogs {
public:
    explicit TSilentDialogs(std::function<void(const std::string&)> onMessage) : onMessage_(std::move(onMessage)) {}
    bool ChooseZipFile(const std::string&, std::string&) override { return false; }
    bool ChooseFolder(const std::string&, std::string&) override { return false; }
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    bool AskOkCancel(const std::string&, const std::string&) override { return false; }
    void ShowMessage(const std::string& text, const std::string&) override { onMessage_(text); }

private:
    std::function<void(const std::string&)> onMessage_;
};

// A fresh folder under the system's temporary folder, removed with what is
// in it when the test of the payload ends.
class TScratchFolder {
public:
    TScratchFolder() {
        std::random_device seed;
        std::error_code error;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            fs::path candidate = fs::temp_directory_path(error) / ("setupcheck-" + std::to_string(seed()));
            if (fs::create_directory(candidate, error)) path_ = candidate;
        }
    }
    ~TScratchFolder() {
        std::error_code error;
        if (!path_.empty()) fs::remove_all(path_, error);
    }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

std::wstring EntryPath(const TUnZipper& zip, int32_t index) { return FromComponentText(zip.Entry(index).Path()); }

void CheckEntryNames(TCheckContext& c, const TUnZipper& zip) {
    for (int32_t i = 0; i < zip.Count(); ++i) {
        const std::wstring path = EntryPath(zip, i);
        const std::wstring problem = EntryNameProblem(path);
        if (!problem.empty()) c.findings.Error({kPayload, L"", path, L""}, problem);
    }
}

void CheckExpectedFiles(TCheckContext& c, const TUnZipper& zip) {
    auto holds = [&zip](const std::wstring& name) {
        for (int32_t i = 0; i < zip.Count(); ++i)
            if (SameName(EntryPath(zip, i), name)) return true;
        return false;
    };
    if (!holds(L"Zantivo.exe"))
        c.findings.Error({kPayload, L"", L"Zantivo.exe", L""},
                         L"is missing: the installed product has no program, and its shortcuts lead nowhere");
    if (!holds(L"UnInstall.exe"))
        c.findings.Error({kPayload, L"", L"UnInstall.exe", L""},
                         L"is missing: the product cannot be uninstalled, and no uninstall shortcut is made");
    if (!holds(L"lang\\ZantivoEN.pdf"))
        c.findings.Warning({kPayload, L"", L"lang\\ZantivoEN.pdf", L""},
                           L"is missing: without a manual in the wizard's language there is no manual shortcut");
}

// Extracts every entry, each into its own file of the scratch folder and
// removed once its CRC has passed, and notes the first problem of each.
std::vector<std::wstring> TestEntries(TUnZipper& zip, const std::string& scratch) {
    const int32_t count = zip.Count();
    std::vector<std::wstring> problems(static_cast<size_t>(count));
    std::vector<bool> finished(static_cast<size_t>(count));
    int32_t current = -1;
    // The first problem of an entry is the one reported.
    auto note = [&](int32_t index, const std::wstring& problem) {
        if (index >= 0 && index < count && problems[static_cast<size_t>(index)].empty())
            problems[static_cast<size_t>(index)] = problem;
    };
    auto finish = [&](int32_t index) {
        if (index >= 0 && index < count) finished[static_cast<size_t>(index)] = true;
    };
    auto scratchFile = [&](int32_t index) { return scratch + "\\" + std::to_string(index); };

    zip.SetDialogs(std::make_shared<TSilentDialogs>([&](const std::string& text) {
        note(current, L"uses a compression method the installer cannot decode (\"" + FromComponentText(text) + L"\")");
    }));
    zip.OnStartUnZip = [&](TUnZipper&, int32_t index, std::string& fName, bool&) {
        current = index;
        fName = scratchFile(index);
    };
    zip.OnEndUnZip = [&](TUnZipper&, int32_t index, const std::string& fName) {
        finish(index);
        zipos::RemoveFile(fName);
    };
    zip.OnBadCRC = [&](TUnZipper&, int32_t, int32_t, int32_t index) {
        finish(index);
        note(index, L"fails its CRC check: its data is damaged");
    };
    zip.OnSkippingFile = [&](TUnZipper&, TSkipReason reason, const std::string&, int32_t index, bool&) {
        finish(index);
        if (reason != srBadPassword) note(index, L"could not be tested: its scratch file cannot be made");
        // Data that was decoded and failed its CRC check still has its file
        // at this event; a header that the password does not open made none.
        else if (zipos::FileExists(scratchFile(index)))
            note(index, L"fails its CRC check: its data is damaged, or encrypted with another password");
        else
            note(index, L"does not decrypt with the payload password");
    };
    try {
        zip.UnZip();
    } catch (const EError& error) {
        // The entry being decoded, or the next file entry when its header could not be read.
        int32_t failed = current;
        if (failed < 0 || finished[static_cast<size_t>(failed)]) {
            failed = -1;
            for (int32_t i = current + 1; i < count && failed < 0; ++i)
                if (!zip.Entry(i).IsDirectory()) failed = i;
        }
        const std::wstring problem = L"cannot be extracted (\"" + error.Message() +
                                     L"\"): the installation ends with this error, and later entries were not tested";
        if (failed < 0) problems.push_back(problem);
        else problems[static_cast<size_t>(failed)] = problem;
    }
    return problems;
}

}  // namespace

void CheckPayload(TCheckContext& c) {
    const TPlace place{kPayload, L"", L"", L""};
    const std::optional<std::wstring> path = c.Find(kPayload);
    if (!path) {
        c.findings.Error(place, L"is missing: Install shows message 00000_00017 and the wizard ends");
        return;
    }
    const std::optional<std::string> archive = ComponentText(*path);
    if (!archive) {
        c.findings.Error(place, L"its path cannot pass through the ANSI code page, so the installer cannot open it");
        return;
    }
    // The installer's settings (Setup.exe's UnZipper1), with nothing kept of
    // the entries' attributes in the scratch folder.
    TUnZipper zip;
    zip.SetDialogs(std::make_shared<TSilentDialogs>([](const std::string&) {}));
    zip.DoProcessMessages = false;
    zip.RecreateDirs = true;
    zip.OverwriteMode = Always;
    zip.DoAll = true;
    zip.ReplaceReadOnly = true;
    zip.RetainAttributes = false;
    zip.Password = kPayloadPassword;
    try {
        zip.SetZipName(*archive);
        zip.ReadDirectory();
    } catch (const EError& error) {
        c.findings.Error(place, L"does not open as a ZIP archive (\"" + error.Message() +
                                    L"\"): the installation ends with this error");
        return;
    }
    if (zip.Count() == 0) {
        c.findings.Error(place, L"holds no entries: nothing is installed");
        return;
    }
    CheckEntryNames(c, zip);
    CheckExpectedFiles(c, zip);

    TScratchFolder scratch;
    const std::optional<std::string> scratchPath = ComponentText(WidePath(scratch.Path()));
    if (scratch.Path().empty() || !scratchPath) {
        c.findings.Error(place, L"was not tested: no temporary folder could be made for its entries");
        return;
    }
    zip.SetDestDir(*scratchPath);
    const std::vector<std::wstring> problems = TestEntries(zip, *scratchPath);
    for (size_t i = 0; i < problems.size(); ++i) {
        if (problems[i].empty()) continue;
        const bool ofEntry = i < static_cast<size_t>(zip.Count());
        c.findings.Error({kPayload, L"", ofEntry ? EntryPath(zip, static_cast<int32_t>(i)) : L"", L""}, problems[i]);
    }
}

}  // namespace setupcheck
