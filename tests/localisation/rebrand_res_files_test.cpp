#include "localisation/rebrand_res_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "localisation/ini_file.h"
#include "support/temp_folder.h"

namespace {

const char kLanguageFile[] =
    "[Res]\r\n00000_00000=Zantivo\r\n00000_00017=Setup.dat is missing\r\n"
    "[FormRes]\r\n00000000396=Qorvix manual, Qorvix-Pro help and qorvix notes\r\n";

std::wstring Value(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    return TIniFile(file).ReadString(section, key, L"<none>");
}

}  // namespace

TEST(RebrandResFilesTest, EveryIniWhoseNameBeginsWithResGetsTheProductName) {
    TempFolder dir;
    MakeFolders(dir / L"lang\\extra");
    const struct {
        const wchar_t* path;
        bool rebranded;
    } files[] = {
        {L"lang\\ResEN.ini", true},   {L"lang\\extra\\Resource.ini", true}, {L"lang\\res.ini", false},
        {L"lang\\FormRes.ini", false}, {L"lang\\Language.ini", false},       {L"lang\\ResEN.txt", false},
    };
    for (const auto& file : files) WriteBytes(dir / file.path, kLanguageFile);

    RebrandResFiles(dir.Path(), L"Viewer");

    for (const auto& file : files) {
        SCOPED_TRACE(file.path);
        const std::wstring path = dir / file.path;
        if (!file.rebranded) {
            EXPECT_EQ(ReadBytes(path), kLanguageFile);
            continue;
        }
        EXPECT_EQ(Value(path, L"Res", L"00000_00000"), L"Viewer");
        EXPECT_EQ(Value(path, L"Res", L"00000_00001"), L"Viewer");
        EXPECT_EQ(Value(path, L"FormRes", L"00000000001"), L"Viewer");
        EXPECT_EQ(Value(path, L"FormRes", L"00000000396"), L"Viewer manual, Viewer-Pro help and qorvix notes");
        EXPECT_EQ(Value(path, L"Res", L"00000_00017"), L"Setup.dat is missing");
    }
}

TEST(RebrandResFilesTest, TheLongTextIsReplacedWholeAndNamesWithTheWordAreNotRescanned) {
    TempFolder dir;
    const std::wstring path = dir / L"ResDE.ini";
    // Longer than the usual read buffer: nothing of it may be cut.
    const std::string longText = std::string(3000, 'x') + " Qorvix";
    WriteBytes(path, "[FormRes]\r\n00000000396=" + longText + "\r\n");
    RebrandResFile(path, L"Viewer");
    EXPECT_NE(ReadBytes(path).find("00000000396=" + std::string(3000, 'x') + " Viewer\r\n"), std::string::npos);
    EXPECT_EQ(TIniFile(path).ReadWholeString(L"FormRes", L"00000000396", L""), std::wstring(3000, L'x') + L" Viewer");

    // Missing text: the product name, whose own "Qorvix" is replaced once.
    WriteBytes(path, "[Res]\r\n");
    RebrandResFile(path, L"Qorvix Plus");
    EXPECT_EQ(Value(path, L"FormRes", L"00000000396"), L"Qorvix Plus Plus");
    // A second run replaces what the first one brought in, and nothing else changes.
    RebrandResFile(path, L"Qorvix Plus");
    EXPECT_EQ(Value(path, L"FormRes", L"00000000396"), L"Qorvix Plus Plus Plus");
    EXPECT_EQ(Value(path, L"Res", L"00000_00000"), L"Qorvix Plus");
}

TEST(RebrandResFilesTest, AUtf16FileStaysUtf16AndKeepsAnyScript) {
    TempFolder dir;
    const std::wstring path = dir / L"ResKO.ini";
    WriteUtf16File(path, L"[Res]\r\n00000_00017=\uc124\uce58 \ud30c\uc77c\r\n"
                         L"[FormRes]\r\n00000000396=Qorvix \ub3c4\uc6c0\ub9d0\r\n");
    RebrandResFiles(dir.Path(), L"\ubdf0\uc5b4");
    EXPECT_EQ(ReadBytes(path).substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(Value(path, L"Res", L"00000_00000"), L"\ubdf0\uc5b4");
    EXPECT_EQ(Value(path, L"FormRes", L"00000000001"), L"\ubdf0\uc5b4");
    EXPECT_EQ(Value(path, L"FormRes", L"00000000396"), L"\ubdf0\uc5b4 \ub3c4\uc6c0\ub9d0");
    EXPECT_EQ(Value(path, L"Res", L"00000_00017"), L"\uc124\uce58 \ud30c\uc77c");
}

// A refused write ends the step: files before it stay rewritten, files after
// it are not visited.
TEST(RebrandResFilesTest, ARefusedWriteEndsTheStepWithUnableToWrite) {
    TempFolder dir;
    MakeFolders(dir / L"sub\\deeper");
    for (const wchar_t* name : {L"ResA.ini", L"sub\\ResB.ini", L"sub\\deeper\\ResC.ini"})
        WriteBytes(dir / name, kLanguageFile);
    LockedFile lock(dir / L"sub\\ResB.ini");
    try {
        RebrandResFiles(dir.Path(), L"Viewer");
        ADD_FAILURE() << "no error";
    } catch (const EIniFileError& e) {
        EXPECT_EQ(e.Message(), L"Unable to write to " + dir.Path() + L"sub\\ResB.ini");
    }
    EXPECT_EQ(Value(dir / L"ResA.ini", L"Res", L"00000_00000"), L"Viewer");
    EXPECT_EQ(ReadBytes(dir / L"sub\\deeper\\ResC.ini"), kLanguageFile);
}
