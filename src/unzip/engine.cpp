// Extraction: the selection pass, the per-entry sequence (destination,
// folders, password, overwrite, creation, decoding, finishing, CRC verdict),
// the events on the way, and the end of a run.
#include <algorithm>
#include <cctype>

#include "unzip/decode_context.h"
#include "unzip/decoding_thread.h"
#include "unzip/errors.h"
#include "unzip/unzipper.h"
#include "unzip/wildcard.h"

namespace {

// The largest output buffer: larger files leave in writes of this size.
constexpr size_t kLargestOutputBuffer = 256 * 1024;

// Below this many bytes to read and write, starting a thread costs more
// than decoding beside the writing saves.
constexpr int64_t kWorthDecodingAhead = 1 << 20;

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

// An entry's stored directory made safe to join below a destination: empty,
// "." and ".." components are dropped, a leading drive ("C:") goes, and any
// other ':' (a stream name on Windows) becomes '_'. Nothing the archive says
// can then reach outside the destination. Ends in '\' unless empty.
std::string ContainedPath(const std::string& dir) {
    std::string result;
    size_t start = 0;
    while (start <= dir.size()) {
        size_t end = dir.find('\\', start);
        if (end == std::string::npos) end = dir.size();
        std::string part = dir.substr(start, end - start);
        start = end + 1;
        if (!part.empty() && part.back() == ':' && result.empty()) continue;  // a drive
        std::replace(part.begin(), part.end(), ':', '_');
        if (part.empty() || part == "." || part == "..") continue;
        result += part;
        result += '\\';
    }
    return result;
}

std::string FolderPart(const std::string& path) {
    size_t sep = path.find_last_of("\\:");
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

// An output file the run cannot keep (it failed its check, or a write to it
// failed) is removed, even when its attributes made it read-only.
void RemoveOutputFile(const std::string& fName) {
    const int64_t attributes = zipos::GetAttributes(fName);
    if (attributes >= 0 && (attributes & 1)) zipos::SetAttributes(fName, static_cast<uint32_t>(attributes & ~1));
    zipos::RemoveFile(fName);
}

// A write that failed (a full disk, a medium gone) ends the run: the partly
// written file is closed without its pending bytes and removed, so that no
// truncated file stays behind that nobody lists.
void AbandonOutput(std::unique_ptr<TBufferStream>& output, const std::string& fName) {
    if (!output) return;
    output->File().Close();
    output.reset();
    RemoveOutputFile(fName);
}

}  // namespace

void TUnZipper::SetDestDir(const std::string& dir) {
    std::string value = dir;
    if (value == "?") {
        std::string start = zipos::DirectoryExists(destDir_) ? destDir_ : zipos::CurrentFolder();
        if (!dialogs_->ChooseFolder(start, value)) throw EUserCanceled("User canceled Set Desination Directory");
    }
    if (!value.empty() && value.back() == '\\') value.pop_back();
    destDir_ = value;
}

void TUnZipper::SetRootDir(const std::string& dir) {
    rootDir_ = dir;
    if (!rootDir_.empty() && rootDir_.back() != '\\') rootDir_ += '\\';
}

std::string TUnZipper::DestinationFolder(const TZipEntryInfo& entry) const {
    std::string relative;
    if (RecreateDirs && !entry.directory.empty()) {
        std::string dir = entry.directory;
        if (!rootDir_.empty() && StartsWithIgnoringCase(dir, rootDir_)) dir.erase(0, rootDir_.size());
        // Absolute and drive-letter directories are re-rooted below the destination.
        relative = ContainedPath(dir);
    }
    // Without a destination the current folder is the root.
    if (destDir_.empty()) return relative;
    return destDir_ + "\\" + relative;
}

int32_t TUnZipper::UnZip() {
    LoadDirectory();
    const bool keepOpen = KeepZipOpen;
    KeepZipOpen = true;
    if (!TestOnly && !destDir_.empty() && !zipos::DirectoryExists(destDir_)) {
        if (OnCreatingFolder) OnCreatingFolder(*this, destDir_);
        zipos::ForceDirectories(destDir_);
    }
    const TZipSortMode savedSort = sortMode_;
    if (spanMode_ != spNone && sortMode_ != ByNone) SetSortMode(ByNone);

    int32_t extracted = 0;
    auto endOfRun = [&] {
        decodingAhead_ = false;
        FilesList.clear();
        if (sortMode_ != savedSort) SetSortMode(savedSort);
        if (OnUnZipComplete) OnUnZipComplete(*this, extracted);
        KeepZipOpen = keepOpen;
    };
    try {
        TDecodeContext context(*this);
        int32_t announced = Count();
        for (int32_t i = 0; i < Count(); ++i) {
            TZipEntryInfo& e = ViewEntry(i);
            e.selected = DoAll;
            if (!e.fileName.empty() || RecreateDirs) {
                std::string path = e.Path();
                for (const std::string& pattern : FilesList)
                    if (WildcardMatch(path, pattern)) {
                        e.selected = true;
                        break;
                    }
            } else {
                e.selected = false;
            }
            if (e.selected && !e.fileName.empty()) context.totalBytes += e.uncompressedSize;
            else --announced;
        }
        bool stopNow = false;
        if (OnStartUnZipInfo) OnStartUnZipInfo(*this, announced, context.totalBytes, stopNow);
        if (announced > 0 && !stopNow) {
            // A decoding thread, where it gains, lives while the entries are
            // extracted: it is stopped before the run ends, also by an error.
            std::unique_ptr<TEntrySource> ahead = DecodingThreadFor(context.totalBytes);
            TEntrySource& source = ahead ? *ahead : context.OwnDecoder();
            decodingAhead_ = ahead != nullptr;
            for (int32_t i = 0; i < Count(); ++i) {
                if (!DoAll && !ViewEntry(i).selected) continue;
                do ExtractEntry(i, context, source, extracted);
                while (context.retry);
            }
        }
    } catch (...) {
        endOfRun();
        throw;
    }
    endOfRun();
    CloseUnlessKept();
    return extracted;
}

void TUnZipper::SkipFile(TSkipReason reason, const std::string& fName, int32_t index, TDecodeContext& context) {
    bool retry = false;
    if (OnSkippingFile) OnSkippingFile(*this, reason, fName, index, retry);
    context.retry = retry;
    context.totalBytes -= context.entry.uncompressedSize;
}

bool TUnZipper::CheckPassword(TEntrySource& source, int32_t index, const TZipEntryInfo& entry) {
    // Too short to hold the encryption header: no password opens it.
    if (entry.compressedSize < 12) return false;
    for (bool again = false;; again = true) {
        if (source.CheckPassword(Password, again)) return true;
        if (!OnBadPassword) return false;
        std::string newPassword = Password;
        OnBadPassword(*this, index, newPassword);
        if (newPassword == Password) return false;
        Password = newPassword;
    }
}

void TUnZipper::EnsureFolder(const std::string& folder, TDecodeContext& context) {
    if (TestOnly || folder.empty() || context.knownFolders.count(folder)) return;
    if (OnCreatingFolder) OnCreatingFolder(*this, folder);
    if (zipos::ForceDirectories(folder)) context.knownFolders.insert(folder);
}

bool TUnZipper::DecideOverwrite(const TZipEntryInfo& entry, int32_t index, std::string& fName,
                                uint32_t existingTime) {
    switch (OverwriteMode) {
    case Always: return true;
    case Never: return false;
    case Prompt: {
        if (!OnPromptForOverwrite) return dialogs_->AskYesNo("Replace existing file " + entry.fileName + "?", "File Exists Alert");
        bool overwrite = false;
        OnPromptForOverwrite(*this, overwrite, index, fName);
        return overwrite;
    }
    case ifNewer:
    case ifOlder: {
        // Both as DOS date/times in local time; the packed fields compare in date order.
        const uint32_t existing = SanitizeDosDateTime(existingTime);
        const uint32_t stored = entry.dateTime;
        return OverwriteMode == ifNewer ? stored > existing : stored < existing;
    }
    }
    return false;
}

void TUnZipper::ExtractEntry(int32_t index, TDecodeContext& context, TEntrySource& source, int32_t& extracted) {
    context.entry = ViewEntry(index);
    context.retry = false;
    TZipEntryInfo& entry = context.entry;

    if (!entry.fileName.empty()) {
        if (spanMode_ != spNone && entry.diskNumberStart != currentDisk_) FetchDisk(entry.diskNumberStart);
        source.Locate(index, TEntryCoding(entry));
    }

    const std::string folder = DestinationFolder(entry);
    if (entry.fileName.empty()) {
        EnsureFolder(folder, context);
        return;
    }

    std::string fName = folder + entry.fileName;
    bool skip = false;
    if (OnStartUnZip) OnStartUnZip(*this, index, fName, skip);
    if (skip) {
        source.Leave();
        return;
    }
    EnsureFolder(FolderPart(fName), context);

    if (entry.Encrypted() && !CheckPassword(source, index, entry)) {
        source.Leave();
        SkipFile(srBadPassword, entry.Path(), index, context);
        return;
    }
    uint32_t existingTime = 0;
    if (!TestOnly && OverwriteMode != Always && zipos::ExistingFile(fName, existingTime) &&
        !DecideOverwrite(entry, index, fName, existingTime)) {
        source.Leave();
        SkipFile(srNoOverwrite, fName, index, context);
        return;
    }

    // A buffer as large as the file, within bounds: most files leave in one write.
    const size_t bufferSize = std::clamp<size_t>(entry.uncompressedSize, TBufferStream::kBufferSize, kLargestOutputBuffer);
    std::unique_ptr<TBufferStream> output;
    for (int attempt = 0; !output && !TestOnly; ++attempt) {
        try {
            output = std::make_unique<TBufferStream>(zipos::File::Create(fName), true, FlushFilesOnClose, bufferSize);
        } catch (const EFCreateError&) {
            const int64_t attributes = zipos::GetAttributes(fName);
            if (!ReplaceReadOnly || attempt > 0) {
                source.Leave();
                SkipFile(srCreateError, fName, index, context);
                return;
            }
            if (attributes >= 0 && (attributes & 1)) zipos::SetAttributes(fName, static_cast<uint32_t>(attributes & ~1));
        } catch (const EError&) {
            source.Leave();
            SkipFile(srCreateError, fName, index, context);
            return;
        }
    }

    // Decoding; an exception other than the size guard ends the run, leaving
    // the file closed with what was written.
    context.BeginEntry(output.get(), entry.uncompressedSize);
    bool decoded = true;
    try {
        if (source.Decode(context) == TDecodeOutcome::UnknownMethod) dialogs_->ShowMessage(kUnknownMethod, "Zip Error");
    } catch (const ELargerThanStated&) {
        decoded = false;
    } catch (const EWriteError&) {
        AbandonOutput(output, fName);
        throw;
    }
    // Finishing through the handle still open, written out first (a later
    // write would move the time): the time, then the stored attributes. A
    // file given the read-only attribute keeps the time it was written at,
    // as when the time was set through a second open, which read-only refuses.
    try {
        if (decoded && output) {
            output->FlushBuffer();
            const bool readOnly = RetainAttributes && (entry.externalAttributes & 1);
            output->File().SetTimeAndAttributes(readOnly ? 0 : SanitizeDosDateTime(entry.dateTime), RetainAttributes,
                                                entry.externalAttributes);
        }
        if (output) output->Close();
    } catch (const EWriteError&) {
        AbandonOutput(output, fName);
        throw;
    }
    output.reset();

    const uint32_t crc = source.Crc();
    if (crc == entry.crc32) {
        if (OnEndUnZip) OnEndUnZip(*this, index, fName);
        ++extracted;
        return;
    }
    if (entry.Encrypted()) {
        if (OnBadPassword) {
            std::string newPassword = Password;
            OnBadPassword(*this, index, newPassword);
            if (newPassword != Password) {
                Password = newPassword;
                context.retry = true;
            }
        }
        if (!context.retry) {
            bool retry = false;
            if (OnSkippingFile) OnSkippingFile(*this, srBadPassword, entry.Path(), index, retry);
            context.retry = retry;
        }
    } else if (OnBadCRC) {
        OnBadCRC(*this, static_cast<int32_t>(crc), static_cast<int32_t>(entry.crc32), index);
    }
    // A damaged file is not left behind.
    if (!TestOnly) RemoveOutputFile(fName);
}

std::unique_ptr<TEntrySource> TUnZipper::DecodingThreadFor(int64_t totalBytes) {
    // The thread reads the archive on its own and cannot ask for a disk.
    if (DecodeAhead == daNever || spanMode_ != spNone) return nullptr;
    std::vector<TDecodingThread::TPlanned> plan;
    int64_t compressedBytes = 0;
    for (int32_t i = 0; i < Count(); ++i) {
        const TZipEntryInfo& entry = ViewEntry(i);
        if ((!DoAll && !entry.selected) || entry.fileName.empty()) continue;
        plan.push_back({i, TEntryCoding(entry)});
        compressedBytes += entry.compressedSize;
    }
    if (DecodeAhead == daAuto &&
        (zipos::UsableProcessors() < 2 || compressedBytes + totalBytes < kWorthDecodingAhead))
        return nullptr;
    try {
        return std::make_unique<TDecodingThread>(zipName_, std::move(plan), Password);
    } catch (const std::exception&) {
        return nullptr;  // no second handle on the archive, or no thread: the caller's thread decodes
    }
}
