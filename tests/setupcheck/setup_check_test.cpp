// setupcheck on setup folders built by the tests: a good one checks clean,
// and each fault, built into an otherwise good folder, is reported exactly
// once, where it lies, with the exit status it deserves.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>

#include "platform.h"
#include "setup_check.h"
#include "setupcheck/setup_folder_plan.h"
#include "unzip/unzip_test_support.h"
#include "util/error.h"

using namespace setupcheck;

namespace {

constexpr unsigned kCodePage = 1252;
constexpr TSeverity E = TSeverity::Error, W = TSeverity::Warning;

struct TExpected {
    TSeverity severity;
    std::wstring file, section, key, language;
    std::wstring fragment;  // a part of the message
};

std::vector<TFinding> Check(const TSetupPlan& plan) {
    TempDir dir;
    plan.Write(dir / "setup");
    return CheckSetupFolder(WidePath(dir / "setup"), kCodePage);
}

std::string Describe(const TExpected& e) {
    return WideToUtf8(e.file + L" [" + e.section + L"] " + e.key + L" (" + e.language + L"): " + e.fragment);
}

void ExpectFindings(const std::vector<TFinding>& found, const std::vector<TExpected>& expected) {
    SCOPED_TRACE("findings:\n" + ReportLines(found));
    EXPECT_EQ(found.size(), expected.size());
    int status = 0;
    for (const TExpected& e : expected) {
        int matches = 0;
        for (const TFinding& f : found)
            matches += f.severity == e.severity && f.place.file == e.file && f.place.section == e.section &&
                       f.place.key == e.key && f.place.language == e.language &&
                       f.message.find(e.fragment) != std::wstring::npos;
        EXPECT_EQ(matches, 1) << Describe(e);
        status = std::max(status, e.severity == E ? 2 : 1);
    }
    EXPECT_EQ(ExitCodeOf(found), status);
}

const std::wstring kCatalogue = L"lang\\Language.ini", kEnglish = L"lang\\ResEN.ini", kGerman = L"lang\\ResDE.ini",
                   kFormTexts = L"lang\\FormRes.ini", kPayload = L"Setup.dat";

struct TFaultCase {
    const char* name;
    std::function<void(TSetupPlan&)> breakIt;
    std::vector<TExpected> expected;
};

const TFaultCase kFaultCases[] = {
    {"a good setup folder", [](TSetupPlan&) {}, {}},
    {"a good alternate product name", [](TSetupPlan& s) { s.Ini("lang/ResEN.ini").Set(L"Res", L"00000_00023", L"Viewer"); }, {}},

    // ---- lang\Language.ini -------------------------------------------------
    {"no catalogue", [](TSetupPlan& s) { s.inis.erase("lang/Language.ini"); },
     {{E, kCatalogue, L"", L"", L"", L"is missing"}}},
    {"a language list of blanks",
     [](TSetupPlan& s) { s.Ini("lang/Language.ini").Set(L"System", L"LanguageList", L" || "); },
     {{E, kCatalogue, L"System", L"LanguageList", L"", L"names no language"}}},
    {"a start language that is no number",
     [](TSetupPlan& s) { s.Ini("lang/Language.ini").Set(L"System", L"Languare", L"two"); },
     {{W, kCatalogue, L"System", L"Languare", L"", L"\"two\" is not a number"}}},
    {"a start language out of range",
     [](TSetupPlan& s) { s.Ini("lang/Language.ini").Set(L"System", L"Languare", L"2"); },
     {{W, kCatalogue, L"System", L"Languare", L"", L"2 is not a language number (0 to 1)"}}},
    {"no display names for DE", [](TSetupPlan& s) { s.Ini("lang/Language.ini").Remove(L"System", L"DE"); },
     {{W, kCatalogue, L"System", L"DE", L"DE", L"gives no display names"}}},
    {"too few display names for EN",
     [](TSetupPlan& s) { s.Ini("lang/Language.ini").Set(L"System", L"EN", L"English"); },
     {{E, kCatalogue, L"System", L"EN", L"EN", L"lists 1 display name for 2 languages"}}},
    {"too many display names for EN",
     [](TSetupPlan& s) { s.Ini("lang/Language.ini").Set(L"System", L"EN", L"English||German||French"); },
     {{W, kCatalogue, L"System", L"EN", L"EN", L"lists 3 display names for 2 languages"}}},
    {"[Abbreviate] naming an unlisted language",
     [](TSetupPlan& s) { s.Ini("lang/Language.ini").Set(L"Abbreviate", L"2057", L"FR"); },
     {{W, kCatalogue, L"Abbreviate", L"2057", L"", L"names \"FR\""}}},
    {"an abbreviation beyond ASCII",
     [](TSetupPlan& s) {
         s.Ini("lang/Language.ini").Set(L"System", L"LanguageList", L"EN||D\u00c9").Set(L"System", L"D\u00c9", L"E||D");
         s.inis["lang/Language.ini"].encoding = TEncoding::Utf16Le;
     },
     {{E, kCatalogue, L"System", L"LanguageList", L"D\u00c9", L"beyond plain ASCII"}}},
    {"an abbreviation that cannot name a file",
     [](TSetupPlan& s) { s.Ini("lang/Language.ini").Set(L"System", L"LanguageList", L"EN||D*E").Set(L"System", L"D*E", L"E||D"); },
     {{E, kCatalogue, L"System", L"LanguageList", L"D*E", L"cannot be part of the text file's name ResD*E.ini"}}},

    // ---- each language's text file ---------------------------------------------
    {"no text file for DE", [](TSetupPlan& s) { s.inis.erase("lang/ResDE.ini"); },
     {{E, kGerman, L"", L"", L"DE", L"is missing: the wizard drops language DE"}}},
    {"a text file in UTF-8 with a mark", [](TSetupPlan& s) { s.inis["lang/ResDE.ini"].encoding = TEncoding::Utf8WithMark; },
     {{E, kGerman, L"", L"", L"DE", L"is UTF-8 with a byte-order mark"}}},
    {"a text file in UTF-16BE", [](TSetupPlan& s) { s.inis["lang/ResDE.ini"].encoding = TEncoding::Utf16Be; },
     {{E, kGerman, L"", L"", L"DE", L"big-endian"}}},
    {"a text file in UTF-8 without a mark",
     [](TSetupPlan& s) { s.inis["lang/ResDE.ini"].encoding = TEncoding::Utf8WithoutMark; },
     {{W, kGerman, L"", L"", L"DE", L"UTF-8 text without a byte-order mark, which Windows reads in code page 1252"}}},
    {"a text file in UTF-16LE without its mark",
     [](TSetupPlan& s) {
         s.files["lang/ResEN.ini"] = Encode(s.Ini("lang/ResEN.ini").Text(), TEncoding::Utf16Le).substr(2);
         s.inis.erase("lang/ResEN.ini");
     },
     {{E, kEnglish, L"", L"", L"EN", L"holds NUL bytes"}}},
    {"a message text missing", [](TSetupPlan& s) { s.Ini("lang/ResEN.ini").Remove(L"Res", L"00000_00017"); },
     {{E, kEnglish, L"Res", L"00000_00017", L"EN", L"is missing: the box for a missing Setup.dat shows nothing"}}},
    {"a message text empty", [](TSetupPlan& s) { s.Ini("lang/ResDE.ini").Set(L"Res", L"00000_00008", L""); },
     {{E, kGerman, L"Res", L"00000_00008", L"DE", L"is empty: the installing page's heading shows nothing"}}},
    {"a number's placeholder", [](TSetupPlan& s) { s.Ini("lang/ResEN.ini").Set(L"Res", L"00000_00003", L"Welcome to %d"); },
     {{E, kEnglish, L"Res", L"00000_00003", L"EN", L"ends in the error \"Format 'Welcome to %d' invalid"}}},
    {"a second argument",
     [](TSetupPlan& s) { s.Ini("lang/ResEN.ini").Set(L"Res", L"00000_00015", L"Cancel %s (%s)?"); },
     {{E, kEnglish, L"Res", L"00000_00015", L"EN", L"is not a format for one text argument, so the Cancel question"}}},
    {"a percent sign at the end of the status line",
     [](TSetupPlan& s) { s.Ini("lang/ResDE.ini").Set(L"Res", L"00000_00019", L"%s zu 5%"); },
     {{E, kGerman, L"Res", L"00000_00019", L"DE", L"is not a format"}}},
    {"the product name twice",
     [](TSetupPlan& s) { s.Ini("lang/ResEN.ini").Set(L"Res", L"00000_00002", L"%0:s - %0:s"); },
     {{W, kEnglish, L"Res", L"00000_00002", L"EN", L"has 2 placeholders"}}},
    {"no product name in a formatted text",
     [](TSetupPlan& s) { s.Ini("lang/ResEN.ini").Set(L"Res", L"00000_00004", L"This wizard installs the product."); },
     {{W, kEnglish, L"Res", L"00000_00004", L"EN", L"has no \"%s\": the product name does not appear"}}},
    {"no path in the status line", [](TSetupPlan& s) { s.Ini("lang/ResEN.ini").Set(L"Res", L"00000_00019", L"Installing..."); },
     {{W, kEnglish, L"Res", L"00000_00019", L"EN", L"the file's path does not appear"}}},
    {"a placeholder in a plain text", [](TSetupPlan& s) { s.Ini("lang/ResEN.ini").Set(L"Res", L"00000_00005", L"Click %s."); },
     {{W, kEnglish, L"Res", L"00000_00005", L"EN", L"is shown as it stands"}}},
    {"a newer message missing: the installer has its own English text",
     [](TSetupPlan& s) {
         s.Ini("lang/ResDE.ini").Remove(L"Res", L"00000_00025");
         s.Ini("lang/ResEN.ini").Set(L"Res", L"00000_00027", L"");
     },
     {{W, kGerman, L"Res", L"00000_00025", L"DE",
       L"is missing: the box for a drive without room for the payload shows the installer's English text"},
      {W, kEnglish, L"Res", L"00000_00027", L"EN", L"is empty: the room free in that box shows the installer's"}}},
    {"a size's text formatted as a number",
     [](TSetupPlan& s) { s.Ini("lang/ResEN.ini").Set(L"Res", L"00000_00026", L"Needed: %d bytes"); },
     {{E, kEnglish, L"Res", L"00000_00026", L"EN", L"so the room needed in that box ends in the error"}}},
    {"no drive in the shortfall's text",
     [](TSetupPlan& s) { s.Ini("lang/ResDE.ini").Set(L"Res", L"00000_00025", L"Zu voll."); },
     {{W, kGerman, L"Res", L"00000_00025", L"DE", L"has no \"%s\": the drive does not appear in the box"}}},
    {"a product name with a slash", [](TSetupPlan& s) { s.Ini("lang/ResEN.ini").Set(L"Res", L"00000_00023", L"View/er"); },
     {{E, kEnglish, L"Res", L"00000_00023", L"EN", L"\"View/er\" cannot be a file name: it holds '/'"}}},
    {"a product name that is a device", [](TSetupPlan& s) { s.Ini("lang/ResDE.ini").Set(L"Res", L"00000_00023", L"Con"); },
     {{E, kGerman, L"Res", L"00000_00023", L"DE", L"a device name that Windows reserves"}}},
    {"a product name beyond the code page",
     [](TSetupPlan& s) { s.Ini("lang/ResEN.ini").Set(L"Res", L"00000_00023", L"\u0412\u044c\u044e\u0435\u0440"); },
     {{E, kEnglish, L"Res", L"00000_00023", L"EN", L"that code page 1252 cannot carry"}}},

    // ---- lang\FormRes.ini ---------------------------------------------------------
    {"no form texts", [](TSetupPlan& s) { s.inis.erase("lang/FormRes.ini"); },
     {{E, kFormTexts, L"", L"", L"", L"is missing: every control keeps the form's design text"}}},
    {"a control the form lacks", [](TSetupPlan& s) { s.Ini("lang/FormRes.ini").Set(L"Form1", L"ButtonNxt1", L"00000000101"); },
     {{E, kFormTexts, L"Form1", L"ButtonNxt1", L"", L"names no control of the form"}}},
    {"a control that takes no text", [](TSetupPlan& s) { s.Ini("lang/FormRes.ini").Set(L"Form1", L"Panel1", L"00000000102"); },
     {{W, kFormTexts, L"Form1", L"Panel1", L"", L"Panel1 is a TPanel, a class that takes no text"}}},
    {"a control without a text id", [](TSetupPlan& s) { s.Ini("lang/FormRes.ini").Set(L"Form1", L"Label9", L""); },
     {{W, kFormTexts, L"Form1", L"Label9", L"", L"gives no text id: Label9 keeps its design text"}}},
    {"a form caption id that no language has",  // message 00000_00002 gives the caption anyway
     [](TSetupPlan& s) { s.Ini("lang/FormRes.ini").Set(L"Form1", L"Caption", L"00000000999"); }, {}},
    {"a section of another form", [](TSetupPlan& s) { s.Ini("lang/FormRes.ini").Set(L"Form2", L"ButtonNext1", L"00000000101"); },
     {{W, kFormTexts, L"Form2", L"", L"", L"names no form of the setup"}}},
    {"a form text missing in one language", [](TSetupPlan& s) { s.Ini("lang/ResDE.ini").Remove(L"FormRes", L"00000000101"); },
     {{E, kGerman, L"FormRes", L"00000000101", L"DE", L"is missing: ButtonNext1, ButtonNext2 keep the design text"}}},
    {"a form text empty", [](TSetupPlan& s) { s.Ini("lang/ResEN.ini").Set(L"FormRes", L"00000000104", L""); },
     {{E, kEnglish, L"FormRes", L"00000000104", L"EN", L"is empty: CheckBox1 keeps the design text"}}},

    // ---- Setup.dat --------------------------------------------------------------------
    {"no payload", [](TSetupPlan& s) { s.payload.clear(); },
     {{E, kPayload, L"", L"", L"", L"is missing: Install shows message 00000_00017"}}},
    {"a payload that is no archive", [](TSetupPlan& s) { s.files["Setup.dat"] = "not an archive at all, but long enough"; },
     {{E, kPayload, L"", L"", L"", L"does not open as a ZIP archive"}}},
    {"a payload cut short",
     [](TSetupPlan& s) {
         const std::string whole = BuildArchive(s.payload);
         s.files["Setup.dat"] = whole.substr(0, whole.size() - 30);  // into the central directory's last record
     },
     {{E, kPayload, L"", L"", L"", L"does not open as a ZIP archive"}}},
    {"a payload without entries", [](TSetupPlan& s) { s.files["Setup.dat"] = BuildArchive({}); },
     {{E, kPayload, L"", L"", L"", L"holds no entries"}}},
    {"a payload made with another password",
     [](TSetupPlan& s) {
         for (CraftedEntry& entry : s.payload) entry.password = "123456";
     },
     {{E, kPayload, L"", L"Zantivo.exe", L"", L"password"},
      {E, kPayload, L"", L"UnInstall.exe", L"", L"password"},
      {E, kPayload, L"", L"lang\\ZantivoEN.pdf", L"", L"password"},
      {E, kPayload, L"", L"bin\\viewer.dll", L"", L"password"}}},
    {"an encrypted entry whose CRC fails",
     [](TSetupPlan& s) { s.Entry("bin/viewer.dll").crc = TestCrc32("MZ a library") ^ 1; },  // the check byte still fits
     {{E, kPayload, L"", L"bin\\viewer.dll", L"", L"fails its CRC check: its data is damaged, or encrypted"}}},
    {"a plain entry whose CRC fails",
     [](TSetupPlan& s) {
         CraftedEntry& entry = s.Entry("lang/ZantivoEN.pdf");
         entry.password.clear();
         entry.crc = TestCrc32(entry.data) ^ 0x100;
     },
     {{E, kPayload, L"", L"lang\\ZantivoEN.pdf", L"", L"fails its CRC check: its data is damaged"}}},
    {"an entry of an unknown method", [](TSetupPlan& s) { s.Entry("bin/viewer.dll").method = 99; },
     {{E, kPayload, L"", L"bin\\viewer.dll", L"", L"compression method the installer cannot decode"}}},
    {"an entry whose data runs past the archive's end",
     [](TSetupPlan& s) {
         std::string archive = BuildArchive(s.payload);
         // The central record of the last entry, bin/viewer.dll: its compressed size (at 20) made too large.
         const size_t record = archive.rfind("PK\x01\x02");
         archive.replace(record + 20, 4, std::string("\xFF\xFF\x0F\x00", 4));
         s.files["Setup.dat"] = archive;
     },
     {{E, kPayload, L"", L"bin\\viewer.dll", L"", L"the installation ends with this error"}}},
    {"no program in the payload", [](TSetupPlan& s) { std::erase_if(s.payload, [](auto& e) { return e.name == "Zantivo.exe"; }); },
     {{E, kPayload, L"", L"Zantivo.exe", L"", L"is missing"}}},
    {"no uninstaller in the payload",
     [](TSetupPlan& s) { std::erase_if(s.payload, [](auto& e) { return e.name == "UnInstall.exe"; }); },
     {{E, kPayload, L"", L"UnInstall.exe", L"", L"is missing"}}},
    {"no English manual in the payload",
     [](TSetupPlan& s) { std::erase_if(s.payload, [](auto& e) { return e.name == "lang/ZantivoEN.pdf"; }); },
     {{W, kPayload, L"", L"lang\\ZantivoEN.pdf", L"", L"is missing"}}},
    {"an entry that climbs out of the install folder",
     [](TSetupPlan& s) {
         CraftedEntry entry = s.Entry("bin/viewer.dll");
         entry.name = "../evil.dll";
         s.payload.push_back(entry);
     },
     {{E, kPayload, L"", L"..\\evil.dll", L"", L"holds \"..\""}}},

    // ---- the optional files --------------------------------------------------------------
    {"a further installer that is not there",
     [](TSetupPlan& s) {
         s.files["SoftwareList.dat"] = Encode(L"redist\\runtime.exe\r\n\r\nredist\\missing.exe\r\n", TEncoding::Utf16Le);
     },
     {{W, L"SoftwareList.dat", L"", L"redist\\missing.exe", L"", L"line 3 names a file the setup folder does not hold"}}},
    {"a batch folder outside the data folder", [](TSetupPlan& s) { s.files["BatchName.dat"] = "Invoices\r\n..\\Windows\r\n"; },
     {{E, L"BatchName.dat", L"", L"..\\Windows", L"", L"line 2 holds \"..\""}}},
    {"a batch name that is no folder name", [](TSetupPlan& s) { s.files["BatchName.dat"] = "In:voices\r\nLetters\r\n"; },
     {{E, L"BatchName.dat", L"", L"In:voices", L"", L"line 1 is not a valid folder name"}}},
    {"a help file that is not there",
     [](TSetupPlan& s) { s.Ini("Config.ini").Set(L"HelpFile", L"HelpFileName_3", L"docs\\missing.pdf"); },
     {{W, L"Config.ini", L"HelpFile", L"HelpFileName_3", L"", L"names \"docs\\missing.pdf\", which the setup folder does not hold"}}},
    {"a help file key the installer does not read",
     [](TSetupPlan& s) { s.Ini("Config.ini").Set(L"HelpFile", L"HelpFileName_6", L"docs\\guide.pdf"); },
     {{W, L"Config.ini", L"HelpFile", L"HelpFileName_6", L"", L"the installer reads only HelpFileName_1 to HelpFileName_5"}}},
    {"a welcome picture that is no JPEG", [](TSetupPlan& s) { s.files["lang/setup.jpg"] = "GIF89a, not a JPEG"; },
     {{E, L"Lang\\setup.jpg", L"", L"", L"", L"does not decode"}}},
};

class FaultTest : public testing::TestWithParam<TFaultCase> {};

TEST_P(FaultTest, IsReportedOnceWhereItLies) {
    TSetupPlan plan = GoodSetup();
    GetParam().breakIt(plan);
    ExpectFindings(Check(plan), GetParam().expected);
}

std::string CaseName(const testing::TestParamInfo<TFaultCase>& info) {
    std::string name;
    for (const char* p = info.param.name; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(SetupCheck, FaultTest, testing::ValuesIn(kFaultCases), CaseName);

}  // namespace
