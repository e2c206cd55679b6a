// An INI file held in memory in the plain form that the system's
// private-profile write calls leave behind, so that many keys can be set and
// written with one write of the file, byte for byte as those calls would
// have written them one at a time.
//
// The plain form: every line is "[section]", "key=value" or a lone name,
// ended by CR LF; no blank lines, no spaces at either end of a line or around
// its "=", no control characters, names in ASCII, no byte-order mark, and
// every byte unchanged by a round trip through the ANSI code page. A file in
// any other shape is left to the system's own calls, which reshape it in
// their own ways.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class TPlainProfile {
public:
    // The profile of a file's bytes (empty bytes for no file); nothing when
    // they are not in the plain form.
    static std::optional<TPlainProfile> Parse(const std::string& bytes);

    // True when the system's write call stores the value as it stands: no
    // control characters and no spaces at either end.
    static bool IsPlainValue(const std::wstring& value);

    // Sets a key as the system's write call does: the value goes to the first
    // key of that name in the first section of that name, names compared
    // ignoring letter case; a new key ends its section, a new section ends
    // the file. Names are ASCII; the value must be plain.
    void Set(const std::wstring& section, const std::wstring& key, const std::wstring& value);

    // The file's bytes from offset on, which replace the file's bytes from
    // there to its end.
    struct TChange {
        size_t offset = 0;
        std::string bytes;
    };
    // What changed since Parse or the last call; nothing when nothing did.
    // While keys only join the last section this is just the new lines, so a
    // growing log costs a write of what it gained.
    std::optional<TChange> TakeChange();

private:
    struct TKey {
        std::wstring name;
        std::optional<std::wstring> value;  // none for a lone name
    };
    struct TSection {
        std::wstring name;
        bool hasHeader = true;  // keys before the first "[section]" have none
        std::vector<TKey> keys;
        std::unordered_map<std::wstring, size_t> keyIndex;  // folded name -> first key of that name
    };

    TSection& AddSection(std::wstring name, bool hasHeader);
    void AddKey(TSection& section, std::wstring name, std::optional<std::wstring> value);
    std::wstring Text() const;

    std::vector<TSection> sections_;
    std::unordered_map<std::wstring, size_t> sectionIndex_;  // folded name -> first section of that name
    std::string bytes_;       // the file as of the last change taken
    std::wstring appended_;   // lines added at the end since then
    bool rewritten_ = false;  // a change inside the text: the whole text must be made afresh
};
