#include "localisation/ini_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "support/temp_folder.h"

TEST(IniFileTest, ReadsWithDefaultsAndCaseInsensitiveNames) {
    TempFolder dir;
    WriteBytes(dir / L"a.ini", "[System]\r\nLanguageList=EN||KO\r\nEmpty=\r\n");
    TIniFile ini(dir / L"a.ini");
    EXPECT_EQ(ini.ReadString(L"System", L"LanguageList", L"d"), L"EN||KO");
    EXPECT_EQ(ini.ReadString(L"SYSTEM", L"languagelist", L"d"), L"EN||KO");
    EXPECT_EQ(ini.ReadString(L"System", L"Missing", L"d"), L"d");
    EXPECT_EQ(ini.ReadString(L"Other", L"LanguageList", L"d"), L"d");
    EXPECT_EQ(ini.ReadString(L"System", L"Empty", L"d"), L"");
    EXPECT_EQ(ini.ReadString(L"System", L"", L"d"), L"");
    TIniFile missing(dir / L"missing.ini");
    EXPECT_EQ(missing.ReadString(L"System", L"LanguageList", L"dflt"), L"dflt");
    EXPECT_EQ(missing.ReadInteger(L"System", L"Languare", 7), 7);
}

TEST(IniFileTest, ReadsAtMost2047Characters) {
    TempFolder dir;
    std::string value(3000, 'v');
    WriteBytes(dir / L"a.ini", "[S]\r\nK=" + value + "\r\n");
    EXPECT_EQ(TIniFile(dir / L"a.ini").ReadString(L"S", L"K", L""), std::wstring(2047, L'v'));
}

TEST(IniFileTest, IntegersInDecimalOrHexadecimal) {
    TempFolder dir;
    WriteBytes(dir / L"a.ini",
               "[N]\r\ndec=42\r\nneg=-7\r\nhex1=0x1F\r\nhex2=0XfF\r\nhex3=$10\r\nall=0xFFFFFFFF\r\n"
               "word=two\r\nmixed=12ab\r\nempty=\r\nbig=2147483648\r\nmin=-2147483648\r\nbare=0x\r\n");
    TIniFile ini(dir / L"a.ini");
    EXPECT_EQ(ini.ReadInteger(L"N", L"dec", -1), 42);
    EXPECT_EQ(ini.ReadInteger(L"N", L"neg", -1), -7);
    EXPECT_EQ(ini.ReadInteger(L"N", L"hex1", -1), 31);
    EXPECT_EQ(ini.ReadInteger(L"N", L"hex2", -1), 255);
    EXPECT_EQ(ini.ReadInteger(L"N", L"hex3", -1), 16);
    EXPECT_EQ(ini.ReadInteger(L"N", L"all", 0), -1);
    EXPECT_EQ(ini.ReadInteger(L"N", L"word", -1), -1);
    EXPECT_EQ(ini.ReadInteger(L"N", L"mixed", -1), -1);
    EXPECT_EQ(ini.ReadInteger(L"N", L"empty", -1), -1);
    EXPECT_EQ(ini.ReadInteger(L"N", L"big", -1), -1);
    EXPECT_EQ(ini.ReadInteger(L"N", L"min", 0), INT_MIN);
    EXPECT_EQ(ini.ReadInteger(L"N", L"bare", -1), -1);
}

TEST(IniFileTest, WritesGoToTheFileAtOnceInDecimal) {
    TempFolder dir;
    TIniFile ini(dir / L"new.ini");
    ini.WriteString(L"Paths", L"InstallPath", L"C:\\Zantivo\\");
    ini.WriteInteger(L"System", L"Languare", -12);
    TIniFile other(dir / L"new.ini");
    EXPECT_EQ(other.ReadString(L"paths", L"installpath", L""), L"C:\\Zantivo\\");
    EXPECT_EQ(other.ReadString(L"System", L"Languare", L""), L"-12");
    EXPECT_EQ(other.ReadInteger(L"System", L"Languare", 0), -12);
}

TEST(IniFileTest, AUtf16FileKeepsItsEncodingAndAnyScript) {
    TempFolder dir;
    WriteUtf16File(dir / L"u.ini", L"[Text]\r\nHello=\u4f60\u597d\r\n");
    TIniFile ini(dir / L"u.ini");
    EXPECT_EQ(ini.ReadString(L"Text", L"Hello", L""), L"\u4f60\u597d");
    ini.WriteString(L"Text", L"Bye", L"\u0434\u043e \u0441\u0432\u0438\u0434\u0430\u043d\u0438\u044f");
    std::string bytes = ReadBytes(dir / L"u.ini");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(ini.ReadString(L"Text", L"Bye", L""), L"\u0434\u043e \u0441\u0432\u0438\u0434\u0430\u043d\u0438\u044f");
    EXPECT_EQ(ini.ReadString(L"Text", L"Hello", L""), L"\u4f60\u597d");
}

TEST(IniFileTest, ARefusedWriteRaisesUnableToWriteWithThePath) {
    TempFolder dir;
    WriteBytes(dir / L"busy.ini", "[S]\r\nK=old\r\n");
    TIniFile busy(dir / L"busy.ini");
    {
        LockedFile lock(dir / L"busy.ini");
        try {
            busy.WriteString(L"S", L"K", L"new");
            FAIL() << "a file held open by another was written";
        } catch (const EIniFileError& e) {
            EXPECT_EQ(e.Message(), L"Unable to write to " + (dir / L"busy.ini"));
        }
    }
    EXPECT_EQ(busy.ReadString(L"S", L"K", L""), L"old");

    TIniFile noFolder(dir / L"missing\\x.ini");
    EXPECT_THROW(noFolder.WriteInteger(L"S", L"K", 1), EIniFileError);
}
