// The installation's journal on disk: what the installation has changed, one
// record per change, written before the change takes effect. Each record is
// one line of UTF-8 fields separated by tabs and closed by the CRC-32 of the
// line, so a reader takes exactly the records that were written whole: a
// crash in the middle of a record, or a damaged byte, ends the reading there
// and nothing after it is believed.
//
//   Kind<TAB>field<TAB>field ... <TAB>#crc32-in-hex<LF>
//
// In a field "%", tab, CR and LF are written as "%25", "%09", "%0D", "%0A".
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "util/error.h"
#include "util/handles.h"

// What a record says was done (the fields of each kind are in rollback.h,
// which undoes them). A kind this program does not know (a later version's)
// reads as Unknown and is reported, never guessed at.
enum class TRecordKind { Header, Folder, File, Aside, Key, Security, Registration, Program, Commit, Unknown };

struct TJournalRecord {
    TJournalRecord() = default;
    TJournalRecord(TRecordKind kind, std::vector<std::wstring> fields) : kind(kind), fields(std::move(fields)) {}

    TRecordKind kind = TRecordKind::Unknown;
    std::vector<std::wstring> fields;
    std::wstring kindName;  // as written (for an Unknown record, what it said)
};

// A journal that cannot be written: the installation cannot be made undoable.
class EJournalError : public EError {
public:
    using EError::EError;
};

// One record's line, with its line break.
std::string EncodeRecord(const TJournalRecord& record);

struct TJournalReading {
    std::vector<TJournalRecord> records;  // every record before the first one not whole
    size_t bytesTaken = 0;                // the bytes those records take
    bool damaged = false;                 // bytes follow that are not a whole record
};
// The records of a journal's bytes, up to the first that is cut short or damaged.
TJournalReading DecodeJournal(const std::string& bytes);

// The journal being written. Every record reaches the system at once, so a
// process that is killed loses none; records reach the disk itself (against a
// power loss) when the caller asks, and otherwise at most a quarter of a
// second after they were written.
class TJournalFile {
public:
    // Creates the file, replacing one that is there; raises EJournalError.
    explicit TJournalFile(std::wstring path);
    TJournalFile(const TJournalFile&) = delete;
    TJournalFile& operator=(const TJournalFile&) = delete;

    const std::wstring& Path() const { return path_; }
    // Writes the record; with durable, it is on the disk when this returns.
    // Raises EJournalError when the system refuses.
    void Append(const TJournalRecord& record, bool durable);
    // Writes the records in one go (a killed process has all of them or a
    // first part of them, as with one record at a time).
    void Append(const std::vector<TJournalRecord>& records, bool durable);
    // Everything written so far onto the disk.
    void Flush();
    // Flushes when records wait and the last flush is a quarter of a second old.
    void FlushIfDue();
    // Closes the file and deletes it (the installation is over).
    void Remove();

private:
    void Write(const std::string& lines, bool durable);

    std::wstring path_;
    UniqueHFile file_;
    bool unflushed_ = false;
    ULONGLONG lastFlush_ = 0;
};
