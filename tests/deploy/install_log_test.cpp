// The installation's log: UTF-8 lines with the time, steps timed and closed
// as done or failed, a missing folder made, and the file kept from others'
// writes while it is open.
#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "install/install_log.h"
#include "support/temp_folder.h"
#include "util/win_error.h"

namespace {

// The lines without their time stamps, which must each have the form "yyyy-mm-dd hh:mm:ss.mmm  ".
std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    const std::regex stamp(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}  )");
    for (std::string line; std::getline(in, line);) {
        EXPECT_TRUE(!line.empty() && line.back() == '\r') << line;
        if (!line.empty()) line.pop_back();
        std::smatch match;
        EXPECT_TRUE(std::regex_search(line, match, stamp)) << line;
        lines.push_back(match.suffix());
    }
    return lines;
}

TEST(InstallLogTest, WritesTimedStepsAndErrorsThroughAtOnce) {
    TempFolder temp;
    const std::wstring path = temp / L"logs\\deep\\setup.log";  // its folders are made
    {
        TInstallLog log(path);
        EXPECT_EQ(log.Path(), path);
        ASSERT_EQ(SetInstallLog(&log), nullptr);
        LogLine(L"Destination: C:\\Program Files\\Zantivo Gro\u00dfe \u4e2d\u6587\\\r\nnext\rline");
        LogStep(L"Extracting the payload");
        LogStep(L"Creating the shortcuts");  // ends the step before it
        log.FailStep(L"Unable to write to C:\\x.ini.");
        log.FailStep(L"an error outside a step");
        LogStep(L"Registering with Apps & Features");
        LogStepDone();
        LogStepDone();  // nothing open: nothing written
        // Every line is on disk already, while the log is open; nobody else may write it.
        const std::vector<std::string> lines = Lines(ReadBytesWhileWritten(path).substr(3));
        EXPECT_EQ(lines.size(), 11u);
        HANDLE other = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(other, INVALID_HANDLE_VALUE);
        if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
        EXPECT_THROW(TInstallLog second(path), EOSError);
        SetInstallLog(nullptr);
    }
    LogStep(L"without a log nothing happens");
    const std::string bytes = ReadBytes(path);
    ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    std::vector<std::string> lines = Lines(bytes.substr(3));
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0], "Destination: C:\\Program Files\\Zantivo Gro\xC3\x9F" "e \xE4\xB8\xAD\xE6\x96\x87\\");
    EXPECT_EQ(lines[1], "next");  // each line of a text gets the time
    EXPECT_EQ(lines[2], "line");
    lines.erase(lines.begin() + 1, lines.begin() + 3);
    EXPECT_EQ(lines[1], "Step \"Extracting the payload\": started");
    EXPECT_TRUE(std::regex_match(lines[2], std::regex(R"(Step "Extracting the payload": done after \d+\.\d{3} s)")))
        << lines[2];
    EXPECT_EQ(lines[3], "Step \"Creating the shortcuts\": started");
    EXPECT_TRUE(lines[4].starts_with("Step \"Creating the shortcuts\": failed after ")) << lines[4];
    EXPECT_EQ(lines[5], "Error: Unable to write to C:\\x.ini.");
    EXPECT_EQ(lines[6], "Error: an error outside a step");
    EXPECT_EQ(lines[7], "Step \"Registering with Apps & Features\": started");
    EXPECT_TRUE(lines[8].starts_with("Step \"Registering with Apps & Features\": done after ")) << lines[8];
}

}  // namespace
