#!/usr/bin/env python3
"""Stages the demo setup folder with demo/make-demo-folder.sh and checks what
a setup folder must hold: the language files (every message and form text in
every language, in the encodings the localisers ship), the payload Setup.dat
(the product tree, encrypted with the payload password, byte for byte), the
welcome picture, the lists and the help file; that staging again changes
nothing; and the alternate-name variant.

    check_demo_folder.py DEMO_SOURCE_DIR SETUP_EXE
"""
import configparser
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

DEMO, SETUP_EXE = (os.path.abspath(arg) for arg in sys.argv[1:3])
BUILD = os.path.dirname(SETUP_EXE)
PRODUCT = os.path.join(BUILD, "demo-product")
PASSWORD = b"417263"
LANGUAGES = ["EN", "DE", "CN"]
BARCODE = "bin/PegasusImaging.ActiveX.BarcodeXpress5.dll"

# Messages that the setup formats with the product name (or, for 00000_00019, a path).
FORMATTED = {1, 2, 3, 4, 6, 7, 8, 9, 15, 19, 25, 26, 27}
# The wizard form's controls whose class takes a text from the language files,
# and which of them show a fixed text that no message replaces.
BUTTONS_BY_PAGE = [
    ["ButtonPrior1", "ButtonNext1", "ButtonCancel1"],
    ["ButtonPrior2", "ButtonNext2", "ButtonCancel2", "ButtonChgDir"],
    ["ButtonPrior3", "ButtonNext3", "ButtonCancel3"],
    ["ButtonPrior4", "ButtonNext4", "ButtonCancel4"],
    ["ButtonFinish", "CheckBox1"],
]
FIXED_TEXTS = {"Caption", "lbl1"} | {"Label%d" % n for n in range(2, 12)} | {
    name for page in BUTTONS_BY_PAGE for name in page}
TEXT_CONTROLS = FIXED_TEXTS | {
    "Label1", "LabelDir", "Labelinstall", "LabelInstall2", "LabelCompanyAll1", "LabelCompanyAll2",
    "Memo1", "Memo2", "MemoInstall", "MemoInfo", "cbLanage", "Image1", "Image2", "ImageDir",
    "TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5"}


def decode(data):
    if data.startswith(b"\xff\xfe"):
        return data[2:].decode("utf-16-le")
    return data.decode("cp1252")


def read_ini(path):
    parser = configparser.ConfigParser(interpolation=None, strict=False, delimiters=("=",),
                                       comment_prefixes=(";",), empty_lines_in_values=False)
    parser.optionxform = str
    with open(path, "rb") as file:
        parser.read_string(decode(file.read()))
    return parser


def stage(dest, *options):
    subprocess.run([os.path.join(DEMO, "make-demo-folder.sh"), *options, SETUP_EXE, dest], check=True,
                   stderr=subprocess.DEVNULL)


def product_files():
    names = set()
    for folder, dirs, files in os.walk(PRODUCT):
        relative = os.path.relpath(folder, PRODUCT).replace(os.sep, "/")
        prefix = "" if relative == "." else relative + "/"
        names |= {prefix + d + "/" for d in dirs}
        names |= {prefix + f for f in files if not f.endswith((".a", ".lib", ".exp"))}
    return names


def times(folder):
    return {os.path.join(root, f): os.stat(os.path.join(root, f)).st_mtime_ns
            for root, _, files in os.walk(folder) for f in files}


class DemoFolderTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="demo-folder-")
        cls.dest = os.path.join(cls.work, "setup")
        stage(cls.dest)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work)

    def path(self, *parts):
        return os.path.join(self.dest, *parts)

    def test_catalogue_offers_three_languages_and_starts_in_english(self):
        with open(self.path("lang", "Language.ini"), "rb") as file:
            self.assertTrue(file.read().startswith(b"\xff\xfe"), "the Chinese names need UTF-16LE")
        catalogue = read_ini(self.path("lang", "Language.ini"))
        self.assertEqual(catalogue["System"]["LanguageList"].split("||"), LANGUAGES)
        for abbreviation in LANGUAGES:
            self.assertEqual(len(catalogue["System"][abbreviation].split("||")), 3, abbreviation)
            self.assertTrue(os.path.isfile(self.path("lang", "Res%s.ini" % abbreviation)))
        self.assertEqual(catalogue["Abbreviate"]["2057"], "EN")
        self.assertNotIn("1042", catalogue["Abbreviate"])

    def test_every_language_has_every_message(self):
        for abbreviation in LANGUAGES:
            with open(self.path("lang", "Res%s.ini" % abbreviation), "rb") as file:
                has_mark = file.read(2) == b"\xff\xfe"
            self.assertEqual(has_mark, abbreviation != "EN", "encoding of Res%s.ini" % abbreviation)
            messages = read_ini(self.path("lang", "Res%s.ini" % abbreviation))["Res"]
            for number in range(1, 28):
                key = "00000_%05d" % number
                self.assertIn(key, messages, abbreviation)
                text = messages[key]
                where = "%s %s: %r" % (abbreviation, key, text)
                if number == 23:
                    self.assertEqual(text, "", where)
                    continue
                self.assertTrue(text.strip(), where)
                if number in FORMATTED:
                    self.assertEqual((text.count("%s"), text.count("%")), (1, 1), where)
                else:
                    self.assertNotIn("%", text, where)

    def test_every_form_text_exists_in_every_language(self):
        form_res = read_ini(self.path("lang", "FormRes.ini"))
        self.assertEqual(form_res.sections(), ["Form1"])
        ids = dict(form_res["Form1"])
        self.assertEqual(set(ids) - TEXT_CONTROLS, set(), "names that are no text control of the form")
        self.assertEqual(FIXED_TEXTS - set(ids), set(), "fixed texts without a text id")
        for abbreviation in LANGUAGES:
            texts = read_ini(self.path("lang", "Res%s.ini" % abbreviation))["FormRes"]
            for control, text_id in ids.items():
                self.assertTrue(texts.get(text_id, "").strip(), "%s: %s (%s)" % (abbreviation, control, text_id))
            self.assertEqual(set(texts) - set(ids.values()), set(), "%s: unused form texts" % abbreviation)
            for page in BUTTONS_BY_PAGE:
                keys = [texts[ids[name]].split("&")[1][0].lower() for name in page if "&" in texts[ids[name]]]
                self.assertEqual(len(keys), len(set(keys)), "%s: accelerators of %s" % (abbreviation, page))

    def test_welcome_picture(self):
        size = subprocess.run(["identify", "-format", "%m %wx%h", self.path("lang", "setup.jpg")],
                              capture_output=True, text=True, check=True).stdout
        self.assertEqual(size, "JPEG 201x348")

    def test_payload_is_the_product_encrypted_with_the_password(self):
        with zipfile.ZipFile(self.path("Setup.dat")) as archive:
            names = set(archive.namelist())
            self.assertEqual(names, product_files())
            required = {"Zantivo.exe", "UnInstall.exe", "System.ini", "defaults.dprepo", "bin/", "bin/borlndmm.dll",
                        "lang/", "lang/Language.ini", "lang/ZantivoEN.pdf", "lang/ZantivoDE.pdf"}
            required |= {"lang/Res%s.ini" % a for a in LANGUAGES}
            self.assertEqual(names - {BARCODE}, required)
            for info in archive.infolist():
                if info.is_dir():
                    continue
                self.assertTrue(info.flag_bits & 1, "%s is not encrypted" % info.filename)
                with open(os.path.join(PRODUCT, info.filename), "rb") as original:
                    self.assertEqual(archive.read(info, pwd=PASSWORD), original.read(), info.filename)
            with self.assertRaises(RuntimeError):
                archive.read("System.ini", pwd=b"000000")

    def test_product_language_files_carry_the_keys_rebranding_rewrites(self):
        for abbreviation in LANGUAGES:
            texts = read_ini(os.path.join(PRODUCT, "lang", "Res%s.ini" % abbreviation))
            for section, key in [("Res", "00000_00000"), ("Res", "00000_00001"), ("FormRes", "00000000001")]:
                self.assertEqual(texts[section][key], "Zantivo", abbreviation)
            self.assertIn("Qorvix", texts["FormRes"]["00000000396"], abbreviation)
        catalogue = read_ini(os.path.join(PRODUCT, "lang", "Language.ini"))
        self.assertEqual(catalogue["System"]["LanguageList"].split("||"), LANGUAGES)

    def test_manuals_and_help_file_are_readable_pdfs(self):
        documents = {os.path.join(PRODUCT, "lang", "ZantivoEN.pdf"): "Zantivo User Manual",
                     os.path.join(PRODUCT, "lang", "ZantivoDE.pdf"): "Zantivo Benutzerhandbuch",
                     self.path("docs", "QuickStart.pdf"): "Zantivo Quick Start"}
        for document, title in documents.items():
            text = subprocess.run(["pdftotext", document, "-"], capture_output=True, text=True, check=True).stdout
            self.assertEqual(text.splitlines()[0], title, document)
        self.assertIn("Schlüsselwörter", subprocess.run(
            ["pdftotext", os.path.join(PRODUCT, "lang", "ZantivoDE.pdf"), "-"],
            capture_output=True, text=True, check=True).stdout)

    def test_lists_name_files_of_the_setup_folder(self):
        with open(self.path("SoftwareList.dat"), "rb") as file:
            installers = decode(file.read()).splitlines()
        self.assertEqual(installers, ["Drivers\\ScanDriverSetup.exe"])
        self.assertTrue(os.path.isfile(self.path(*installers[0].split("\\"))))
        help_file = read_ini(self.path("Config.ini"))["HelpFile"]["HelpFileName_1"]
        self.assertTrue(os.path.isfile(self.path(*help_file.split("\\"))), help_file)
        with open(self.path("BatchName.dat"), "rb") as file:
            batches = file.read()
        self.assertTrue(batches.startswith(b"\xff\xfe"))
        self.assertEqual(decode(batches).splitlines(), ["Invoices", "Letters", "Receipts"])
        self.assertTrue(os.path.isfile(self.path("Setup.exe")))

    def test_staging_again_changes_nothing(self):
        before = times(self.dest)
        stage(self.dest)
        self.assertEqual(times(self.dest), before)

    def test_alternate_name_variant(self):
        variant = os.path.join(self.work, "viewer")
        stage(variant, "--product-name", "Viewer", "--start-language", "DE")
        for abbreviation in LANGUAGES:
            name = "Res%s.ini" % abbreviation
            with open(os.path.join(DEMO, "lang", name), "rb") as file:
                source = file.read()
            with open(os.path.join(variant, "lang", name), "rb") as file:
                staged = file.read()
            self.assertEqual(staged[:2] == b"\xff\xfe", source[:2] == b"\xff\xfe", name)
            changed = [(a, b) for a, b in zip(decode(source).splitlines(), decode(staged).splitlines()) if a != b]
            self.assertEqual(changed, [("00000_00023=", "00000_00023=Viewer")], name)
        self.assertEqual(read_ini(os.path.join(variant, "lang", "Language.ini"))["Abbreviate"]["2057"], "DE")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
