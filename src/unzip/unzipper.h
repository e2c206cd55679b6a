// TUnZipper: the extraction component. It reads the directory of the archive
// named by ZipName and extracts the selected entries into DestDir, raising
// events whose in/out parameters let a handler skip, redirect or retry.
// Names, paths and the password are 8-bit text (the ANSI code page on
// Windows, UTF-8 elsewhere), with '\' as the separator.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "unzip/entry.h"
#include "unzip/os/file.h"
#include "unzip/stream.h"

enum TZipSortMode { ByName, ByFileName, ByDirectoryName, ByDate, ByCompressedSize, ByUnCompressedSize, ByRate, ByNone };
enum TOverwriteMode { Prompt, Always, Never, ifNewer, ifOlder };
enum TSkipReason { srBadPassword, srNoOverwrite, srFileOpenError, srCreateError };
enum TIncompleteZipMode { izAssumeMulti, izAssumeBad, izAssumeNotAZip };
enum TSpanMode { spNone, spRemovable, spNumberedFiles };
enum TDecodeAheadMode { daAuto, daNever, daAlways };

class TUnZipper;
struct TDecodeContext;
class TComponentArchive;
class TEntrySource;

// Event signatures; Sender is the component.
using TStartUnZipInfoEvent = std::function<void(TUnZipper& sender, int32_t numFiles, int64_t totalBytes, bool& stopNow)>;
using TStartUnZipEvent = std::function<void(TUnZipper& sender, int32_t fileIndex, std::string& fName, bool& skip)>;
using TBadPasswordEvent = std::function<void(TUnZipper& sender, int32_t fileIndex, std::string& newPassword)>;
using TPromptForOverwriteEvent =
    std::function<void(TUnZipper& sender, bool& overWriteIt, int32_t fileIndex, std::string& fName)>;
using TSkippingFileEvent = std::function<void(TUnZipper& sender, TSkipReason reason, const std::string& fName,
                                              int32_t fileIndex, bool& retry)>;
using TPercentDoneEvent = std::function<void(TUnZipper& sender, int32_t percent)>;
using TBadCRCEvent = std::function<void(TUnZipper& sender, int32_t calcCRC, int32_t storedCRC, int32_t fileIndex)>;
using TEndUnZipEvent = std::function<void(TUnZipper& sender, int32_t fileIndex, const std::string& fName)>;
using TUnZipCompleteEvent = std::function<void(TUnZipper& sender, int32_t fileCount)>;
using TIncompleteZipEvent = std::function<void(TUnZipper& sender, TIncompleteZipMode& incompleteMode)>;
using TGetNextDiskEvent = std::function<void(TUnZipper& sender, int32_t nextDisk, std::string& fName)>;
using TCreatingFolderEvent = std::function<void(TUnZipper& sender, const std::string& folder)>;

class TUnZipper {
public:
    TUnZipper();
    ~TUnZipper();
    TUnZipper(const TUnZipper&) = delete;
    TUnZipper& operator=(const TUnZipper&) = delete;

    // ---- Options -------------------------------------------------------
    int32_t ComponentVersion() const { return 100; }
    void SetComponentVersion(int32_t) {}  // always 100

    const std::string& ZipName() const { return zipName_; }
    // "...?" asks with an open-file dialog; another name (ignoring case)
    // drops the directory; the same name keeps it.
    void SetZipName(const std::string& name);
    const std::string& DestDir() const { return destDir_; }
    // "?" asks with a folder dialog; one trailing backslash is removed.
    void SetDestDir(const std::string& dir);
    const std::string& RootDir() const { return rootDir_; }
    // Stored with a trailing backslash (empty stays empty).
    void SetRootDir(const std::string& dir);
    TZipSortMode SortMode() const { return sortMode_; }
    void SetSortMode(TZipSortMode mode);

    bool RecreateDirs = false;
    TOverwriteMode OverwriteMode = Prompt;
    std::vector<std::string> FilesList;
    bool DoAll = false;
    TIncompleteZipMode IncompleteZipMode = izAssumeMulti;
    bool KeepZipOpen = false;
    bool DoProcessMessages = true;
    bool RetainAttributes = true;
    bool ReplaceReadOnly = false;
    bool FlushFilesOnClose = false;
    // Tests instead of extracting: every selected entry is decrypted, decoded
    // and checked with the same events, but no folder or file is made and
    // the overwrite mode is not consulted (for checking a payload).
    bool TestOnly = false;
    // Entry data read, decrypted, decoded and checked on a thread of its own,
    // ahead of the caller's thread, which still makes every file and decision
    // and raises every event, in the same order with the same arguments.
    // daAuto: when two processors are free to run and the run is large
    // enough to gain; daNever: all on the caller's thread; daAlways: whenever
    // the archive allows (a spanned archive never does).
    TDecodeAheadMode DecodeAhead = daAuto;
    // Whether the entries of the run in progress are decoded on a thread of their own.
    bool DecodingAhead() const { return decodingAhead_; }
    std::string Password;

    // ---- Events --------------------------------------------------------
    TStartUnZipInfoEvent OnStartUnZipInfo;
    TStartUnZipEvent OnStartUnZip;
    TBadPasswordEvent OnBadPassword;
    TPromptForOverwriteEvent OnPromptForOverwrite;
    TSkippingFileEvent OnSkippingFile;
    TPercentDoneEvent OnFilePercentDone;
    TPercentDoneEvent OnTotalPercentDone;
    TBadCRCEvent OnBadCRC;
    TEndUnZipEvent OnEndUnZip;
    TUnZipCompleteEvent OnUnZipComplete;
    TIncompleteZipEvent OnIncompleteZip;
    // Installed by the constructor: asks for removable disks or numbers the files.
    TGetNextDiskEvent OnGetNextDisk;
    // Before the run makes a folder (with any missing parents) that it has not
    // made or found yet, so that a caller can record it first; an exception
    // from it ends the run.
    TCreatingFolderEvent OnCreatingFolder;

    // The platform dialogs the component asks through; replaceable (tests, tools).
    void SetDialogs(std::shared_ptr<zipos::Dialogs> dialogs) { dialogs_ = std::move(dialogs); }
    zipos::Dialogs& Dialogs() { return *dialogs_; }

    // ---- Directory -----------------------------------------------------
    // Entries in the directory; 0 before it is read. Never reads.
    int32_t Count() const;
    // Of the entry at index of the current view; "Index %d is out of range" otherwise.
    std::string FileName(int32_t index) const;
    std::string DirectoryName(int32_t index) const;
    const TZipEntryInfo& Entry(int32_t index) const;
    // The entry's comment, read from its central record on first request.
    std::string FileComment(int32_t index);
    // The archive comment, read on first request.
    std::string ZipComment();
    const TEndRecord& EndRecord() const { return end_; }
    int32_t NumberOfDisks() const { return numberOfDisks_; }
    TSpanMode SpanMode() const { return spanMode_; }
    bool Recovered() const { return recovered_; }
    // Reads the archive's directory unless the one read is current (the
    // archive's time is unchanged); closes the archive unless KeepZipOpen.
    void ReadDirectory();

    // ---- Extraction ----------------------------------------------------
    // Extracts the selected entries; the number extracted with a good CRC.
    int32_t UnZip();

    // Closes the archive for good: stream, directory, end record and name.
    void CloseForGood();

private:
    friend struct TDecodeContext;
    friend class TComponentArchive;
    using EntryList = std::vector<std::unique_ptr<TZipEntryInfo>>;

    // Directory reading (directory.cpp).
    void LoadDirectory();  // ReadDirectory, leaving the archive open
    void CloseUnlessKept() {
        if (!KeepZipOpen) CloseArchive();
    }
    void OpenArchive();
    void CloseArchive() { archive_.reset(); }
    void FreeDirectory();
    bool FindEndRecord(TBufferStream& stream);
    bool ReadCentralRecords();
    TBufferStream& CentralSource();
    void IncompleteArchive(bool noEndRecord);
    bool RecoveryScan();
    bool ReadLocalHeader(TBufferStream& stream, TZipEntryInfo& entry);
    std::string ConvertName(const std::string& stored, uint16_t flags) const;
    void FetchDisk(int32_t disk);
    void BuiltInGetNextDisk(int32_t nextDisk, std::string& fName);
    void BuildView();
    TZipEntryInfo& ViewEntry(int32_t index) const;
    void AddEntry(std::unique_ptr<TZipEntryInfo> entry);
    void LoadComments();
    std::string LoadEntryComment(TZipEntryInfo& entry);
    std::string LoadZipComment();

    // Extraction (engine.cpp).
    // The decoding thread for the entries this run extracts, where it gains;
    // null for decoding on the caller's thread.
    std::unique_ptr<TEntrySource> DecodingThreadFor(int64_t totalBytes);
    void ExtractEntry(int32_t index, TDecodeContext& context, TEntrySource& source, int32_t& extracted);
    std::string DestinationFolder(const TZipEntryInfo& entry) const;
    bool CheckPassword(TEntrySource& source, int32_t index, const TZipEntryInfo& entry);
    // existingTime: the existing file's modification time (local DOS).
    bool DecideOverwrite(const TZipEntryInfo& entry, int32_t index, std::string& fName, uint32_t existingTime);
    // Creates a folder with its parents unless this run has made or found it.
    void EnsureFolder(const std::string& folder, TDecodeContext& context);
    void SkipFile(TSkipReason reason, const std::string& fName, int32_t index, TDecodeContext& context);

    std::string zipName_;
    std::string destDir_;
    std::string rootDir_;
    TZipSortMode sortMode_ = ByNone;
    std::shared_ptr<zipos::Dialogs> dialogs_;

    std::unique_ptr<TArchiveStream> archive_;
    std::unique_ptr<TArchiveStream> companion_;  // the ".zcd" file while the directory is read from it
    TEndRecord end_;
    std::unique_ptr<EntryList> directory_;  // physical order, owns the records
    std::vector<TZipEntryInfo*> view_;      // the current order when not ByNone
    uint32_t archiveDateTime_ = 0;
    int32_t currentDisk_ = 0;
    int32_t numberOfDisks_ = 0;
    TSpanMode spanMode_ = spNone;
    bool recovered_ = false;
    bool decodingAhead_ = false;
};
