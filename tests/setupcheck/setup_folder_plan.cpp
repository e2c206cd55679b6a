#include "setupcheck/setup_folder_plan.h"

#include "unzip/unzip_test_support.h"

TIniPlan& TIniPlan::Set(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    for (auto& [name, keys] : sections_) {
        if (name != section) continue;
        for (auto& entry : keys)
            if (entry.first == key) {
                entry.second = value;
                return *this;
            }
        keys.emplace_back(key, value);
        return *this;
    }
    sections_.push_back({section, {{key, value}}});
    return *this;
}

TIniPlan& TIniPlan::Remove(const std::wstring& section, const std::wstring& key) {
    for (auto& [name, keys] : sections_)
        if (name == section) std::erase_if(keys, [&](const auto& entry) { return entry.first == key; });
    return *this;
}

std::wstring TIniPlan::Text() const {
    std::wstring text;
    for (const auto& [name, keys] : sections_) {
        text += L"[" + name + L"]\r\n";
        for (const auto& [key, value] : keys) text += key + L"=" + value + L"\r\n";
    }
    return text;
}

std::string Encode(const std::wstring& text, TEncoding encoding) {
    std::string bytes;
    auto unit16 = [&](unsigned u, bool big) {
        bytes += static_cast<char>(big ? u >> 8 : u & 0xFF);
        bytes += static_cast<char>(big ? u & 0xFF : u >> 8);
    };
    switch (encoding) {
    case TEncoding::Ansi:
        for (wchar_t c : text) bytes += static_cast<char>(c);
        break;
    case TEncoding::Utf16Le:
    case TEncoding::Utf16Be: {
        const bool big = encoding == TEncoding::Utf16Be;
        unit16(0xFEFF, big);
        for (wchar_t c : text) unit16(static_cast<unsigned>(c), big);  // the tests' texts lie in the BMP
        break;
    }
    case TEncoding::Utf8WithMark:
        bytes = "\xEF\xBB\xBF";
        [[fallthrough]];
    case TEncoding::Utf8WithoutMark:
        for (wchar_t c : text) {
            const auto u = static_cast<unsigned>(c);
            if (u < 0x80) {
                bytes += static_cast<char>(u);
            } else if (u < 0x800) {
                bytes += static_cast<char>(0xC0 | (u >> 6));
                bytes += static_cast<char>(0x80 | (u & 0x3F));
            } else {
                bytes += static_cast<char>(0xE0 | (u >> 12));
                bytes += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
                bytes += static_cast<char>(0x80 | (u & 0x3F));
            }
        }
        break;
    }
    return bytes;
}

CraftedEntry& TSetupPlan::Entry(const std::string& name) {
    for (CraftedEntry& entry : payload)
        if (entry.name == name) return entry;
    throw std::out_of_range("no payload entry " + name);
}

void TSetupPlan::Write(const std::filesystem::path& folder) const {
    std::filesystem::create_directories(folder);
    for (const auto& [path, plan] : inis) WriteFile(folder / path, Encode(plan.ini.Text(), plan.encoding));
    for (const auto& [path, bytes] : files) WriteFile(folder / path, bytes);
    if (!payload.empty() && !files.count("Setup.dat")) WriteFile(folder / "Setup.dat", BuildArchive(payload));
}

namespace {

TIniPlan MessageTexts(const std::vector<std::wstring>& texts) {
    TIniPlan ini;
    for (size_t i = 0; i < texts.size(); ++i) {
        std::wstring id = std::to_wstring(i + 1);
        ini.Set(L"Res", L"00000_" + std::wstring(5 - id.size(), L'0') + id, texts[i]);
    }
    return ini;
}

CraftedEntry Encrypted(const std::string& name, const std::string& data) {
    CraftedEntry entry;
    entry.name = name;
    entry.data = data;
    entry.password = kPayloadPassword;
    return entry;
}

}  // namespace

TSetupPlan GoodSetup() {
    TSetupPlan plan;
    TIniPlan catalogue;
    catalogue.Set(L"System", L"LanguageList", L"EN||DE")
        .Set(L"System", L"Languare", L"0")
        .Set(L"System", L"EN", L"English||German")
        .Set(L"System", L"DE", L"Englisch||Deutsch")
        .Set(L"Abbreviate", L"2057", L"EN");
    plan.inis["lang/Language.ini"] = {catalogue, TEncoding::Ansi};

    TIniPlan english = MessageTexts({
        L"%s Setup", L"%s Setup Wizard", L"Welcome to the %s Setup Wizard", L"This wizard installs %s.",
        L"Click Next to continue.", L"Setup installs %s in this folder.", L"%s is installed.", L"Installing %s",
        L"Please wait while %s is installed.", L"The folder cannot be made.", L"Setup is ready to install.",
        L"Click Install to begin.", L"Destination folder:", L"Choose a folder", L"Cancel the installation of %s?",
        L"Shortcut", L"Setup.dat is missing.", L"Setup", L"Installing %s", L"This file cannot be written:",
        L"Try again?", L"User manual", L"", L"Quendral", L"Drive %s is too full.", L"Needed: %s", L"Free: %s",
        L"Undoing: %s", L"Undone."});
    english.Set(L"FormRes", L"00000000101", L"&Next >")
        .Set(L"FormRes", L"00000000102", L"Cancel")
        .Set(L"FormRes", L"00000000103", L"Completed")
        .Set(L"FormRes", L"00000000104", L"Start the program");
    plan.inis["lang/ResEN.ini"] = {english, TEncoding::Utf16Le};

    TIniPlan german = MessageTexts({
        L"%s-Installation", L"%s-Installations-Assistent", L"Willkommen beim %s-Installations-Assistenten",
        L"Dieser Assistent installiert %s.", L"Klicken Sie auf \u201eWeiter\u201c.", L"%s wird in diesen Ordner installiert.",
        L"%s ist installiert.", L"%s wird installiert", L"Bitte warten Sie, w\u00e4hrend %s installiert wird.",
        L"Der Ordner kann nicht angelegt werden.", L"Bereit zur Installation.", L"Klicken Sie auf Installieren.",
        L"Zielordner:", L"Ordner w\u00e4hlen", L"Installation von %s abbrechen?", L"Verkn\u00fcpfung",
        L"Setup.dat fehlt.", L"Installation", L"Installiere %s", L"Diese Datei kann nicht geschrieben werden:",
        L"Erneut versuchen?", L"Handbuch", L"", L"Quendral", L"Laufwerk %s ist zu voll.", L"Ben\u00f6tigt: %s",
        L"Frei: %s", L"Wird r\u00fcckg\u00e4ngig gemacht: %s", L"R\u00fcckg\u00e4ngig gemacht."});
    german.Set(L"FormRes", L"00000000101", L"&Weiter >")
        .Set(L"FormRes", L"00000000102", L"Abbrechen")
        .Set(L"FormRes", L"00000000103", L"Fertig")
        .Set(L"FormRes", L"00000000104", L"Programm starten");
    plan.inis["lang/ResDE.ini"] = {german, TEncoding::Utf16Le};

    TIniPlan formTexts;
    formTexts.Set(L"Form1", L"ButtonNext1", L"00000000101")
        .Set(L"Form1", L"ButtonNext2", L"00000000101")
        .Set(L"Form1", L"ButtonCancel1", L"00000000102")
        .Set(L"Form1", L"Label9", L"00000000103")
        .Set(L"Form1", L"CheckBox1", L"00000000104");
    plan.inis["lang/FormRes.ini"] = {formTexts, TEncoding::Ansi};

    plan.payload = {Encrypted("Zantivo.exe", "MZ the product"), Encrypted("UnInstall.exe", "MZ its uninstaller"),
                    Encrypted("lang/ZantivoEN.pdf", "%PDF the manual"), Encrypted("bin/viewer.dll", "MZ a library")};

    plan.files["redist/runtime.exe"] = "MZ a further installer";
    plan.files["SoftwareList.dat"] = Encode(L"redist\\runtime.exe\r\n", TEncoding::Utf16Le);
    plan.files["BatchName.dat"] = "Invoices\r\nLetters\r\n";
    plan.files["docs/guide.pdf"] = "%PDF help";
    TIniPlan config;
    config.Set(L"HelpFile", L"HelpFileName_2", L"docs\\guide.pdf");
    plan.inis["Config.ini"] = {config, TEncoding::Ansi};
    return plan;
}
