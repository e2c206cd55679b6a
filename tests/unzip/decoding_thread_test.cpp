// Decoding on a thread of its own changes nothing a caller can see. Every
// archive the tests make, whole and damaged, is extracted under callers that
// do what the installer and the tools do (and what they might): once with
// every entry decoded on the caller's thread and once with the decoding
// thread. Both runs must give the same transcript: every event in order with
// every argument, every offer to let window messages through among them,
// the dialogs shown, the result or error, the password after the run, and
// the files and folders left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "unzip/errors.h"
#include "unzip/legacy_encoders.h"
#include "unzip/unzip_test_support.h"
#include "unzip/unzipper.h"

namespace {

constexpr char kPayloadPassword[] = "417263";

struct Transcript {
    std::vector<std::string> lines;
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> folders;
    bool decodedAhead = false;  // which way it ran; not compared
};

// The first place two transcripts differ, or empty when they are the same.
std::string Difference(const Transcript& a, const Transcript& b) {
    const size_t n = std::min(a.lines.size(), b.lines.size());
    for (size_t i = 0; i < n; ++i)
        if (a.lines[i] != b.lines[i])
            return "line " + std::to_string(i) + ": \"" + a.lines[i] + "\" against \"" + b.lines[i] + "\"";
    if (a.lines.size() != b.lines.size())
        return "line " + std::to_string(n) + ": " + std::to_string(a.lines.size()) + " lines against " +
               std::to_string(b.lines.size());
    if (a.folders != b.folders) return "the folders differ";
    if (a.files.size() != b.files.size()) return "the number of files differs";
    for (size_t i = 0; i < a.files.size(); ++i)
        if (a.files[i] != b.files[i]) return "file " + a.files[i].first + " against " + b.files[i].first;
    return {};
}

struct TranscriptDialogs : zipos::Dialogs {
    explicit TranscriptDialogs(Transcript& t) : t(t) {}
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        t.lines.push_back("dialog " + caption + ": " + text);
        return true;
    }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        t.lines.push_back("dialog " + caption + ": " + text);
    }
    Transcript& t;
};

struct Cancelled : std::exception {
    const char* what() const noexcept override { return "cancelled by the caller"; }
};

// One extraction: the component as the installer sets it up, the caller's
// script, and everything it says written down.
struct Extraction {
    TUnZipper zip;
    TempDir out;
    Transcript t;
    std::map<int32_t, int> starts;  // per index
    int progress = 0;

    Extraction(const fs::path& archive, TDecodeAheadMode mode) {
        zip.SetDialogs(std::make_shared<TranscriptDialogs>(t));
        zip.SetZipName(Native(archive));
        zip.SetDestDir(out.Str());
        zip.RecreateDirs = zip.DoAll = true;
        zip.OverwriteMode = Always;
        zip.Password = kPayloadPassword;
        zip.DecodeAhead = mode;
        zip.OnStartUnZipInfo = [this](TUnZipper&, int32_t n, int64_t bytes, bool&) {
            Say("info " + std::to_string(n) + " " + std::to_string(bytes));
        };
        zip.OnStartUnZip = [this](TUnZipper& z, int32_t i, std::string& name, bool&) {
            ++starts[i];
            t.decodedAhead = t.decodedAhead || z.DecodingAhead();
            Say("start " + std::to_string(i) + " " + name);
        };
        zip.OnBadPassword = [this](TUnZipper&, int32_t i, std::string& password) {
            Say("bad password " + std::to_string(i) + " " + password);
        };
        zip.OnPromptForOverwrite = [this](TUnZipper&, bool&, int32_t i, std::string& name) {
            Say("prompt " + std::to_string(i) + " " + name);
        };
        zip.OnSkippingFile = [this](TUnZipper&, TSkipReason r, const std::string& name, int32_t i, bool&) {
            Say("skip " + std::to_string(r) + " " + std::to_string(i) + " " + name);
        };
        zip.OnFilePercentDone = [this](TUnZipper&, int32_t p) { Say("file " + std::to_string(p)); };
        zip.OnTotalPercentDone = [this](TUnZipper&, int32_t p) {
            ++progress;
            Say("total " + std::to_string(p));
        };
        zip.OnBadCRC = [this](TUnZipper&, int32_t calc, int32_t stored, int32_t i) {
            Say("bad crc " + std::to_string(i) + " " + std::to_string(calc) + " " + std::to_string(stored));
        };
        zip.OnEndUnZip = [this](TUnZipper& z, int32_t i, const std::string& name) {
            Say("end " + std::to_string(i) + " " + name + " " + z.DirectoryName(i) + z.FileName(i));
        };
        zip.OnUnZipComplete = [this](TUnZipper&, int32_t n) { Say("complete " + std::to_string(n)); };
    }

    // A line with the destination written as "<out>", the same in both runs.
    void Say(std::string line) {
        const std::string dest = out.Str();
        for (size_t at; (at = line.find(dest)) != std::string::npos;) line.replace(at, dest.size(), "<out>");
        t.lines.push_back(std::move(line));
    }

    Transcript Go() {
        auto pump = zipos::SetMessagePump([this] { t.lines.push_back("offer"); });
        try {
            Say("returned " + std::to_string(zip.UnZip()));
        } catch (const std::exception& error) {
            Say(std::string("raised ") + error.what());
        }
        zipos::SetMessagePump(pump);
        Say("password " + zip.Password);
        t.files = TreeFiles(out.Path());
        for (auto& entry : fs::recursive_directory_iterator(out.Path()))
            if (entry.is_directory()) t.folders.push_back(fs::relative(entry.path(), out.Path()).generic_string());
        std::sort(t.folders.begin(), t.folders.end());
        return std::move(t);
    }
};

// What a caller does, on top of recording everything.
struct Script {
    const char* name;
    std::function<void(Extraction&, const fs::path& archive)> setUp;
};

const Script kScripts[] = {
    {"extract everything", [](Extraction&, const fs::path&) {}},
    {"test without writing", [](Extraction& r, const fs::path&) { r.zip.TestOnly = true; }},
    {"skip every other file, redirect one",
     [](Extraction& r, const fs::path&) {
         r.zip.OnStartUnZip = [&r, start = r.zip.OnStartUnZip](TUnZipper& z, int32_t i, std::string& name, bool& skip) {
             start(z, i, name, skip);
             skip = r.starts.size() % 2 == 0;
             if (r.starts.size() == 3) name = r.out.Str() + "\\redirected.bin";
         };
     }},
    {"a wrong password, answered by a new one on the second question",
     [](Extraction& r, const fs::path&) {
         r.zip.Password = "wrong";
         r.zip.OnBadPassword = [&r, bad = r.zip.OnBadPassword, asked = 0](TUnZipper& z, int32_t i,
                                                                           std::string& password) mutable {
             bad(z, i, password);
             password = ++asked == 1 ? "still wrong" : kPayloadPassword;
         };
     }},
    {"a file that cannot be made the first time, retried",
     [](Extraction& r, const fs::path&) {
         // The second file's place is taken by a folder, which the skip handler removes before retrying.
         r.zip.OnStartUnZip = [&r, start = r.zip.OnStartUnZip](TUnZipper& z, int32_t i, std::string& name, bool& skip) {
             start(z, i, name, skip);
             if (r.starts.size() == 2 && r.starts[i] == 1 && !z.TestOnly) {
                 std::string path = name;
                 std::replace(path.begin(), path.end(), '\\', '/');
                 fs::create_directories(fs::path(path) / "in the way");
             }
         };
         r.zip.OnSkippingFile = [&r, skipping = r.zip.OnSkippingFile](TUnZipper& z, TSkipReason reason,
                                                                      const std::string& name, int32_t i, bool& retry) {
             skipping(z, reason, name, i, retry);
             retry = r.starts[i] < 3;
             std::string path = name;
             std::replace(path.begin(), path.end(), '\\', '/');
             if (reason == srCreateError && r.starts[i] == 2) fs::remove_all(path);
         };
     }},
    {"existing files, overwritten when asked every other time",
     [](Extraction& r, const fs::path& archive) {
         {
             Extraction first(archive, daNever);
             first.zip.SetDestDir(r.out.Str());
             first.zip.OnStartUnZip = nullptr;
             first.Go();
         }
         r.zip.OverwriteMode = Prompt;
         r.zip.OnPromptForOverwrite = [&r, prompt = r.zip.OnPromptForOverwrite, asked = 0](
                                          TUnZipper& z, bool& overwrite, int32_t i, std::string& name) mutable {
             prompt(z, overwrite, i, name);
             overwrite = ++asked % 2 == 0;
         };
     }},
    {"cancelled in the middle of an entry",
     [](Extraction& r, const fs::path&) {
         r.zip.OnTotalPercentDone = [&r, total = r.zip.OnTotalPercentDone](TUnZipper& z, int32_t p) {
             total(z, p);
             if (r.progress == 6) throw Cancelled();
         };
     }},
};

// Every archive the tests make: by other tools, crafted, with the legacy
// methods, and some whose data was damaged or cut short.
std::vector<fs::path> Archives(const TempDir& dir) {
    std::vector<fs::path> archives;
    for (const char* name : {"stored.zip", "deflate1.zip", "deflate9.zip", "encrypted.zip", "encrypted-stored.zip",
                             "streamed.zip", "comments.zip", "dirs-only.zip", "python.zip", "traversal.zip"})
        archives.push_back(TestData() / name);

    auto add = [&](const std::string& name, const std::string& bytes) {
        WriteFile(dir / name, bytes);
        archives.push_back(dir / name);
    };
    // Damage in the middle of the data of readme.txt (the first member), and
    // of the large text file, in the plain and the encrypted archive.
    for (const char* name : {"deflate9.zip", "encrypted.zip"}) {
        std::string bytes = ReadFile(TestData() / name);
        for (const char* member : {"readme.txt", "large.txt"}) {
            const size_t at = bytes.find(member) + 400;
            bytes[at] = static_cast<char>(bytes[at] ^ 0x55);
        }
        add(std::string("damaged-") + name, bytes);
    }
    // Cut short inside the large file, the directory moved up behind the
    // cut: the run ends with an error.
    const std::string stored = ReadFile(TestData() / "stored.zip");
    const std::string cut = stored.substr(0, stored.find("large.txt") + 300000);
    std::string directory = stored.substr(stored.find("PK\x01\x02"));
    const size_t end = directory.rfind("PK\x05\x06");
    for (int i = 0; i < 4; ++i) directory[end + 16 + i] = static_cast<char>((cut.size() >> (8 * i)) & 0xFF);
    add("truncated.zip", cut + directory);

    std::string text;
    for (int i = 0; i < 3000; ++i) text += "line " + std::to_string(i) + " of a text the legacy methods encode\n";
    std::vector<CraftedEntry> legacy;
    auto entry = [](const std::string& name, const std::string& data, uint16_t method, const std::string& compressed) {
        CraftedEntry e;
        e.name = name;
        e.data = compressed;
        e.method = method;
        e.uncompressedSize = static_cast<uint32_t>(data.size());
        e.crc = TestCrc32(data);
        return e;
    };
    legacy.push_back(entry("shrunk.txt", text, 1, TestShrink(text, 500)));
    for (unsigned factor = 1; factor <= 4; ++factor)
        legacy.push_back(entry("reduced" + std::to_string(factor) + ".txt", text, static_cast<uint16_t>(1 + factor),
                               TestReduce(text, factor)));
    legacy.push_back(entry("imploded.txt", text, 6, TestImplode(text, true, true)));
    CraftedEntry unknown = entry("unknown.bin", "whatever", 9, "whatever");
    CraftedEntry longer = entry("longer.bin", std::string(40000, 'L'), 0, std::string(40000, 'L'));
    longer.uncompressedSize = 20000;
    legacy.push_back(unknown);
    legacy.push_back(longer);
    CraftedEntry secret = entry("secret.txt", text, 0, text);
    secret.password = kPayloadPassword;
    legacy.push_back(secret);
    CraftedEntry tiny = entry("tiny.bin", "", 0, "");
    tiny.flags = 1;  // encrypted, yet too short to hold the header
    legacy.push_back(tiny);
    add("crafted.zip", BuildArchive(legacy));

    // Many small files, more than the decoding thread can hold ahead.
    std::vector<CraftedEntry> many;
    for (int i = 0; i < 700; ++i) {
        CraftedEntry e;
        e.name = "many/folder" + std::to_string(i % 7) + "/file" + std::to_string(i) + ".txt";
        e.data = text.substr(static_cast<size_t>(i) * 37 % 1000, 900 + static_cast<size_t>(i) % 300);
        e.password = i % 5 == 0 ? "" : kPayloadPassword;
        many.push_back(e);
    }
    add("many.zip", BuildArchive(many));
    return archives;
}

}  // namespace

TEST(DecodingThreadTest, ChangesNothingACallerSees) {
    TempDir dir;
    int ahead = 0, runs = 0;
    for (const fs::path& archive : Archives(dir)) {
        for (const Script& script : kScripts) {
            Extraction single(archive, daNever), pipelined(archive, daAlways);
            script.setUp(single, archive);
            script.setUp(pipelined, archive);
            const Transcript one = single.Go(), two = pipelined.Go();
            EXPECT_FALSE(one.decodedAhead);
            ahead += two.decodedAhead;
            ++runs;
            EXPECT_EQ(Difference(one, two), "") << archive.filename() << ", " << script.name;
        }
    }
    // Every run that extracted a file had the thread; only the archive of
    // folders alone never starts one.
    EXPECT_EQ(ahead, runs - static_cast<int>(std::size(kScripts)));
}
