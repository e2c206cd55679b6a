// The payload's extraction by the wizard form, in-process on archives built
// field by field: the uninstall log's keys and their order, the status line
// and the bar, a damaged entry, a second installation with a smaller
// payload, and the retry-or-quit question for a file that cannot be written
// (whose No stops the extraction; undoing it is rollback_test's).
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "install/rollback.h"
#include "localisation/ini_file.h"
#include "support/recording_dialogs.h"
#include "support/temp_folder.h"
#include "support/test_languages.h"
#include "unzip/crafted_archive.h"
#include "util/code_page.h"
#include "wizard/U1.h"

namespace {

// An entry of the payload, encrypted with the payload's password as shipped.
CraftedEntry Entry(const std::string& name, const std::string& data, uint32_t dosDateTime) {
    CraftedEntry entry;
    entry.name = name;
    entry.data = data;
    entry.dosDateTime = dosDateTime;
    entry.password = "417263";
    return entry;
}

CraftedEntry Folder(const std::string& name) {
    CraftedEntry entry;
    entry.name = name;
    entry.externalAttributes = 0x10;
    return entry;
}

// 2024-03-05 10:20:30 plus a number of seconds (two-second steps).
uint32_t Time(unsigned seconds) {
    return (uint32_t{(44u << 9) | (3u << 5) | 5u} << 16) | (10u << 11) | (20u << 5) | (15u + seconds / 2);
}

class PayloadExtractionTest : public ::testing::Test {
protected:
    void SetUp() override { WriteTestLanguages(setup.Path()); }
    void TearDown() override { form.reset(); }

    // Extracts the payload as the Install button does (with the log on).
    TForm1& Extract(const std::vector<CraftedEntry>& payload) {
        WriteBytes(setup / L"Setup.dat", BuildArchive(payload));
        if (!form) {
            catalogue = std::make_unique<TMultiLanguage>(setup.Path() + L"Setup.exe");
            form = std::make_unique<TForm1>(*catalogue, setup.Path());
        }
        form->EditDir->SetText(destination.Path());
        form->InstallStarted = true;
        form->ExtractPayload();
        return *form;
    }
    // The log's section "Zantivo" as "key=value" lines, in the file's order.
    std::vector<std::wstring> Log() const {
        const TIniFile log(destination / L"Uninstall.log");
        std::vector<std::wstring> lines;
        for (const std::wstring& key : log.ReadSection(L"Zantivo"))
            lines.push_back(key + L"=" + log.ReadString(L"Zantivo", key, L""));
        return lines;
    }
    static std::wstring Fat(uint32_t dosDateTime) { return std::to_wstring(static_cast<int32_t>(dosDateTime)); }

    RecordingDialogs dialogs;
    TempFolder setup, destination;
    std::unique_ptr<TMultiLanguage> catalogue;
    std::unique_ptr<TForm1> form;
};

TEST_F(PayloadExtractionTest, EveryFinishedFileIsLoggedInOrderUnderItsEntryNumber) {
    TForm1& wizard = Extract({Entry("a.txt", "alpha", Time(0)), Folder("bin/"),
                              Entry("bin/viewer.dll", "viewer", Time(2)), Entry("b.txt", "bravo", Time(4)),
                              Entry("c.txt", "charlie", Time(6))});
    // The folder entry's number (1) is missing; the bin\ entry keeps its folder as stored.
    EXPECT_EQ(Log(), (std::vector<std::wstring>{L"0=a.txt", L"D0=" + Fat(Time(0)), L"2=bin\\viewer.dll",
                                                L"D2=" + Fat(Time(2)), L"3=b.txt", L"D3=" + Fat(Time(4)),
                                                L"4=c.txt", L"D4=" + Fat(Time(6))}));
    EXPECT_EQ(ReadBytes(destination / L"bin\\viewer.dll"), "viewer");
    // The bar ends full and the status line names the last file, with message 19.
    EXPECT_EQ(wizard.ProgressBar1->Position(), 100);
    EXPECT_EQ(wizard.LabelInstall2->Text(), L"EN message 19 " + destination.Path() + L"c.txt");
    EXPECT_EQ(wizard.LogNumberBase, 5);  // the entry count, after the extraction
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(PayloadExtractionTest, AFileFailingItsCheckIsNotLoggedAndNotKept) {
    CraftedEntry damaged = Entry("damaged.txt", "these bytes", Time(2));
    damaged.crc = TestCrc32("other bytes");
    Extract({Entry("a.txt", "alpha", Time(0)), damaged, Entry("c.txt", "charlie", Time(4))});
    EXPECT_EQ(Log(), (std::vector<std::wstring>{L"0=a.txt", L"D0=" + Fat(Time(0)), L"2=c.txt",
                                                L"D2=" + Fat(Time(4))}));
    EXPECT_EQ(GetFileAttributesW((destination / L"damaged.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(PayloadExtractionTest, ASmallerSecondPayloadLeavesTheFirstOnesHigherKeys) {
    Extract({Entry("a.txt", "1", Time(0)), Entry("b.txt", "2", Time(2)), Entry("c.txt", "3", Time(4)),
             Entry("d.txt", "4", Time(6))});
    form.reset();  // the second installation is another run of the program
    Extract({Entry("new1.txt", "5", Time(8)), Entry("new2.txt", "6", Time(10))});
    EXPECT_EQ(Log(), (std::vector<std::wstring>{L"0=new1.txt", L"D0=" + Fat(Time(8)), L"1=new2.txt",
                                                L"D1=" + Fat(Time(10)), L"2=c.txt", L"D2=" + Fat(Time(4)),
                                                L"3=d.txt", L"D3=" + Fat(Time(6))}));
}

TEST_F(PayloadExtractionTest, AFileThatCannotBeWrittenAsksUntilTheUserQuits) {
    WriteBytes(destination / L"b.txt", "in use");
    LockedFile inUse(destination / L"b.txt");
    dialogs.confirmAnswers = {true};  // Yes: try again (still in use); then No
    // The window is kept up to date at a person's pace, but as a question
    // shows it names the file in question and the bar stands where the
    // extraction is: after a.txt, 5 of the 17 bytes (29 %).
    std::vector<std::wstring> page;
    dialogs.onConfirm = [&] {
        page.push_back(form->LabelInstall2->Text() + L" " + std::to_wstring(form->ProgressBar1->Position()) + L"%");
    };
    // No stops the extraction there (the Install button's handler then undoes
    // the installation and ends the program).
    EXPECT_THROW(Extract({Entry("a.txt", "alpha", Time(0)), Entry("b.txt", "bravo", Time(2)),
                          Entry("c.txt", "charlie", Time(4))}),
                 EInstallationCancelled);
    const std::wstring question =
        L"confirm: EN message 20\r\n" + destination.Path() + L"b.txt\r\nEN message 21";
    EXPECT_EQ(dialogs.shown, (std::vector<std::wstring>{question, question}));
    const std::wstring shows = L"EN message 19 " + destination.Path() + L"b.txt 29%";
    EXPECT_EQ(page, (std::vector<std::wstring>{shows, shows}));
    // Nothing after b.txt is extracted; the log lists what was extracted before it.
    EXPECT_EQ(Log(), (std::vector<std::wstring>{L"0=a.txt", L"D0=" + Fat(Time(0))}));
    EXPECT_EQ(GetFileAttributesW((destination / L"c.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(PayloadExtractionTest, NothingIsLoggedBeforeInstallIsPressed) {
    WriteBytes(setup / L"Setup.dat", BuildArchive({Entry("a.txt", "alpha", Time(0))}));
    catalogue = std::make_unique<TMultiLanguage>(setup.Path() + L"Setup.exe");
    form = std::make_unique<TForm1>(*catalogue, setup.Path());
    form->EditDir->SetText(destination.Path());
    form->ExtractPayload();
    EXPECT_EQ(ReadBytes(destination / L"a.txt"), "alpha");
    EXPECT_EQ(GetFileAttributesW((destination / L"Uninstall.log").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
