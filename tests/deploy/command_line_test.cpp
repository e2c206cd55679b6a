// The command line as deployment tools write it: NSIS's, Inno Setup's and
// Windows Installer's switches, quoting, and what is refused.
#include <gtest/gtest.h>

#include "deploy/command_line.h"
#include "util/error.h"

namespace {

using M = TInstallMode;
using Text = std::optional<std::wstring>;

TEST(CommandLineTest, ReadsTheSwitchesDeploymentToolsWrite) {
    const struct {
        const wchar_t* line;
        M mode;
        Text destination{}, language{}, log{};
        bool allUsers = false, help = false;
    } cases[] = {
        // NSIS's /D= is the rest of the line, spaces and all, up to a later switch.
        {LR"(Setup.exe /S /D=C:\Fleet\Zantivo\ /LOG="C:\fleet.log")", M::Silent, LR"(C:\Fleet\Zantivo\)", {},
         LR"(C:\fleet.log)"},
        {LR"("C:\Setup Folder\Setup.exe" /s /D=C:\Program Files\My  Zantivo  )", M::Silent,
         LR"(C:\Program Files\My  Zantivo)"},
        {LR"(Setup.exe /S /D=C:\Tools -x\Zantivo -LOG=C:\x.log)", M::Silent, LR"(C:\Tools -x\Zantivo)", {},
         LR"(C:\x.log)"},
        {LR"(Setup.exe /S /D="C:\Quoted Folder")", M::Silent, LR"(C:\Quoted Folder)"},
        // Inno Setup's values: quotes in part or whole, a final backslash kept.
        {LR"(Setup.exe /VERYSILENT /DIR="C:\Program Files\X\" /LANG=de "-log=C:\My Logs\x.log")", M::Silent,
         LR"(C:\Program Files\X\)", L"de", LR"(C:\My Logs\x.log)"},
        {L"Setup.exe /SILENT /NORESTART /SUPPRESSMSGBOXES", M::Passive},
        {L"Setup.exe -passive /ALLUSERS", M::Passive, {}, {}, {}, true},
        // The quieter mode wins, whatever the order.
        {L"Setup.exe /quiet /passive", M::Silent},
        {L"Setup.exe /SILENT /verysilent", M::Silent},
        {L"Setup.exe /LOG=wizard.log /allusers", M::Wizard, {}, {}, L"wizard.log", true},
        {L"Setup.exe /?", M::Wizard, {}, {}, {}, false, true},
        {L"Setup.exe -HELP /S", M::Silent, {}, {}, {}, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.line));
        const TCommandLine line = ParseCommandLine(c.line);
        EXPECT_EQ(line.error, L"");
        EXPECT_FALSE(line.Empty());
        EXPECT_EQ(line.mode, c.mode);
        EXPECT_EQ(line.destination, c.destination);
        EXPECT_EQ(line.language, c.language);
        EXPECT_EQ(line.logFile, c.log);
        EXPECT_EQ(line.allUsers, c.allUsers);
        EXPECT_EQ(line.help, c.help);
    }
}

TEST(CommandLineTest, NoArgumentsIsTheWizardAndAnythingElseIsRefused) {
    for (const wchar_t* line : {L"Setup.exe", L"\"C:\\Setup Folder\\Setup.exe\"", L"Setup.exe   ", L""})
        EXPECT_TRUE(ParseCommandLine(line).Empty()) << WideToUtf8(line);
    const struct {
        const wchar_t* line;
        const wchar_t* error;
    } refused[] = {
        {L"Setup.exe /S /BOGUS", L"unknown switch \"/BOGUS\""},
        {L"Setup.exe /S install", L"\"install\" is not a switch"},
        {L"Setup.exe /DIR", L"the switch \"/DIR\" needs a value (/DIR=...)"},
        {L"Setup.exe /S=1", L"the switch \"/S\" takes no value"},
        {L"Setup.exe /LOG= /S", L"the switch \"/LOG=\" has an empty value"},
        {L"Setup.exe /S /D= /LOG=x", L"the switch \"/D=\" has an empty value"},
        {L"Setup.exe /D=C:\\a /b", L"unknown switch \"/b\""},
    };
    for (const auto& c : refused) EXPECT_EQ(ParseCommandLine(c.line).error, c.error) << WideToUtf8(c.line);
    EXPECT_EQ(ParseCommandLine(L"Setup.exe /S /BOGUS").arguments, L"/S /BOGUS");
}

}  // namespace
