// A full disk at installation time, in-process on a 5 MB drive T: (a tmpfs
// the small_disk fixture maps into the prefix): the sizes the box shows, the
// look before the extraction (the language's texts, Retry, the room of files
// an earlier installation left), and a disk that fills up while the payload
// is extracted. Only a path that ends early runs through the Install button;
// the others call the steps themselves, so that no installation reaches the
// machine.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "install/free_space.h"
#include "localisation/ini_file.h"
#include "support/recording_dialogs.h"
#include "support/temp_folder.h"
#include "support/test_languages.h"
#include "ui/form.h"
#include "unzip/crafted_archive.h"
#include "unzip/small_disk.h"
#include "util/code_page.h"
#include "util/win_error.h"
#include "wizard/U1.h"

namespace {

constexpr uint64_t KB = 1024, MB = 1024 * KB, GB = 1024 * MB;

TEST(SizeTextTest, NeededSizesRoundUpAndFreeOnesDown) {
    wchar_t separator[8] = L".";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
    const struct {
        uint64_t bytes;
        const wchar_t* up;
        const wchar_t* down;
    } cases[] = {
        {0, L"0.0 KB", L"0.0 KB"},
        {1025, L"1.1 KB", L"1.0 KB"},
        {MB - 1, L"1.0 MB", L"1023.9 KB"},  // rounded up into the next unit
        {5 * MB - 1, L"5.0 MB", L"4.9 MB"},
        {203 * MB + 400 * KB, L"203.4 MB", L"203.3 MB"},
        {3 * GB / 2, L"1.5 GB", L"1.5 GB"},  // exact: both alike
        {2048 * GB + 1, L"2.1 TB", L"2.0 TB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        auto local = [&](std::wstring text) { return text.replace(text.find(L'.'), 1, separator); };
        EXPECT_EQ(SizeText(c.bytes, true), local(c.up));
        EXPECT_EQ(SizeText(c.bytes, false), local(c.down));
    }
}

// Boxes answered one by one by the test's functions (then as RecordingDialogs does).
class AnsweringDialogs : public RecordingDialogs {
public:
    std::vector<std::function<int()>> answers;
    int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT buttons) override {
        const int recorded = RecordingDialogs::ShowMessageBox(text, caption, buttons);
        if (boxes_ >= answers.size()) return recorded;
        return answers[boxes_++]();
    }

private:
    size_t boxes_ = 0;
};

class FullDiskInstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!disk.Refusal().empty()) GTEST_SKIP() << disk.Refusal();
        ASSERT_TRUE(disk.Fault().empty()) << disk.Fault();
        disk.Clear();
        WriteTestLanguages(setup.Path());
        MakeFolders(destination);
    }
    void TearDown() override {
        form.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Zantivo");
    }

    // The wizard on the installing page's doorstep, with the payload in its setup folder.
    TForm1& Wizard(const std::vector<CraftedEntry>& payload) {
        WriteBytes(setup / L"Setup.dat", BuildArchive(payload));
        catalogue = std::make_unique<TMultiLanguage>(setup.Path() + L"Setup.exe");
        form = std::make_unique<TForm1>(*catalogue, setup.Path());
        form->EditDir->SetText(destination);
        form->ShowPage(2);
        return *form;
    }
    void PressInstall() { SendMessageW(form->ButtonNext3->Handle(), BM_CLICK, 0, 0); }

    // The log's section "Zantivo" as "key=value" lines, in the file's order.
    std::vector<std::wstring> LoggedPaths() const {
        const TIniFile log(destination + L"Uninstall.log");
        std::vector<std::wstring> lines;
        for (const std::wstring& key : log.ReadSection(L"Zantivo"))
            if (key[0] != L'D') lines.push_back(key + L"=" + log.ReadString(L"Zantivo", key, L""));
        return lines;
    }
    uint64_t Free() const {
        ULARGE_INTEGER free;
        EXPECT_TRUE(GetDiskFreeSpaceExW(destination.c_str(), &free, nullptr, nullptr));
        return free.QuadPart;
    }
    static bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    SmallDisk disk;
    AnsweringDialogs dialogs;
    TempFolder setup;
    const std::wstring destination = L"T:\\Zantivo\\";
    std::unique_ptr<TMultiLanguage> catalogue;
    std::unique_ptr<TForm1> form;
};

// The box in the language's own texts; Retry looks again, and goes on once
// the user has made room. (The real program's box, in the built-in texts,
// and its Cancel are the end-to-end test's.)
TEST_F(FullDiskInstallTest, RetryLooksAgainUntilThereIsRoom) {
    TIniFile texts(setup / L"lang\\ResEN.ini");
    for (const wchar_t* id : {L"00000_00025", L"00000_00026", L"00000_00027"})
        texts.WriteString(L"Res", id, L"EN message " + std::wstring(id + 9) + L" for %s");
    TForm1& wizard = Wizard({PayloadEntry("a.txt", "alpha"), PayloadEntry("media/scan.tif", Incompressible(2 * MB, 3))});
    disk.FillLeaving(1 * MB);
    const std::wstring filler = disk.Root().wstring() + L"filler.bin";
    dialogs.answers = {[] { return IDRETRY; },  // nothing changed: asked again
                       [&] {
                           DeleteFileW(filler.c_str());  // the user makes room
                           return IDRETRY;
                       }};
    const uint64_t free = Free();
    wizard.EnsureRoomForPayload();

    // Each file takes whole allocation units (4 KB on a tmpfs), and the log one more.
    const uint64_t needed = 4 * KB + 2 * MB + 4 * KB;
    const std::wstring box = L"box: " + Application().Title() + L": EN message 25 for T:\\\r\n\r\nEN message 26 for " +
                             SizeText(needed, true) + L"\r\nEN message 27 for " + SizeText(free, false);
    EXPECT_EQ(dialogs.shown, (std::vector<std::wstring>{box, box}));
    wizard.InstallStarted = true;
    wizard.ExtractPayload();
    EXPECT_EQ(LoggedPaths(), (std::vector<std::wstring>{L"0=a.txt", L"1=media\\scan.tif"}));
}

TEST_F(FullDiskInstallTest, TheFilesAnEarlierInstallationLeftMakeNoRoomForTheirNewVersions) {
    // The earlier version of the big file is there; the drive holds too
    // little for the new one beside it, but enough in its place. The earlier
    // one stays until the installation completes (undoing it puts it back),
    // so the new one needs room of its own.
    MakeFolders(destination + L"media");
    WriteBytes(destination + L"media\\scan.tif", Incompressible(3 * MB, 4));
    const std::string newer = Incompressible(3 * MB + 200 * KB, 5);
    TForm1& wizard = Wizard({PayloadEntry("a.txt", "alpha"), PayloadEntry("media/scan.tif", newer)});
    disk.FillLeaving(1 * MB);
    dialogs.answers = {[] { return IDCANCEL; }};
    EXPECT_THROW(wizard.EnsureRoomForPayload(), EError);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].find(SizeText(4 * KB + 3 * MB + 200 * KB + 4 * KB, true)), std::wstring::npos)
        << WideToUtf8(dialogs.shown[0]);
}

TEST_F(FullDiskInstallTest, ADiskFillingUpDuringTheExtractionShowsTheFileAndTheSystemsReason) {
    TForm1& wizard = Wizard({PayloadEntry("a.txt", "alpha"), PayloadEntry("b.txt", "bravo"), PayloadEntry("big.bin", Incompressible(3 * MB, 6)),
                             PayloadEntry("c.txt", "charlie")});
    // Another program takes most of the room once the big file has begun.
    const TStartUnZipEvent showStatus = wizard.UnZipper1.OnStartUnZip;
    wizard.UnZipper1.OnStartUnZip = [&](TUnZipper& zip, int32_t index, std::string& name, bool& skip) {
        showStatus(zip, index, name, skip);
        if (zip.FileName(index) == "big.bin") disk.FillLeaving(1 * MB);
    };
    PressInstall();
    const std::wstring error =
        L"Cannot write file \"" + destination + L"big.bin\". " + SystemErrorText(ERROR_DISK_FULL);
    EXPECT_EQ(dialogs.shown, std::vector<std::wstring>{L"error: " + ErrorBoxText(error)});
    EXPECT_EQ(wizard.PageControl1->ActivePageIndex(), 3);
    // Nothing of the installation stays: the files finished before the big
    // one and their log are undone too (the folder was there before).
    for (const wchar_t* file : {L"a.txt", L"b.txt", L"big.bin", L"c.txt", L"Uninstall.log"})
        EXPECT_FALSE(Exists(destination + file)) << WideToUtf8(file);
    EXPECT_TRUE(Exists(destination));
}

}  // namespace
