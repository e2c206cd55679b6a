// The setupcheck command as a pipeline sees it: report lines or JSON, exit
// status, usage errors; and what it leaves behind: nothing.
#include <gtest/gtest.h>

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

#include "platform.h"
#include "setup_check.h"
#include "setupcheck/setup_folder_plan.h"
#include "unzip/unzip_test_support.h"
#include "util/error.h"

using namespace setupcheck;

namespace {

struct TRun {
    int status;
    std::string out, err;
};

TRun Command(const std::vector<std::wstring>& arguments) {
    TRun run{};
    run.status = RunSetupCheck(arguments, run.out, run.err);
    return run;
}

// Every file below root with its bytes.
std::vector<std::pair<std::string, std::string>> Snapshot(const fs::path& root) { return TreeFiles(root); }

TEST(SetupCheckCommandTest, ReportsLinesAndASummaryOrJsonWithTheExitStatus) {
    TempDir dir;
    TSetupPlan plan = GoodSetup();
    plan.Ini("lang/ResEN.ini").Remove(L"Res", L"00000_00017");                  // an error
    plan.Ini("lang/Language.ini").Set(L"System", L"Languare", L"7");            // a warning
    plan.Write(dir / "setup");
    const std::wstring folder = WidePath(dir / "setup");

    const TRun lines = Command({L"--code-page", L"1252", folder});
    EXPECT_EQ(lines.status, 2);
    EXPECT_EQ(lines.err, "");
    EXPECT_EQ(lines.out,
              "warning: lang\\Language.ini [System] Languare: 7 is not a language number (0 to 1): the installer "
              "starts in language 0 (EN) unless [Abbreviate] names another\n"
              "error: lang\\ResEN.ini [Res] 00000_00017 (EN): is missing: the box for a missing Setup.dat shows "
              "nothing\n"
              "setupcheck: 1 error, 1 warning\n");

    const TRun json = Command({L"--json", L"--code-page", L"1252", folder});
    EXPECT_EQ(json.status, 2);
    EXPECT_EQ(json.out,
              "[\n"
              "  {\"severity\": \"warning\", \"file\": \"lang\\\\Language.ini\", \"section\": \"System\", \"key\": "
              "\"Languare\", \"language\": \"\", \"message\": \"7 is not a language number (0 to 1): the installer "
              "starts in language 0 (EN) unless [Abbreviate] names another\"},\n"
              "  {\"severity\": \"error\", \"file\": \"lang\\\\ResEN.ini\", \"section\": \"Res\", \"key\": "
              "\"00000_00017\", \"language\": \"EN\", \"message\": \"is missing: the box for a missing Setup.dat shows "
              "nothing\"}\n"
              "]\n");

    plan.Ini("lang/ResEN.ini").Set(L"Res", L"00000_00017", L"Setup.dat is missing.");
    plan.Write(dir / "setup");
    const TRun warnings = Command({folder, L"--code-page", L"1252"});
    EXPECT_EQ(warnings.status, 1);
    EXPECT_NE(warnings.out.find("setupcheck: 0 errors, 1 warning\n"), std::string::npos) << warnings.out;

    plan.Ini("lang/Language.ini").Set(L"System", L"Languare", L"1");
    plan.Write(dir / "setup");
    const TRun clean = Command({folder, L"--code-page", L"1252"});
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.out, "setupcheck: clean, no findings\n");
    EXPECT_EQ(Command({L"--json", folder, L"--code-page", L"1252"}).out, "[]\n");
}

TEST(SetupCheckCommandTest, UsageErrorsAndAFolderThatIsNone) {
    TempDir dir;
    const struct {
        std::vector<std::wstring> arguments;
        const char* err;
    } cases[] = {
        {{}, "usage: setupcheck"},
        {{L"--verbose", L"x"}, "unexpected argument \"--verbose\""},
        {{L"a", L"b"}, "unexpected argument \"b\""},
        {{L"--code-page"}, "--code-page needs the number of a code page"},
        {{L"--code-page", L"77777", L"x"}, "--code-page needs the number of a code page"},
    };
    for (const auto& c : cases) {
        const TRun run = Command(c.arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
    const TRun none = Command({WidePath(dir / "no-such-folder")});
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.out.find("error: setup folder: \""), std::string::npos) << none.out;
    EXPECT_NE(none.out.find("no-such-folder\" is not a folder"), std::string::npos) << none.out;
}

// 8-bit files are read in the code page the shipper names: bytes that are no
// text there are an error; the same bytes pass in a code page that has them.
TEST(SetupCheckCommandTest, ChecksEightBitFilesInTheNamedCodePage) {
    TempDir dir;
    TSetupPlan plan = GoodSetup();
    // B0 20: a degree sign and a blank in code page 1252; in 936 a lead byte without its partner.
    plan.files["Config.ini"] = Encode(plan.Ini("Config.ini").Text(), TEncoding::Ansi) + "[Notes]\r\nText=\xB0 \r\n";
    plan.inis.erase("Config.ini");
    plan.Write(dir / "setup");
    const std::wstring folder = WidePath(dir / "setup");

    const TRun chinese = Command({L"--code-page", L"936", folder});
    EXPECT_EQ(chinese.status, 2) << chinese.out;
    EXPECT_NE(chinese.out.find("error: Config.ini: line 4 is not text in code page 936"), std::string::npos)
        << chinese.out;
    const TRun western = Command({L"--code-page", L"1252", folder});
    EXPECT_EQ(western.status, 0) << western.out;
}

void SetTemporaryFolder(const fs::path& folder) {
#ifdef _WIN32
    SetEnvironmentVariableW(L"TMP", folder.wstring().c_str());
    SetEnvironmentVariableW(L"TEMP", folder.wstring().c_str());
#else
    setenv("TMPDIR", folder.c_str(), 1);
#endif
}

// The payload is tested in a scratch folder that is removed afterwards; the
// setup folder is only read.
TEST(SetupCheckCommandTest, WritesNothingAndLeavesNothingBehind) {
    TempDir dir;
    fs::create_directories(dir / "temp");
    SetTemporaryFolder(dir / "temp");
    TSetupPlan plan = GoodSetup();
    plan.Entry("bin/viewer.dll").crc = TestCrc32("MZ a library") ^ 1;  // a damaged entry is extracted, then removed
    plan.Write(dir / "setup");
    const auto before = Snapshot(dir / "setup");

    const std::vector<TFinding> findings = CheckSetupFolder(WidePath(dir / "setup"), 1252);
    ASSERT_EQ(findings.size(), 1u) << ReportLines(findings);
    EXPECT_EQ(findings[0].place.key, L"bin\\viewer.dll");
    EXPECT_EQ(Snapshot(dir / "setup"), before);
    EXPECT_TRUE(fs::is_empty(dir / "temp"));
}

// A folder made by tools no one here wrote: language files converted by
// iconv, a payload by Info-ZIP zip with the payload password, a picture by
// ImageMagick. It checks clean.
TEST(SetupCheckCommandTest, AFolderMadeByOtherToolsChecksClean) {
    const char* env = std::getenv("SETUPCHECK_TEST_FOLDER");
    ASSERT_NE(env, nullptr) << "SETUPCHECK_TEST_FOLDER is not set";
    std::string path = env;
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
#endif
    const TRun run = Command({L"--code-page", L"1252", WidePath(fs::path(path))});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "setupcheck: clean, no findings\n");
}

}  // namespace
