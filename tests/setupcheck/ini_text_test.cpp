// TIniText reads INI files as Windows' private-profile functions do; in the
// Windows build every case is also read through those functions (TIniFile)
// and the two must agree.
#include <gtest/gtest.h>

#include <optional>

#include "ini_text.h"
#include "util/error.h"

#ifdef _WIN32
#include "localisation/ini_file.h"
#include "setupcheck/setup_folder_plan.h"
#include "unzip/unzip_test_support.h"
#endif

using setupcheck::TIniText;

namespace {

struct TRead {
    const wchar_t* section;
    const wchar_t* key;
    std::optional<std::wstring> value;
};

struct TIniCase {
    const char* name;
    std::wstring text;
    std::vector<TRead> reads;
    std::vector<std::wstring> sections;
    const wchar_t* keysOf;  // the section whose key names are compared
    std::vector<std::wstring> keys;
};

const std::optional<std::wstring> kNone;

std::vector<TIniCase> Cases() {
    return {
        {"names ignore case",
         L"[System]\r\nLanguageList=EN||DE\r\n",
         {{L"System", L"LanguageList", L"EN||DE"}, {L"SYSTEM", L"languagelist", L"EN||DE"}, {L"System", L"Other", kNone},
          {L"Other", L"LanguageList", kNone}},
         {L"System"}, L"System", {L"LanguageList"}},
        {"blanks around names and values",
         L"  [S]  \r\n  key  =  a value  \r\n\tk2\t=\tv2\t\r\n",
         {{L"S", L"key", L"a value"}, {L"S", L"k2", L"v2"}},
         {L"S"}, L"S", {L"key", L"k2"}},
        {"values in quotes",
         L"[S]\r\nd=\"double\"\r\ns='single'\r\nopen=\"open\r\ninner=\"a\"b\"\r\nblanks=\" a \"\r\none=\"\r\n",
         {{L"S", L"d", L"double"}, {L"S", L"s", L"single"}, {L"S", L"open", L"\"open"}, {L"S", L"inner", L"a\"b"},
          {L"S", L"blanks", L" a "}, {L"S", L"one", L"\""}},
         {L"S"}, L"S", {L"d", L"s", L"open", L"inner", L"blanks", L"one"}},
        {"the first of equal keys and sections",
         L"[S]\r\nk=1\r\nK=2\r\n[s]\r\nk=3\r\nj=4\r\n",
         {{L"S", L"k", L"1"}, {L"S", L"j", kNone}},
         {L"S", L"s"}, L"S", {L"k", L"K"}},
        {"empty values and lines without a value",
         L"[S]\r\nempty=\r\nlonely\r\n=nameless\r\n\r\nk=v\r\n",
         {{L"S", L"empty", L""}, {L"S", L"lonely", kNone}, {L"S", L"k", L"v"}},
         {L"S"}, L"S", {L"empty", L"", L"k"}},
        {"comment lines are keys that are not listed",
         L"[S]\r\n;note=1\r\nk=v\r\n",
         {{L"S", L";note", L"1"}, {L"S", L"k", L"v"}},
         {L"S"}, L"S", {L"k"}},
        {"keys before the first section",
         L"k=v\r\n[S]\r\nj=w\r\n",
         {{L"S", L"j", L"w"}, {L"S", L"k", kNone}},
         {L"S"}, L"S", {L"j"}},
        {"section headers",
         L"[A] trailing\r\na=1\r\n[B]c]\r\nb=2\r\n[ C ]\r\nc=3\r\n[D\r\nd=4\r\n",
         {{L"A", L"a", L"1"}, {L"B]c", L"b", L"2"}, {L"C", L"c", L"3"}, {L"C", L"[D", kNone}, {L"C", L"d", L"4"}},
         {L"A", L"B]c", L"C"}, L"C", {L"c", L"d"}},
        {"line ends of every kind",
         L"[S]\nlf=1\rcr=2\r\ncrlf=3",
         {{L"S", L"lf", L"1"}, {L"S", L"cr", L"2"}, {L"S", L"crlf", L"3"}},
         {L"S"}, L"S", {L"lf", L"cr", L"crlf"}},
        {"long values are cut",
         L"[S]\r\nlong=" + std::wstring(3000, L'v') + L"\r\n",
         {{L"S", L"long", std::wstring(2047, L'v')}},
         {L"S"}, L"S", {L"long"}},
    };
}

std::string Show(const std::optional<std::wstring>& value) { return value ? "\"" + WideToUtf8(*value) + "\"" : "(none)"; }

TEST(IniTextTest, ReadsAsTheWindowsFunctionsDo) {
    for (const TIniCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        const TIniText ini(c.text);
        for (const TRead& read : c.reads)
            EXPECT_EQ(Show(ini.Read(read.section, read.key)), Show(read.value))
                << WideToUtf8(read.section) << " / " << WideToUtf8(read.key);
        EXPECT_EQ(ini.Sections(), c.sections);
        EXPECT_EQ(ini.Keys(c.keysOf), c.keys);
    }
}

#ifdef _WIN32
// The same files through GetPrivateProfileStringW and friends.
TEST(IniTextTest, AgreesWithTheWindowsFunctions) {
    TempDir dir;
    for (const TIniCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        const fs::path path = dir / "case.ini";
        WriteFile(path, Encode(c.text, TEncoding::Utf16Le));
        const TIniFile windows(path.wstring());
        const std::wstring absent = L"\x01absent";
        for (const TRead& read : c.reads) {
            const std::wstring value = windows.ReadString(read.section, read.key, absent);
            EXPECT_EQ(Show(value == absent ? kNone : std::optional(value)), Show(read.value))
                << WideToUtf8(read.section) << " / " << WideToUtf8(read.key);
        }
        EXPECT_EQ(windows.ReadSections(), c.sections);
        EXPECT_EQ(windows.ReadSection(c.keysOf), c.keys);
    }
}
#endif

}  // namespace
