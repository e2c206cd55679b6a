// The answers nobody gives: every box and question of an unattended
// installation answered by rule and logged, a question about the same file
// retried a few times and then declined, and the wizard's "end now" turned
// into Windows Installer's code.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "deploy/unattended_dialogs.h"
#include "install/install_log.h"
#include "support/temp_folder.h"

namespace {

class UnattendedDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { SetInstallLog(&log); }
    void TearDown() override { SetInstallLog(nullptr); }
    std::string Logged() const { return ReadBytesWhileWritten(log.Path()); }
    bool LogHas(const std::string& text) const { return Logged().find(text) != std::string::npos; }

    TempFolder temp;
    TInstallLog log{temp / L"unattended.log"};
    std::vector<unsigned> exits;
    int shown = 0;
    TUnattendedDialogs dialogs{[this](unsigned code) { exits.push_back(code); }, [this] { ++shown; },
                               TRetryRule{2, 10}};
};

TEST_F(UnattendedDialogsTest, TheSameFileIsRetriedAFewTimesThenTheInstallationFails) {
    const std::wstring inUse = L"The following file could not be written:\r\nC:\\Zantivo\\a.dll\r\nTry again?";
    const std::wstring other = L"The following file could not be written:\r\nC:\\Zantivo\\b.dll\r\nTry again?";
    EXPECT_TRUE(dialogs.ConfirmYesNo(inUse));
    EXPECT_TRUE(dialogs.ConfirmYesNo(other));  // another file starts its own count
    EXPECT_TRUE(dialogs.ConfirmYesNo(other));
    EXPECT_FALSE(dialogs.Failed());
    EXPECT_FALSE(dialogs.ConfirmYesNo(other));
    EXPECT_TRUE(dialogs.Failed());
    EXPECT_TRUE(LogHas("Question: The following file could not be written:\r\n"));
    EXPECT_TRUE(LogHas("  C:\\Zantivo\\b.dll\r\n"));  // a line of its own, with the time
    EXPECT_TRUE(LogHas("No one to answer: retrying in 10 ms (retry 2 of 2)"));
    EXPECT_TRUE(LogHas("No one to answer: No, the installation cannot complete"));
    // The wizard then ends the process "at once": with the code for a failure, the log saying so last.
    dialogs.EndProcess(0);
    EXPECT_EQ(exits, std::vector<unsigned>{1603});
    EXPECT_TRUE(Logged().ends_with("  Exit code: 1603 (the installation failed)\r\n")) << Logged();
}

TEST_F(UnattendedDialogsTest, BoxesAreAnsweredByTheirButtonsWithoutFailingWhereNothingIsLost) {
    const struct {
        UINT buttons;
        std::vector<int> answers;  // to the same box asked again and again
        bool failed;
    } cases[] = {
        {MB_OK | MB_ICONERROR, {IDOK, IDOK, IDOK}, false},
        {MB_RETRYCANCEL, {IDRETRY, IDRETRY, IDCANCEL}, true},
        {MB_CANCELTRYCONTINUE, {IDTRYAGAIN, IDTRYAGAIN, IDCANCEL}, true},
        {MB_ABORTRETRYIGNORE, {IDRETRY, IDRETRY, IDABORT}, true},
        {MB_YESNO | MB_ICONQUESTION, {IDNO}, true},
        {MB_OKCANCEL, {IDCANCEL}, true},
        {MB_YESNOCANCEL, {IDCANCEL}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.buttons);
        TUnattendedDialogs fresh([this](unsigned code) { exits.push_back(code); }, nullptr, TRetryRule{2, 1});
        std::vector<int> answers;
        for (size_t i = 0; i < c.answers.size(); ++i) answers.push_back(fresh.ShowMessageBox(L"text", L"caption", c.buttons));
        EXPECT_EQ(answers, c.answers);
        EXPECT_EQ(fresh.Failed(), c.failed);
    }
    EXPECT_TRUE(LogHas("Message box \"caption\": text"));
}

TEST_F(UnattendedDialogsTest, APersonEndingAPassiveInstallationCancelsItAndErrorsFailIt) {
    dialogs.ProcessMessages();
    dialogs.ProcessMessages();
    EXPECT_EQ(shown, 1);  // the passive window shows once, at the first pump
    EXPECT_EQ(dialogs.BrowseForFolder("prompt"), std::nullopt);
    dialogs.EndProcess(0);
    EXPECT_EQ(exits, std::vector<unsigned>{1602});
    LogStep(L"Updating System.ini and the data folder");
    dialogs.ShowError(L"Unable to write to C:\\Zantivo\\System.ini");
    EXPECT_TRUE(dialogs.Failed());
    EXPECT_TRUE(LogHas("Step \"Updating System.ini and the data folder\": failed after "));
    EXPECT_TRUE(LogHas("Error: Unable to write to C:\\Zantivo\\System.ini.\r\n"));
    dialogs.EndProcess(0);
    EXPECT_EQ(exits, (std::vector<unsigned>{1602, 1603}));
}

}  // namespace
