#include "checks.h"

#include "localisation/text_format.h"
#include "windows_names.h"

namespace setupcheck {
namespace {

// How the installer uses a message text.
enum class TUse {
    Plain,    // shown as it stands
    Product,  // a format text whose one argument is the product name
    Path,     // a format text whose one argument is the path of the file being installed
    Drive,    // a format text whose one argument is the destination's drive
    Size,     // a format text whose one argument is a size ("203.4 MB")
};

struct TMessage {
    const wchar_t* id;
    TUse use;
    const wchar_t* shownAs;
    // Texts added after the first language files: the installer has an
    // English text of its own for a file that lacks them.
    bool builtIn = false;
};

// Every message text the installer shows, and where.
const TMessage kMessages[] = {
    {L"00000_00001", TUse::Product, L"the application title"},
    {L"00000_00002", TUse::Product, L"the window caption"},
    {L"00000_00003", TUse::Product, L"the welcome heading"},
    {L"00000_00004", TUse::Product, L"the welcome text"},
    {L"00000_00005", TUse::Plain, L"the second part of the welcome text"},
    {L"00000_00006", TUse::Product, L"the text beside the folder box"},
    {L"00000_00007", TUse::Product, L"the finish page's text"},
    {L"00000_00008", TUse::Product, L"the installing page's heading"},
    {L"00000_00009", TUse::Product, L"the installing page's text"},
    {L"00000_00010", TUse::Plain, L"the error for a destination folder that cannot be made"},
    {L"00000_00011", TUse::Plain, L"the summary's first paragraph"},
    {L"00000_00012", TUse::Plain, L"the summary's second paragraph"},
    {L"00000_00013", TUse::Plain, L"the summary's third paragraph"},
    {L"00000_00014", TUse::Plain, L"the folder dialog's prompt"},
    {L"00000_00015", TUse::Product, L"the Cancel question"},
    {L"00000_00016", TUse::Plain, L"the name of a shortcut without target"},
    {L"00000_00017", TUse::Plain, L"the box for a missing Setup.dat"},
    {L"00000_00018", TUse::Plain, L"the caption of the box for a missing Setup.dat"},
    {L"00000_00019", TUse::Path, L"the status line while files are installed"},
    {L"00000_00020", TUse::Plain, L"the first line of the retry question"},
    {L"00000_00021", TUse::Plain, L"the last line of the retry question"},
    {L"00000_00022", TUse::Plain, L"the name of the manual's shortcut"},
    {L"00000_00023", TUse::Plain, L"the alternate product name"},
    {L"00000_00024", TUse::Plain, L"the company label"},
    {L"00000_00025", TUse::Drive, L"the box for a drive without room for the payload", true},
    {L"00000_00026", TUse::Size, L"the room needed in that box", true},
    {L"00000_00027", TUse::Size, L"the room free in that box", true},
    {L"00000_00028", TUse::Path, L"the status line while an installation is undone", true},
    {L"00000_00029", TUse::Plain, L"the status line once an installation is undone", true},
};

std::wstring ArgumentName(TUse use) {
    switch (use) {
    case TUse::Product: return L"the product name";
    case TUse::Path: return L"the file's path";
    case TUse::Drive: return L"the drive";
    case TUse::Size: return L"the size";
    case TUse::Plain: break;
    }
    return L"";
}

// The alternate product name may be empty: the installer then uses its own.
const std::wstring kProductNameId = L"00000_00023";

void CheckFormat(TCheckContext& c, const TPlace& place, const TMessage& message, const std::wstring& text) {
    std::vector<TFormatPart> parts;
    try {
        parts = ParseFormat(text);
    } catch (const EConvertError& error) {
        // A plain text is never formatted, so no format can fail in it.
        if (message.use != TUse::Plain)
            c.findings.Error(place, L"is not a format for one text argument, so " + std::wstring(message.shownAs) +
                                        L" ends in the error \"" + error.Message() + L"\"");
        return;
    }
    size_t placeholders = 0;
    std::wstring literal;
    for (const TFormatPart& part : parts) {
        if (part.placeholder) ++placeholders;
        else literal += part.literal;
    }
    if (message.use == TUse::Plain) {
        if (placeholders > 0 || literal != text)
            c.findings.Warning(place, L"is shown as it stands, not formatted, so its \"%\" placeholders show as typed");
        return;
    }
    const std::wstring argument = ArgumentName(message.use);
    if (placeholders == 0)
        c.findings.Warning(place, L"has no \"%s\": " + argument + L" does not appear in " + message.shownAs);
    else if (placeholders > 1)
        c.findings.Warning(place, L"has " + std::to_wstring(placeholders) + L" placeholders: " + argument +
                                      L" appears in " + message.shownAs + L" that many times");
}

// The alternate product name becomes the program's file name, a registry key
// and the names of links, and passes through the ANSI code page on the way.
void CheckProductName(TCheckContext& c, const TPlace& place, const std::wstring& name) {
    const std::wstring uses = L"it becomes " + name + L".exe, the key Software\\" + name + L" and the links' names";
    const std::wstring problem = WindowsNameProblem(name);
    if (!problem.empty())
        c.findings.Error(place, L"the alternate product name \"" + name + L"\" cannot be a file name: " + problem +
                                    L", and " + uses);
    else if (!FitsCodePage(c.codePage, name))
        c.findings.Error(place, L"the alternate product name \"" + name + L"\" holds characters that code page " +
                                    std::to_wstring(c.codePage) + L" cannot carry, and " + uses +
                                    L" through that code page");
}

}  // namespace

void CheckMessageTexts(TCheckContext& c, std::vector<TLanguage>& languages) {
    for (TLanguage& language : languages) {
        if (language.textFile.empty()) continue;
        language.texts = OpenSetupIni(c, {language.textFile, L"", L"", language.abbreviation},
                                      L"is missing: the wizard drops language " + language.abbreviation +
                                          L" and falls back to another one");
        if (!language.texts) continue;
        for (const TMessage& message : kMessages) {
            const TPlace place{language.textFile, L"Res", message.id, language.abbreviation};
            const std::optional<std::wstring> text = language.texts->Read(L"Res", message.id);
            if (message.id == kProductNameId) {
                if (text && !text->empty()) CheckProductName(c, place, *text);
            } else if ((!text || text->empty()) && message.builtIn) {
                c.findings.Warning(place, std::wstring(text ? L"is empty: " : L"is missing: ") + message.shownAs +
                                              L" shows the installer's English text");
            } else if (!text) {
                c.findings.Error(place, L"is missing: " + std::wstring(message.shownAs) + L" shows nothing");
            } else if (text->empty()) {
                c.findings.Error(place, L"is empty: " + std::wstring(message.shownAs) + L" shows nothing");
            } else {
                CheckFormat(c, place, message, *text);
            }
        }
    }
}

}  // namespace setupcheck
