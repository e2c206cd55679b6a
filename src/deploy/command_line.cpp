#include "deploy/command_line.h"

#include <windows.h>

namespace {

struct TSwitch {
    const wchar_t* name;
    bool takesValue;
};

constexpr TSwitch kSwitches[] = {
    {L"S", false},         {L"VERYSILENT", false}, {L"QUIET", false},     {L"SILENT", false},
    {L"PASSIVE", false},   {L"D", true},           {L"DIR", true},        {L"LANG", true},
    {L"LOG", true},        {L"NORESTART", false},  {L"SUPPRESSMSGBOXES", false},
    {L"ALLUSERS", false},  {L"?", false},          {L"HELP", false},
};

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

bool SameName(const std::wstring& a, const wchar_t* b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b, -1, TRUE) == CSTR_EQUAL;
}

const TSwitch* FindSwitch(const std::wstring& name) {
    for (const TSwitch& known : kSwitches)
        if (SameName(name, known.name)) return &known;
    return nullptr;
}

// Whether a known switch begins at position i (after its "-" or "/"): its
// name followed by the end, a blank, or "=" when it takes a value.
bool KnownSwitchAt(const std::wstring& line, size_t i) {
    size_t end = i;
    while (end < line.size() && !IsBlank(line[end]) && line[end] != L'=') ++end;
    const TSwitch* known = FindSwitch(line.substr(i, end - i));
    if (!known) return false;
    const bool hasValue = end < line.size() && line[end] == L'=';
    return hasValue == known->takesValue;
}

// Where NSIS's "/D=" value ends: before the blanks that precede a later
// switch. "/" cannot begin a part of a Windows path after a blank (no
// folder name ends in a blank), so any " /" ends it; " -" only before a
// switch's name, since folder names may hold " -".
size_t EndOfRestOfLine(const std::wstring& line, size_t from) {
    for (size_t i = from; i < line.size(); ++i) {
        if (!IsBlank(line[i])) continue;
        size_t next = i;
        while (next < line.size() && IsBlank(line[next])) ++next;
        if (next < line.size() && (line[next] == L'/' || (line[next] == L'-' && KnownSwitchAt(line, next + 1))))
            return i;
        i = next - 1;
    }
    return line.size();
}

std::wstring TrimBlanks(const std::wstring& text) {
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

// One argument: up to a blank outside quotes; the quotes are removed.
std::wstring ReadArgument(const std::wstring& line, size_t& i) {
    std::wstring argument;
    bool quoted = false;
    for (; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
        if (line[i] == L'"') quoted = !quoted;
        else argument += line[i];
    }
    return argument;
}

void Apply(TCommandLine& result, const std::wstring& argument) {
    auto fail = [&](const std::wstring& why) {
        if (result.error.empty()) result.error = why;
    };
    if (argument.size() < 2 || (argument[0] != L'/' && argument[0] != L'-')) {
        fail(L"\"" + argument + L"\" is not a switch");
        return;
    }
    const size_t equals = argument.find(L'=');
    const std::wstring name = argument.substr(1, equals == std::wstring::npos ? std::wstring::npos : equals - 1);
    const TSwitch* known = FindSwitch(name);
    if (!known) return fail(L"unknown switch \"" + argument + L"\"");
    if (known->takesValue != (equals != std::wstring::npos))
        return fail(known->takesValue ? L"the switch \"" + argument + L"\" needs a value (" + argument + L"=...)"
                                      : L"the switch \"" + argument.substr(0, equals) + L"\" takes no value");
    const std::wstring value = equals == std::wstring::npos ? L"" : argument.substr(equals + 1);
    if (known->takesValue && value.empty()) return fail(L"the switch \"" + argument + L"\" has an empty value");

    const std::wstring key = known->name;
    if (key == L"S" || key == L"VERYSILENT" || key == L"QUIET") result.mode = TInstallMode::Silent;
    else if (key == L"SILENT" || key == L"PASSIVE") {
        if (result.mode == TInstallMode::Wizard) result.mode = TInstallMode::Passive;
    } else if (key == L"D" || key == L"DIR") result.destination = value;
    else if (key == L"LANG") result.language = value;
    else if (key == L"LOG") result.logFile = value;
    else if (key == L"ALLUSERS") result.allUsers = true;
    else if (key == L"?" || key == L"HELP") result.help = true;
    // NORESTART and SUPPRESSMSGBOXES ask for what Setup always does.
}

}  // namespace

TCommandLine ParseCommandLine(const std::wstring& line) {
    TCommandLine result;
    // The program's name: quoted up to the next quote, else up to a blank.
    size_t i = 0;
    if (!line.empty() && line[0] == L'"') {
        i = line.find(L'"', 1);
        i = i == std::wstring::npos ? line.size() : i + 1;
    }
    while (i < line.size() && !IsBlank(line[i])) ++i;
    result.arguments = TrimBlanks(line.substr(i));

    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size()) break;
        const bool restOfLine = line.size() - i > 3 && (line[i] == L'/' || line[i] == L'-') &&
                                (line[i + 1] == L'D' || line[i + 1] == L'd') && line[i + 2] == L'=';
        if (restOfLine) {
            const size_t end = EndOfRestOfLine(line, i + 3);
            std::wstring folder = TrimBlanks(line.substr(i + 3, end - i - 3));
            // Quotes round the whole folder are forgiven.
            if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
                folder = folder.substr(1, folder.size() - 2);
            Apply(result, L"/D=" + folder);
            i = end;
            continue;
        }
        Apply(result, ReadArgument(line, i));
    }
    return result;
}

std::wstring UsageText() {
    return L"Usage: Setup.exe [switches]\r\n"
           L"Without switches Setup starts its wizard. Switches begin with / or - and are not case-sensitive.\r\n"
           L"\r\n"
           L"/S, /VERYSILENT or /quiet: install with no window and no message box.\r\n"
           L"/SILENT or /passive: show only the installing page with its bar, ask nothing, close at the end.\r\n"
           L"/DIR=\"folder\": install into that folder (else the folder the wizard proposes).\r\n"
           L"/D=folder: the same, last on the line, without quotes, spaces allowed.\r\n"
           L"/LANG=abbreviation: the language, such as EN or DE (else the wizard's choice).\r\n"
           L"/LOG=\"file\": write a log of the installation (UTF-8) to that file.\r\n"
           L"/ALLUSERS: put the shortcuts into the Start menu and desktop of every user.\r\n"
           L"/NORESTART, /SUPPRESSMSGBOXES: accepted; Setup never restarts the machine, and the silent modes "
           L"never show a box.\r\n"
           L"/? or /help: this text.\r\n"
           L"\r\n"
           L"Exit codes: 0 installed, 1602 cancelled, 1603 failed, 1618 another installation is running, "
           L"1639 invalid command line.";
}
