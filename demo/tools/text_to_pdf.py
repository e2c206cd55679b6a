#!/usr/bin/env python3
"""Typesets a short UTF-8 text as a small PDF: the demo product's manuals and
the setup's help file are made this way at build time.

    text_to_pdf.py SOURCE.txt OUTPUT.pdf

The first line of the source is the title; a line starting with "## " is a
heading; blank lines separate paragraphs, which are wrapped to the page.
The PDF uses the standard Helvetica fonts with WinAnsiEncoding (characters
outside Windows-1252 become "?"), carries no dates, and so comes out the same
on every build.
"""
import sys
import textwrap

PAGE_WIDTH, PAGE_HEIGHT = 595, 842  # A4 in points
MARGIN = 72
BODY_SIZE, HEADING_SIZE, TITLE_SIZE = 11, 14, 22
LEADING = 15
WRAP_COLUMNS = 82  # what fits between the margins at the body size


def pdf_string(text):
    data = text.encode("cp1252", errors="replace")
    escaped = data.replace(b"\\", b"\\\\").replace(b"(", b"\\(").replace(b")", b"\\)")
    return b"(" + escaped + b")"


def layout(source_lines):
    """Lines of (font, size, text), with None as a page break where a page is full."""
    title, body = source_lines[0].strip(), source_lines[1:]
    items = [("F2", TITLE_SIZE, title), ("F1", BODY_SIZE, "")]
    paragraph = []

    def flush():
        if paragraph:
            for line in textwrap.wrap(" ".join(paragraph), WRAP_COLUMNS):
                items.append(("F1", BODY_SIZE, line))
            items.append(("F1", BODY_SIZE, ""))
            paragraph.clear()

    for raw in body:
        line = raw.strip()
        if line.startswith("## "):
            flush()
            items.append(("F2", HEADING_SIZE, line[3:]))
        elif line:
            paragraph.append(line)
        else:
            flush()
    flush()
    return title, items


def page_streams(items):
    lines_per_page = (PAGE_HEIGHT - 2 * MARGIN) // LEADING
    pages = [items[i:i + lines_per_page] for i in range(0, len(items), lines_per_page)]
    for page in pages:
        out = [b"BT", b"%d TL" % LEADING, b"%d %d Td" % (MARGIN, PAGE_HEIGHT - MARGIN)]
        for font, size, text in page:
            out.append(b"/%s %d Tf %s '" % (font.encode(), size, pdf_string(text)))
        out.append(b"ET")
        yield b"\n".join(out) + b"\n"


def build_pdf(title, items):
    objects = []  # bodies of objects 1, 2, ...

    def add(body):
        objects.append(body)
        return len(objects)

    catalog = add(None)  # filled in once the page tree's number is known
    pages = add(None)
    helvetica = add(b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>")
    bold = add(b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>")
    info = add(b"<< /Title %s /Producer (Zantivo demo build) >>" % pdf_string(title))
    kids = []
    for stream in page_streams(items):
        content = add(b"<< /Length %d >>\nstream\n%sendstream" % (len(stream), stream))
        kids.append(add(b"<< /Type /Page /Parent %d 0 R /MediaBox [0 0 %d %d] "
                        b"/Resources << /Font << /F1 %d 0 R /F2 %d 0 R >> >> /Contents %d 0 R >>"
                        % (pages, PAGE_WIDTH, PAGE_HEIGHT, helvetica, bold, content)))
    objects[catalog - 1] = b"<< /Type /Catalog /Pages %d 0 R >>" % pages
    objects[pages - 1] = b"<< /Type /Pages /Kids [%s] /Count %d >>" % (
        b" ".join(b"%d 0 R" % k for k in kids), len(kids))

    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = []
    for number, body in enumerate(objects, start=1):
        offsets.append(len(out))
        out += b"%d 0 obj\n%s\nendobj\n" % (number, body)
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d /Root %d 0 R /Info %d 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (
        len(objects) + 1, catalog, info, xref)
    return bytes(out)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: text_to_pdf.py SOURCE.txt OUTPUT.pdf")
    with open(sys.argv[1], encoding="utf-8") as source:
        lines = source.read().splitlines()
    if not lines:
        sys.exit("text_to_pdf.py: %s is empty" % sys.argv[1])
    title, items = layout(lines)
    with open(sys.argv[2], "wb") as output:
        output.write(build_pdf(title, items))


if __name__ == "__main__":
    main()
