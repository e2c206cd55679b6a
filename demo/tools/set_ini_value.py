#!/usr/bin/env python3
"""Sets one value of an INI file the way the Windows profile functions would
leave it, keeping the file's encoding and line ends:

    set_ini_value.py FILE SECTION KEY VALUE [OUTPUT]

A file with the mark FF FE stays UTF-16LE, one with EF BB BF stays UTF-8;
any other file is treated byte for byte (Latin-1 in, Latin-1 out), so 8-bit
text in any code page passes through unchanged. Section and key names match
without regard to case. A missing key is added at the end of its section, a
missing section at the end of the file. Writes OUTPUT, or FILE itself.
"""
import sys

ENCODINGS = ((b"\xff\xfe", "utf-16-le"), (b"\xef\xbb\xbf", "utf-8"))


def decode(data):
    for mark, encoding in ENCODINGS:
        if data.startswith(mark):
            return mark, encoding, data[len(mark):].decode(encoding)
    return b"", "latin-1", data.decode("latin-1")


def section_name(line):
    stripped = line.strip()
    if stripped.startswith("[") and "]" in stripped:
        return stripped[1:stripped.index("]")].strip()
    return None


def set_value(lines, section, key, value):
    wanted_section, wanted_key = section.lower(), key.lower()
    current = None
    section_end = None  # index after the last non-blank line of the wanted section
    for i, line in enumerate(lines):
        name = section_name(line)
        if name is not None:
            current = name.lower()
            if current == wanted_section:
                section_end = i + 1
            continue
        if current != wanted_section:
            continue
        if "=" in line and line.split("=", 1)[0].strip().lower() == wanted_key:
            lines[i] = "%s=%s" % (key, value)
            return lines
        if line.strip():
            section_end = i + 1
    if section_end is None:
        if lines and lines[-1].strip():
            lines.append("")
        lines += ["[%s]" % section, "%s=%s" % (key, value)]
    else:
        lines.insert(section_end, "%s=%s" % (key, value))
    return lines


def main():
    if len(sys.argv) not in (5, 6):
        sys.exit("usage: set_ini_value.py FILE SECTION KEY VALUE [OUTPUT]")
    path, section, key, value = sys.argv[1:5]
    output = sys.argv[5] if len(sys.argv) == 6 else path
    with open(path, "rb") as source:
        mark, encoding, text = decode(source.read())
    newline = "\r\n" if "\r\n" in text else "\n"
    lines = text.split(newline)
    if lines and lines[-1] == "":
        lines.pop()  # the final line break
    text = newline.join(set_value(lines, section, key, value)) + newline
    with open(output, "wb") as target:
        target.write(mark + text.encode(encoding))


if __name__ == "__main__":
    main()
