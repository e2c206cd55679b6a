// Reading an archive's directory: the end record, the central records, the
// companion ".zcd" file, the recovery scan and spanned archives.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "unzip/errors.h"
#include "unzip/unzipper.h"

namespace {

// The largest tail that can hold the end record: the record plus a 65535-byte comment.
constexpr int64_t kEndSearchSpan = kEndRecordSize + 0xFFFF;
constexpr size_t kMaxEntries = 65534;
constexpr int64_t kSelfExtractorStub = 14000;

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string FolderOf(const std::string& path) {
    size_t sep = path.find_last_of("\\:");
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

std::string WithExtension(const std::string& path, const std::string& extension) {
    size_t dot = path.find_last_of("\\:.");
    if (dot == std::string::npos || path[dot] != '.') return path + extension;
    return path.substr(0, dot) + extension;
}

std::string UpperExtension(const std::string& path) {
    size_t dot = path.find_last_of("\\:.");
    if (dot == std::string::npos || path[dot] != '.') return {};
    std::string ext = path.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

uint64_t PhysicalKey(const TZipEntryInfo& e) { return (uint64_t{e.diskNumberStart} << 32) | e.localHeaderOffset; }

// The fields local headers and central records share, from "version needed
// to extract" on (offset 4 of a local header, 6 of a central record).
void FillSharedFields(TZipEntryInfo& e, const unsigned char* p) {
    e.versionNeeded = Get16(p);
    e.flags = Get16(p + 2);
    e.method = Get16(p + 4);
    e.dateTime = SanitizeDosDateTime((uint32_t{Get16(p + 8)} << 16) | Get16(p + 6));
    e.crc32 = Get32(p + 10);
    e.compressedSize = Get32(p + 14);
    e.uncompressedSize = Get32(p + 18);
}

// Fills an entry from a central record's fixed 46 bytes.
void FillFromCentral(TZipEntryInfo& e, const unsigned char* h) {
    e.versionMadeBy = Get16(h + 4);
    FillSharedFields(e, h + 6);
    e.extraLength = Get16(h + 30);
    e.commentLength = Get16(h + 32);
    e.diskNumberStart = Get16(h + 34);
    e.internalAttributes = Get16(h + 36);
    e.externalAttributes = Get32(h + 38);
    e.localHeaderOffset = Get32(h + 42);
}

}  // namespace

TUnZipper::TUnZipper() : dialogs_(std::make_shared<zipos::Dialogs>()) {
    OnGetNextDisk = [this](TUnZipper&, int32_t nextDisk, std::string& fName) { BuiltInGetNextDisk(nextDisk, fName); };
}

TUnZipper::~TUnZipper() = default;

void TUnZipper::SetZipName(const std::string& name) {
    if (SameTextIgnoringCase(name, zipName_)) return;
    std::string chosen = name;
    if (!name.empty() && name.back() == '?') {
        std::string folder = FolderOf(name.substr(0, name.size() - 1));
        if (folder.empty() || !zipos::DirectoryExists(folder)) folder = "C:\\";
        if (!dialogs_->ChooseZipFile(folder, chosen)) throw EUserCanceled("User canceled setting zip file name.");
    }
    zipName_ = chosen;
    FreeDirectory();
    end_.Reset();
    CloseArchive();
    recovered_ = false;
}

void TUnZipper::FreeDirectory() {
    view_.clear();
    directory_.reset();
}

void TUnZipper::CloseForGood() {
    CloseArchive();
    FreeDirectory();
    end_.Reset();
    zipName_.clear();
}

void TUnZipper::OpenArchive() {
    if (!archive_) archive_ = std::make_unique<TArchiveStream>(zipName_);
}

int32_t TUnZipper::Count() const { return directory_ ? static_cast<int32_t>(directory_->size()) : 0; }

TZipEntryInfo& TUnZipper::ViewEntry(int32_t index) const {
    if (index < 0 || index >= Count()) throw EListError("Index " + std::to_string(index) + " is out of range");
    return sortMode_ == ByNone ? *(*directory_)[static_cast<size_t>(index)] : *view_[static_cast<size_t>(index)];
}

const TZipEntryInfo& TUnZipper::Entry(int32_t index) const { return ViewEntry(index); }
std::string TUnZipper::FileName(int32_t index) const { return ViewEntry(index).fileName; }
std::string TUnZipper::DirectoryName(int32_t index) const { return ViewEntry(index).directory; }

std::string TUnZipper::FileComment(int32_t index) {
    std::string comment = LoadEntryComment(ViewEntry(index));
    CloseUnlessKept();
    return comment;
}

std::string TUnZipper::ZipComment() {
    std::string comment = LoadZipComment();
    CloseUnlessKept();
    return comment;
}

std::string TUnZipper::LoadEntryComment(TZipEntryInfo& entry) {
    if (!entry.comment) {
        entry.comment.emplace();
        if (entry.commentLength > 0) {
            OpenArchive();
            TBufferStream& s = archive_->stream;
            unsigned char h[kCentralRecordSize];
            s.Seek(entry.centralRecordOffset, TBufferStream::soBeginning);
            if (s.Read(h, sizeof h) == sizeof h && Get32(h) == kCentralSignature) {
                s.Seek(int64_t{Get16(h + 28)} + Get16(h + 30), TBufferStream::soCurrent);
                std::string text(Get16(h + 32), '\0');
                text.resize(s.Read(text.data(), text.size()));
                *entry.comment = text;
            }
        }
    }
    return *entry.comment;
}

std::string TUnZipper::LoadZipComment() {
    if (!end_.comment) {
        end_.comment.emplace();
        if (end_.commentLength > 0 && !zipName_.empty()) {
            OpenArchive();
            TBufferStream& s = archive_->stream;
            s.Seek(end_.commentPosition, TBufferStream::soBeginning);
            std::string text(end_.commentLength, '\0');
            text.resize(s.Read(text.data(), text.size()));
            *end_.comment = text;
        }
    }
    return *end_.comment;
}

bool TUnZipper::FindEndRecord(TBufferStream& stream) {
    const int64_t size = stream.Size();
    if (size < static_cast<int64_t>(kEndRecordSize)) {
        if (size != 0) return false;
        end_.Reset();  // an empty file is an archive with no entries: all zero
        end_.signature = 0;
        return true;
    }
    const int64_t span = std::min(size, kEndSearchSpan);
    std::vector<unsigned char> tail(static_cast<size_t>(span));
    stream.Seek(size - span, TBufferStream::soBeginning);
    if (stream.Read(tail.data(), tail.size()) != tail.size()) return false;
    // The first signature from the end wins.
    for (int64_t i = span - static_cast<int64_t>(kEndRecordSize); i >= 0; --i) {
        const unsigned char* p = tail.data() + i;
        if (p[0] != 'P' || Get32(p) != TEndRecord::kSignature) continue;
        end_.Reset();
        end_.thisDisk = Get16(p + 4);
        end_.centralDisk = Get16(p + 6);
        end_.entriesOnDisk = Get16(p + 8);
        end_.totalEntries = Get16(p + 10);
        end_.centralSize = Get32(p + 12);
        end_.centralOffset = Get32(p + 16);
        end_.commentLength = Get16(p + 20);
        end_.commentPosition = static_cast<uint32_t>(size - end_.commentLength);
        return true;
    }
    return false;
}

TBufferStream& TUnZipper::CentralSource() { return companion_ ? companion_->stream : archive_->stream; }

void TUnZipper::ReadDirectory() {
    LoadDirectory();
    CloseUnlessKept();
}

void TUnZipper::LoadDirectory() {
    OpenArchive();
    const uint32_t stamp = archive_->stream.File().DosDateTime();
    if (directory_ && stamp == archiveDateTime_) return;
    archiveDateTime_ = stamp;
    FreeDirectory();

    bool found = FindEndRecord(archive_->stream);
    if (!found) {
        // A companion file may hold the directory (central directory at 0).
        std::string zcd = WithExtension(zipName_, ".zcd");
        if (zipos::FileExists(zcd)) {
            companion_ = std::make_unique<TArchiveStream>(zcd);
            found = FindEndRecord(companion_->stream);
            if (found) end_.centralOffset = 0;
            else companion_.reset();
        }
    }
    struct CompanionCloser {
        std::unique_ptr<TArchiveStream>& c;
        ~CompanionCloser() { c.reset(); }
    } closeCompanion{companion_};

    if (!found) {
        IncompleteArchive(true);
    } else {
        currentDisk_ = companion_ ? 0 : end_.thisDisk;
        if (end_.thisDisk == 0) {
            spanMode_ = spNone;
        } else {
            const bool drive = zipName_.size() >= 2 && zipName_[1] == ':';
            std::string root = drive ? zipName_.substr(0, 3) : std::string();
            for (char& c : root) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            spanMode_ = drive && zipos::IsRemovableDrive(root) ? spRemovable : spNumberedFiles;
        }
        if (end_.totalEntries != 0) {
            if (spanMode_ != spNone && !companion_ && end_.centralDisk != currentDisk_) FetchDisk(end_.centralDisk);
            unsigned char sig[4];
            CentralSource().Seek(end_.centralOffset, TBufferStream::soBeginning);
            if (CentralSource().Read(sig, 4) != 4 || Get32(sig) != kCentralSignature) IncompleteArchive(false);
            else CentralSource().Seek(end_.centralOffset, TBufferStream::soBeginning);
        }
    }
    if (!directory_) directory_ = std::make_unique<EntryList>();

    if (!ReadCentralRecords() && !recovered_) {
        IncompleteArchive(false);  // raises, or recovers from the local headers
        ReadCentralRecords();      // which the central records, where readable, refine
    }
    if (spanMode_ != spNone) LoadComments();
    numberOfDisks_ = end_.thisDisk + 1;
    BuildView();
}

void TUnZipper::IncompleteArchive(bool noEndRecord) {
    if (OnIncompleteZip) OnIncompleteZip(*this, IncompleteZipMode);
    switch (IncompleteZipMode) {
    case izAssumeMulti:
        if (noEndRecord) throw EIncompleteZip(kIncompleteZipFile);
        throw EBadZipFile(kNotAValidZipFile);
    case izAssumeNotAZip:
        if (noEndRecord) throw ENotAZipFile(kNotAValidZipFile);
        throw EBadZipFile(kNotAValidZipFile);
    case izAssumeBad:
        companion_.reset();
        if (!RecoveryScan()) {
            CloseForGood();
            throw EBadZipFile(kNotAValidZipFile);
        }
        CentralSource().Seek(end_.centralOffset, TBufferStream::soBeginning);
        return;
    }
}

void TUnZipper::AddEntry(std::unique_ptr<TZipEntryInfo> entry) {
    if (directory_->size() >= kMaxEntries)
        throw EListError("List index out of bounds (" + std::to_string(directory_->size()) + ")");
    // Physical order; most archives list their members in it, so look at the end first.
    const uint64_t key = PhysicalKey(*entry);
    auto at = directory_->end();
    if (!directory_->empty() && PhysicalKey(*directory_->back()) >= key)
        at = std::lower_bound(directory_->begin(), directory_->end(), key,
                              [](const auto& e, uint64_t k) { return PhysicalKey(*e) < k; });
    if (at != directory_->end() && PhysicalKey(**at) == key) throw EListError(kDuplicateObjectIndex);
    directory_->insert(at, std::move(entry));
}

bool TUnZipper::ReadCentralRecords() {
    std::unordered_set<uint64_t> refined;
    for (uint32_t n = 0; n < end_.totalEntries; ++n) {
        const int64_t position = CentralSource().Position();
        unsigned char h[kCentralRecordSize];
        size_t got = CentralSource().Read(h, sizeof h);
        // A spanned archive's record may continue on the next disk.
        if (spanMode_ != spNone && !companion_ &&
            (got == 0 || (got >= 4 && got < sizeof h && Get32(h) == kCentralSignature))) {
            FetchDisk(currentDisk_ + 1);
            got += CentralSource().Read(h + got, sizeof h - got);
        }
        TBufferStream& s = CentralSource();
        std::string stored;
        bool ok = got == sizeof h && Get32(h) == kCentralSignature;
        if (ok) {
            stored.resize(Get16(h + 28));
            ok = s.Read(stored.data(), stored.size()) == stored.size();
        }
        if (!ok) {
            s.Seek(position, TBufferStream::soBeginning);
            return false;
        }
        s.Seek(int64_t{Get16(h + 30)} + Get16(h + 32), TBufferStream::soCurrent);

        auto entry = std::make_unique<TZipEntryInfo>();
        FillFromCentral(*entry, h);
        entry->SetName(ConvertName(stored, entry->flags));
        entry->centralRecordOffset = static_cast<uint32_t>(position);
        if (!recovered_) {
            AddEntry(std::move(entry));
            continue;
        }
        // After a recovery scan: refine the entry found at the same place; drop the rest.
        const uint64_t key = PhysicalKey(*entry);
        auto it = std::lower_bound(directory_->begin(), directory_->end(), key,
                                   [](const auto& e, uint64_t k) { return PhysicalKey(*e) < k; });
        if (it != directory_->end() && PhysicalKey(**it) == key && refined.insert(key).second) {
            entry->localExtraLength = (*it)->localExtraLength;
            *it = std::move(entry);
        }
    }
    return true;
}

std::string TUnZipper::ConvertName(const std::string& stored, uint16_t flags) const {
    std::string name = stored;
    std::replace(name.begin(), name.end(), '/', '\\');
    return zipos::StoredNameToNative(name, (flags & 0x0800) != 0);
}

bool TUnZipper::ReadLocalHeader(TBufferStream& stream, TZipEntryInfo& entry) {
    unsigned char h[kLocalHeaderSize];
    if (stream.Read(h, sizeof h) != sizeof h || Get32(h) != kLocalSignature) return false;
    std::string stored(Get16(h + 26), '\0');
    if (stream.Read(stored.data(), stored.size()) != stored.size()) return false;
    FillSharedFields(entry, h + 4);
    entry.localExtraLength = Get16(h + 28);
    entry.SetName(ConvertName(stored, entry.flags));
    return true;
}

bool TUnZipper::RecoveryScan() {
    TBufferStream& s = archive_->stream;
    const int64_t start = UpperExtension(zipName_) == ".EXE" ? kSelfExtractorStub : 0;
    s.Seek(start, TBufferStream::soBeginning);
    // Find "PK\3\4" followed by a plausible version-needed field.
    static constexpr unsigned char kMagic[4] = {'P', 'K', 3, 4};
    int matched = 0;
    int64_t scanned = 0;
    unsigned char c;
    for (;;) {
        if (s.Read(&c, 1) != 1) return false;
        if (DoProcessMessages && ++scanned % 10240 == 0) zipos::ProcessMessages();
        matched = c == kMagic[matched] ? matched + 1 : (c == 'P' ? 1 : 0);
        if (matched < 4) continue;
        matched = 0;
        unsigned char version[2];
        const int64_t after = s.Position();
        if (s.Read(version, 2) == 2 && version[1] < 10) {
            s.Seek(after - 4, TBufferStream::soBeginning);
            break;
        }
        s.Seek(after, TBufferStream::soBeginning);
    }
    directory_ = std::make_unique<EntryList>();
    for (;;) {
        const int64_t position = s.Position();
        auto entry = std::make_unique<TZipEntryInfo>();
        if (!ReadLocalHeader(s, *entry)) {
            s.Seek(position, TBufferStream::soBeginning);
            break;
        }
        entry->localHeaderOffset = static_cast<uint32_t>(position);
        entry->centralRecordOffset = 0;
        const int64_t skip = int64_t{entry->compressedSize} + entry->localExtraLength + ((entry->flags & 8) ? 16 : 0);
        s.Seek(skip, TBufferStream::soCurrent);
        AddEntry(std::move(entry));
    }
    end_.thisDisk = 0;
    end_.centralOffset = static_cast<uint32_t>(s.Position());
    end_.totalEntries = static_cast<uint16_t>(directory_->size());
    currentDisk_ = 0;
    spanMode_ = spNone;
    recovered_ = true;
    return true;
}

void TUnZipper::LoadComments() {
    for (auto& entry : *directory_)
        if (entry->commentLength > 0) LoadEntryComment(*entry);
    if (end_.commentLength != 0) {
        if (currentDisk_ != end_.thisDisk) FetchDisk(end_.thisDisk);
        LoadZipComment();
    }
}

// Another disk of a spanned archive: asked for until an existing file (on a
// removable disk, one whose label ends in the disk's number) is named.
void TUnZipper::FetchDisk(int32_t disk) {
    CloseArchive();
    std::string name = zipName_, previous;
    char number[16];
    std::snprintf(number, sizeof number, "%3.3d", disk + 1);
    for (;;) {
        if (OnGetNextDisk) OnGetNextDisk(*this, disk + 1, name);
        if (name.empty()) throw EUserCanceled("User canceled loading new disk.");
        bool ok = zipos::FileExists(name);
        if (ok && spanMode_ == spRemovable) {
            std::string label = zipos::VolumeLabel(name.substr(0, 3)).substr(0, 11);
            ok = label.size() >= 3 && label.compare(label.size() - 3, 3, number) == 0;
        }
        if (ok) break;
        // Numbered files do not appear by asking again for the same name.
        if (spanMode_ != spRemovable && name == previous) throw EUserCanceled("User canceled loading new disk.");
        previous = name;
    }
    zipName_ = name;
    archive_ = std::make_unique<TArchiveStream>(name);
    archiveDateTime_ = archive_->stream.File().DosDateTime();
    currentDisk_ = disk;
}

void TUnZipper::BuiltInGetNextDisk(int32_t nextDisk, std::string& fName) {
    if (spanMode_ == spRemovable) {
        if (!dialogs_->AskOkCancel("Please insert disk " + std::to_string(nextDisk) + " of the multi-disk set.",
                                   "Insert Disk"))
            fName.clear();
        return;
    }
    char extension[16];
    std::snprintf(extension, sizeof extension, ".%3.3d", nextDisk);
    fName = WithExtension(fName, extension);
}
