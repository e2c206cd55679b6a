// The further installer of the demo setup folder: it runs for about a
// second, records each run with its times in the marker file, and exits 0.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "demo/demo_programs.h"
#include "localisation/ini_file.h"
#include "support/temp_folder.h"

namespace {

uint64_t Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
}

uint64_t ReadTime(const TIniFile& marker, const wchar_t* key) {
    return std::stoull(marker.ReadString(L"Run", key, L"0"));
}

}  // namespace

TEST(ScanDriverSetupTest, RecordsEachRunWithItsTimesAndExitsZero) {
    TempFolder dir;
    const std::wstring markerPath = dir / L"marker.ini";
    SetEnvironmentVariableW(L"ZANTIVO_DEMO_MARKER", markerPath.c_str());
    const std::wstring program = DemoBuildFile(L"demo-extras\\Drivers\\ScanDriverSetup.exe");
    constexpr uint64_t kSecond = 10000000;  // FILETIME units
    for (int run = 1; run <= 2; ++run) {
        uint64_t before = Now();
        TStartedProgram started(program, L"", dir.Path());
        EXPECT_EQ(started.WaitForExit(), 0u);
        uint64_t after = Now();

        TIniFile marker(markerPath);
        EXPECT_EQ(marker.ReadInteger(L"Run", L"Runs", 0), run);
        uint64_t begun = ReadTime(marker, L"Started"), ended = ReadTime(marker, L"Ended");
        EXPECT_LE(before, begun);
        EXPECT_LE(ended, after);
        EXPECT_GE(ended - begun, kSecond * 9 / 10) << "it should work for about a second";
        EXPECT_EQ(marker.ReadString(L"Run", L"Program", L""), program);
        EXPECT_EQ(marker.ReadString(L"Run", L"Folder", L"") + L"\\", dir.Path());
        EXPECT_FALSE(marker.ReadString(L"Run", L"EndedText", L"").empty());
    }
    SetEnvironmentVariableW(L"ZANTIVO_DEMO_MARKER", nullptr);
}
