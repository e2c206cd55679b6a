#include "install/journal.h"

#include <cstdio>
#include <iterator>

#include "unzip/crc32.h"
#include "util/win_error.h"

namespace {

constexpr ULONGLONG kFlushIntervalMs = 250;

struct TKindName {
    TRecordKind kind;
    const char* name;
};
constexpr TKindName kKindNames[] = {
    {TRecordKind::Header, "Journal"},   {TRecordKind::Folder, "Folder"},
    {TRecordKind::File, "File"},        {TRecordKind::Aside, "Aside"},
    {TRecordKind::Key, "Key"},          {TRecordKind::Security, "Security"},
    {TRecordKind::Registration, "Registration"}, {TRecordKind::Program, "Program"},
    {TRecordKind::Commit, "Commit"},
};

std::string KindName(const TJournalRecord& record) {
    for (const TKindName& entry : kKindNames)
        if (entry.kind == record.kind) return entry.name;
    return WideToUtf8(record.kindName);
}

TRecordKind KindOf(const std::string& name) {
    for (const TKindName& entry : kKindNames)
        if (name == entry.name) return entry.kind;
    return TRecordKind::Unknown;
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '%': out += "%25"; break;
        case '\t': out += "%09"; break;
        case '\r': out += "%0D"; break;
        case '\n': out += "%0A"; break;
        default: out += c;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// False for an escape this writer never makes.
bool Unescaped(const std::string& text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        const int high = HexDigit(text[i + 1]), low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

std::vector<std::string> SplitAtTabs(const std::string& line) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        parts.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return parts;
        start = tab + 1;
    }
}

std::string CrcText(const std::string& body) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(Crc32(0, body.data(), body.size())));
    return text;
}

// One line without its break: the record, or false when it is not one this
// writer made whole.
bool DecodeLine(const std::string& line, TJournalRecord& record) {
    const size_t mark = line.rfind("\t#");
    if (mark == std::string::npos || line.size() - mark != 10) return false;
    const std::string body = line.substr(0, mark);
    if (line.compare(mark + 2, 8, CrcText(body)) != 0) return false;
    const std::vector<std::string> parts = SplitAtTabs(body);
    record = {};
    record.kind = KindOf(parts[0]);
    record.kindName = Utf8ToWide(parts[0]);
    for (size_t i = 1; i < parts.size(); ++i) {
        std::string field;
        if (!Unescaped(parts[i], field)) return false;
        record.fields.push_back(Utf8ToWide(field));
    }
    return true;
}

}  // namespace

std::string EncodeRecord(const TJournalRecord& record) {
    std::string body = Escaped(KindName(record));
    for (const std::wstring& field : record.fields) body += "\t" + Escaped(WideToUtf8(field));
    return body + "\t#" + CrcText(body) + "\n";
}

TJournalReading DecodeJournal(const std::string& bytes) {
    TJournalReading reading;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find('\n', start);
        TJournalRecord record;
        if (end == std::string::npos || !DecodeLine(bytes.substr(start, end - start), record)) break;
        reading.records.push_back(std::move(record));
        start = end + 1;
    }
    reading.bytesTaken = start;
    reading.damaged = start < bytes.size();
    return reading;
}

TJournalFile::TJournalFile(std::wstring path) : path_(std::move(path)) {
    // Others may read it (an administrator looking), nobody may change it meanwhile.
    file_.reset(CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_)
        throw EJournalError(L"Cannot create the installation's journal " + path_ + L": " +
                            SystemErrorText(GetLastError()));
    lastFlush_ = GetTickCount64();
}

void TJournalFile::Append(const TJournalRecord& record, bool durable) { Write(EncodeRecord(record), durable); }

void TJournalFile::Append(const std::vector<TJournalRecord>& records, bool durable) {
    std::string lines;
    for (const TJournalRecord& record : records) lines += EncodeRecord(record);
    Write(lines, durable);
}

void TJournalFile::Write(const std::string& lines, bool durable) {
    if (lines.empty()) return;
    DWORD written = 0;
    if (!file_ || !WriteFile(file_.get(), lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr) ||
        written != lines.size())
        throw EJournalError(L"Cannot write the installation's journal " + path_ + L": " +
                            SystemErrorText(written == 0 ? GetLastError() : ERROR_HANDLE_DISK_FULL));
    unflushed_ = true;
    if (durable) Flush();
    else FlushIfDue();
}

void TJournalFile::Flush() {
    if (!unflushed_ || !file_) return;
    if (!FlushFileBuffers(file_.get()))
        throw EJournalError(L"Cannot write the installation's journal " + path_ + L": " +
                            SystemErrorText(GetLastError()));
    unflushed_ = false;
    lastFlush_ = GetTickCount64();
}

void TJournalFile::FlushIfDue() {
    if (unflushed_ && GetTickCount64() - lastFlush_ >= kFlushIntervalMs) Flush();
}

void TJournalFile::Remove() {
    file_.reset();
    DeleteFileW(path_.c_str());
}
