// The installation's journal as a reader meets it after a crash: records
// read back exactly, a record cut short or damaged anywhere ending the
// reading, paths outside the installation's places refused, and a whole
// recovery from a journal that ends in half a record (a kill mid-write):
// every whole record undone, nothing else touched.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/install_log.h"
#include "install/installation_journal.h"
#include "install/journal.h"
#include "install/journal_places.h"
#include "install/registry_snapshot.h"
#include "install/rollback.h"
#include "support/temp_folder.h"
#include "util/error.h"
#include "util/handles.h"

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool SameRecords(const std::vector<TJournalRecord>& a, const std::vector<TJournalRecord>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].kind != b[i].kind || a[i].fields != b[i].fields) return false;
    return true;
}

TEST(JournalTest, ReadsBackEveryWholeRecordAndNothingOfOneCutShortOrDamaged) {
    const std::vector<TJournalRecord> records = {
        {TRecordKind::Header, {L"1", L"C:\\Program Files\\Zantivo Sys\\", L"C:\\Zantivo\\"}},
        // Fields with what the format escapes, an empty field, and letters beyond ASCII.
        {TRecordKind::Aside, {L"C:\\a\\100%\tb\r\nc.txt", L""}},
        {TRecordKind::File, {L"C:\\\u00e4\u4e2d\\\U0001F600.txt"}},
        {TRecordKind::Commit, {}},
    };
    std::string bytes;
    std::vector<size_t> ends;  // where each record's line ends
    for (const TJournalRecord& record : records) {
        bytes += EncodeRecord(record);
        ends.push_back(bytes.size());
    }
    const TJournalReading whole = DecodeJournal(bytes);
    EXPECT_TRUE(SameRecords(whole.records, records));
    EXPECT_FALSE(whole.damaged);

    // Cut at every byte: exactly the records that end before the cut.
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        SCOPED_TRACE(cut);
        size_t whole = 0;
        while (whole < ends.size() && ends[whole] <= cut) ++whole;
        const TJournalReading reading = DecodeJournal(bytes.substr(0, cut));
        EXPECT_TRUE(SameRecords(reading.records, {records.begin(), records.begin() + whole}));
        EXPECT_EQ(reading.damaged, whole == 0 ? cut > 0 : cut != ends[whole - 1]);
    }
    // Any byte of the second record changed: the reading stops before it.
    for (size_t at = ends[0]; at < ends[1]; ++at) {
        SCOPED_TRACE(at);
        std::string damaged = bytes;
        damaged[at] ^= 0x01;
        const TJournalReading reading = DecodeJournal(damaged);
        EXPECT_TRUE(SameRecords(reading.records, {records[0]}));
        EXPECT_TRUE(reading.damaged);
    }
    EXPECT_TRUE(DecodeJournal("not a journal\n\x00\xFF").records.empty());
}

TEST(JournalTest, OnlyPlainPathsInTheInstallationsPlacesAndItsOwnAsideNamesPass) {
    const std::vector<std::wstring> places = {L"C:\\Apps\\Zantivo\\", L"C:\\Windows\\System\\borlndmm.dll"};
    const struct {
        const wchar_t* path;
        bool passes;
    } paths[] = {
        {L"C:\\Apps\\Zantivo", true},                 // the folder itself
        {L"c:\\apps\\zantivo\\bin\\a.dll", true},     // letter case does not matter
        {L"C:\\Windows\\System\\BORLNDMM.DLL", true},  // a single file
        {L"C:\\Windows\\System\\other.dll", false},
        {L"C:\\Apps\\Zantivo Old\\a.txt", false},     // a folder whose name only begins alike
        {L"C:\\Apps\\Zantivo\\..\\..\\Windows\\win.ini", false},
        {L"C:\\Apps\\Zantivo\\.\\a.txt", false},
        {L"C:\\Apps\\Zantivo\\a.txt:stream", false},
        {L"C:\\Apps\\Zantivo\\*.txt", false},
        {L"\\\\?\\C:\\Apps\\Zantivo\\a.txt", false},
        {L"Apps\\Zantivo\\a.txt", false},              // relative
        {L"C:\\Apps\\Zantivo\\\\a.txt", false},        // an empty component
        {L"", false},
    };
    for (const auto& p : paths) EXPECT_EQ(LiesInPlaces(p.path, places), p.passes) << WideToUtf8(p.path);

    EXPECT_TRUE(IsAsideOf(L"C:\\A\\b.txt.setup-earlier", L"C:\\A\\b.txt"));
    EXPECT_TRUE(IsAsideOf(L"C:\\A\\b.txt.setup-earlier12", L"C:\\a\\B.TXT"));
    EXPECT_FALSE(IsAsideOf(L"C:\\A\\b.txt.setup-earlier1", L"C:\\A\\b.txt"));   // the first one has no number
    EXPECT_FALSE(IsAsideOf(L"C:\\A\\b.txt.setup-earlier02", L"C:\\A\\b.txt"));
    EXPECT_FALSE(IsAsideOf(L"C:\\A\\other.txt", L"C:\\A\\b.txt"));             // any other file
    EXPECT_FALSE(IsAsideOf(L"C:\\A\\b.txt.setup-earlierx", L"C:\\A\\b.txt"));
}

class RecoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetJournalFolder(journalFolder.Path());
        previousLog_ = SetInstallLog(&log);
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey);
    }
    void TearDown() override {
        SetInstallLog(previousLog_);
        SetJournalFolder(L"");
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey);
    }
    std::wstring LogText() const { return Utf8ToWide(ReadBytesWhileWritten(log.Path())); }

    static constexpr wchar_t kKey[] = L"Software\\ZantivoJournalTest";
    static constexpr wchar_t kOtherKey[] = L"Software\\ZantivoJournalTest\\Outside";
    TempFolder journalFolder, place, elsewhere, logFolder;
    TInstallLog log{logFolder / L"setup.log"};

private:
    TInstallLog* previousLog_ = nullptr;
};

// A kill while the journal was being written leaves half a record at its
// end; a planted or damaged record may name anything. The next run undoes
// the whole records within the installation's places, and nothing else.
TEST_F(RecoveryTest, AJournalEndingInHalfARecordIsUndoneUpToItAndNeverOutsideItsPlaces) {
    const std::wstring root = place.Path();
    MakeFolders(root + L"made\\deeper");
    WriteBytes(root + L"made\\deeper\\new.txt", "new");
    WriteBytes(root + L"kept.txt", "new version");
    WriteBytes(root + L"kept.txt.setup-earlier", "earlier version");
    WriteBytes(root + L"half.txt", "its record was cut short");
    WriteBytes(elsewhere / L"outside.txt", "not the installation's");
    WriteBytes(root + L"victim.txt", "a file the journal claims was moved aside");
    WriteBytes(elsewhere / L"planted.txt", "put over the victim?");
    MakeFolders(root + L"kept folder");
    WriteBytes(root + L"kept folder\\user.txt", "stays");
    // The key the installation made: removed; values the user had elsewhere stay.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegSetValueExW(key, L"InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kOtherKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);

    std::vector<TJournalRecord> records = {
        {TRecordKind::Header, {L"1", root, root}},
        {TRecordKind::Folder, {root + L"made"}},
        {TRecordKind::Folder, {root + L"made\\deeper"}},
        {TRecordKind::File, {root + L"made\\deeper\\new.txt"}},
        {TRecordKind::Aside, {root + L"kept.txt", root + L"kept.txt.setup-earlier"}},
        {TRecordKind::File, {elsewhere / L"outside.txt"}},                  // outside the places
        {TRecordKind::Aside, {root + L"victim.txt", elsewhere / L"planted.txt"}},  // not an aside name
        {TRecordKind::Folder, {root + L"kept folder"}},                    // holds the user's file
        {TRecordKind::Key, {RootName(HKEY_CURRENT_USER), kKey, L"0"}},
        {TRecordKind::Key, {L"HKEY_LOCAL_MACHINE", kOtherKey, L"0"}},  // not a key of the product's
        {TRecordKind::Program, {L"Z:\\setup\\Drivers\\ScanDriverSetup.exe"}},
        {TRecordKind::Unknown, {}},  // a kind from a later version
        {TRecordKind::File, {root + L"half.txt"}},
    };
    records[11].kindName = L"Shortcut";
    std::string bytes;
    for (const TJournalRecord& record : records) bytes += EncodeRecord(record);
    bytes.resize(bytes.size() - EncodeRecord(records.back()).size() / 2);  // the kill
    WriteBytes(JournalPath(), bytes);

    EXPECT_TRUE(RecoverInterruptedInstallation());
    EXPECT_FALSE(Exists(root + L"made"));
    EXPECT_EQ(ReadBytes(root + L"kept.txt"), "earlier version");
    EXPECT_FALSE(Exists(root + L"kept.txt.setup-earlier"));
    EXPECT_EQ(ReadBytes(root + L"half.txt"), "its record was cut short");
    EXPECT_EQ(ReadBytes(elsewhere / L"outside.txt"), "not the installation's");
    EXPECT_EQ(ReadBytes(root + L"victim.txt"), "a file the journal claims was moved aside");
    EXPECT_EQ(ReadBytes(elsewhere / L"planted.txt"), "put over the victim?");
    EXPECT_EQ(ReadBytes(root + L"kept folder\\user.txt"), "stays");
    HKEY gone = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &gone), ERROR_SUCCESS);
    HKEY other = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kOtherKey, 0, KEY_READ, &other), ERROR_SUCCESS);
    RegCloseKey(other);
    EXPECT_FALSE(Exists(JournalPath()));
    EXPECT_FALSE(RecoverInterruptedInstallation());  // once only

    // The log says what was undone, refused and what cannot be undone.
    const std::wstring text = LogText();
    for (const std::wstring& line : std::vector<std::wstring>{
             L"bytes are not a whole record", L"Undone: the earlier " + root + L"kept.txt is back",
          L"Refused to undo a change the journal places outside the installation: File " + elsewhere / L"outside.txt",
          L"Refused to undo a change the journal places outside the installation: Aside " + root + L"victim.txt",
          L"Kept the folder " + root + L"kept folder",
          L"Cannot be undone: the further installer Z:\\setup\\Drivers\\ScanDriverSetup.exe has run",
          L"Cannot be undone: a change of a kind this Setup does not know (\"Shortcut\")",
          L"Undone: removed 1 files", L"Undone: removed 2 folders"})
        EXPECT_NE(text.find(line), std::wstring::npos) << WideToUtf8(line) << "\n" << WideToUtf8(text);
}

// A journal that had committed finishes its commit; one without a header is left undone.
TEST_F(RecoveryTest, ACommittedJournalOnlyLosesItsEarlierFilesAndAHeaderlessOneUndoesNothing) {
    const std::wstring root = place.Path();
    WriteBytes(root + L"a.txt", "new");
    WriteBytes(root + L"a.txt.setup-earlier", "earlier");
    WriteBytes(root + L"made.txt", "made");
    std::string bytes = EncodeRecord({TRecordKind::Header, {L"1", root, root}}) +
                        EncodeRecord({TRecordKind::File, {root + L"made.txt"}}) +
                        EncodeRecord({TRecordKind::Aside, {root + L"a.txt", root + L"a.txt.setup-earlier"}}) +
                        EncodeRecord({TRecordKind::Commit, {}});
    WriteBytes(JournalPath(), bytes);
    EXPECT_TRUE(RecoverInterruptedInstallation());
    EXPECT_EQ(ReadBytes(root + L"a.txt"), "new");
    EXPECT_FALSE(Exists(root + L"a.txt.setup-earlier"));
    EXPECT_EQ(ReadBytes(root + L"made.txt"), "made");

    // The header lost (and no commit): nothing says where the installation was, so nothing is undone.
    WriteBytes(root + L"a.txt.setup-earlier", "earlier");
    WriteBytes(JournalPath(), EncodeRecord({TRecordKind::File, {root + L"made.txt"}}) +
                                  EncodeRecord({TRecordKind::Aside, {root + L"a.txt", root + L"a.txt.setup-earlier"}}));
    EXPECT_TRUE(RecoverInterruptedInstallation());
    EXPECT_EQ(ReadBytes(root + L"made.txt"), "made");
    EXPECT_EQ(ReadBytes(root + L"a.txt"), "new");
    EXPECT_NE(LogText().find(L"The journal has no header this Setup can read"), std::wstring::npos);
}

// The permission step changes the access list of a folder that was there: its
// list comes back as it was; a record with no list at all (which would open
// the folder to everyone) is refused.
TEST_F(RecoveryTest, AFoldersAccessListComesBackAndNoneIsNeverWritten) {
    const std::wstring folder = place / L"data";
    MakeFolders(folder);
    auto rules = [&] {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        EXPECT_EQ(GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                        nullptr, nullptr, &descriptor),
                  ERROR_SUCCESS);
        wchar_t* text = nullptr;
        ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                             &text, nullptr);
        const std::wstring result = text ? text : L"";
        LocalFree(text);
        LocalFree(descriptor);
        return result;
    };
    const std::wstring before = rules();
    ASSERT_FALSE(before.empty());
    // As an earlier permission step did: everyone may change everything.
    PSECURITY_DESCRIPTOR open = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;FA;;;WD)", SDDL_REVISION_1, &open,
                                                                     nullptr));
    BOOL present = FALSE, defaulted = FALSE;
    PACL everyone = nullptr;
    GetSecurityDescriptorDacl(open, &present, &everyone, &defaulted);
    ASSERT_EQ(SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, everyone, nullptr),
              ERROR_SUCCESS);
    LocalFree(open);
    const std::wstring opened = rules();
    ASSERT_NE(opened, before);

    WriteBytes(JournalPath(), EncodeRecord({TRecordKind::Header, {L"1", place.Path(), place.Path()}}) +
                                  EncodeRecord({TRecordKind::Security, {folder, before}}));
    EXPECT_TRUE(RecoverInterruptedInstallation());
    EXPECT_EQ(rules(), before);

    WriteBytes(JournalPath(), EncodeRecord({TRecordKind::Header, {L"1", place.Path(), place.Path()}}) +
                                  EncodeRecord({TRecordKind::Security, {folder, L""}}));
    EXPECT_TRUE(RecoverInterruptedInstallation());
    EXPECT_EQ(rules(), before);
    EXPECT_NE(LogText().find(L"Could not put back the access list of " + folder), std::wstring::npos);
}

// A key's whole tree, every type of value and a subkey, travels through
// journal fields and comes back as it was after the installation rewrote it.
TEST_F(RecoveryTest, ARegistryKeyComesBackWholeFromItsSnapshot) {
    UniqueHKey key, sub;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExW(key.get(), L"Sub\\Deeper", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, sub.put(), nullptr),
              ERROR_SUCCESS);
    const DWORD number = 0x12345678;
    const wchar_t multi[] = L"one\0two\0";
    const BYTE binary[] = {0, 1, 0xFF, '\t', '\n'};
    RegSetValueExW(key.get(), L"InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"C:\\A\\"), 12);
    RegSetValueExW(key.get(), L"", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(L"%X%"), 8);
    RegSetValueExW(key.get(), L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
    RegSetValueExW(sub.get(), L"Multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof multi);
    RegSetValueExW(sub.get(), L"Binary", 0, REG_BINARY, binary, sizeof binary);
    sub.reset();
    key.reset();

    const TKeySnapshot before = SnapshotKey(HKEY_CURRENT_USER, kKey);
    const std::string line = EncodeRecord({TRecordKind::Key, SnapshotFields(before)});
    const TJournalReading reading = DecodeJournal(line);
    ASSERT_EQ(reading.records.size(), 1u);
    const std::optional<TKeySnapshot> travelled = SnapshotFromFields(reading.records[0].fields, 0);
    ASSERT_TRUE(travelled);
    // The installation rewrites the key: a value changed, one added, the subkey gone.
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"InstallPath", REG_SZ, L"D:\\", 8);
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Added", REG_SZ, L"x", 4);
    RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kKey) + L"\\Sub").c_str());
    ASSERT_TRUE(RestoreKey(HKEY_CURRENT_USER, kKey, *travelled));

    const TKeySnapshot after = SnapshotKey(HKEY_CURRENT_USER, kKey);
    EXPECT_EQ(after.subkeys, before.subkeys);
    ASSERT_EQ(after.values.size(), 5u);
    ASSERT_EQ(after.values.size(), before.values.size());
    for (size_t i = 0; i < before.values.size(); ++i) {
        EXPECT_EQ(after.values[i].subkey, before.values[i].subkey);
        EXPECT_EQ(after.values[i].name, before.values[i].name);
        EXPECT_EQ(after.values[i].type, before.values[i].type);
        EXPECT_EQ(after.values[i].data, before.values[i].data);
    }
    // A key that did not exist is removed again; fields that are no snapshot are refused.
    ASSERT_TRUE(RestoreKey(HKEY_CURRENT_USER, kKey, TKeySnapshot{}));
    EXPECT_FALSE(SnapshotKey(HKEY_CURRENT_USER, kKey).existed);
    EXPECT_FALSE(SnapshotFromFields({L"1", L"Vname", L"1"}, 0));
    EXPECT_FALSE(SnapshotFromFields({L"1", L"Vname", L"x", L"00"}, 0));
    EXPECT_FALSE(SnapshotFromFields({L"0", L"KSub"}, 0));
    EXPECT_FALSE(SnapshotFromFields({L"2"}, 0));
}

}  // namespace
