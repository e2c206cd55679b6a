#!/usr/bin/env python3
"""Builds, deterministically, a realistic payload tree: about 200 MB in about
3,000 files (small text, INI and XML files, icons, compressible binaries,
incompressible media, a few files of 20 to 40 MB); with --small, 3,000 text
files of 1 to 4 KiB in 60 folders instead, where the cost of each file, not
of its bytes, sets the pace.
    make_payload.py ROOT [--small]"""
import os
import random
import sys

root = sys.argv[1]
small = '--small' in sys.argv[2:]
rng = random.Random(417263)
WORDS = ('scan page folder barcode index batch setup zantivo document archive image text '
         'invoice letter customer record value option language system path file').split()


def text(n):
    out, size = [], 0
    while size < n:
        line = ' '.join(rng.choice(WORDS) for _ in range(rng.randint(4, 14))) + '\r\n'
        out.append(line)
        size += len(line)
    return ''.join(out)[:n].encode()


def ini(n):
    out = []
    for s in range(max(1, n // 400)):
        out.append('[Section%d]\r\n' % s)
        for k in range(rng.randint(3, 12)):
            out.append('%s%d=%s\r\n' % (rng.choice(WORDS).capitalize(), k, rng.choice(WORDS)))
    return ''.join(out).encode()[:n]


def xml(n):
    out = ['<?xml version="1.0" encoding="utf-8"?>\n<items>\n']
    size = 40
    i = 0
    while size < n:
        line = '  <item id="%d" name="%s" value="%d"/>\n' % (i, rng.choice(WORDS), rng.randint(0, 99999))
        out.append(line)
        size += len(line)
        i += 1
    out.append('</items>\n')
    return ''.join(out).encode()


def icon(n):
    # Palette images: runs of few byte values.
    palette = bytes(rng.randrange(256) for _ in range(8))
    out = bytearray()
    while len(out) < n:
        out += bytes([rng.choice(palette)]) * rng.randint(1, 40)
    return bytes(out[:n])


def binary(n):
    # Code-like data: a vocabulary of instruction-sized chunks with noise.
    vocab = [rng.randbytes(rng.randint(2, 8)) for _ in range(600)]
    out = bytearray()
    while len(out) < n:
        out += rng.choice(vocab)
        if rng.random() < 0.15:
            out += rng.randbytes(rng.randint(1, 4))
    return bytes(out[:n])


def media(n):
    return rng.randbytes(n)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


total = 0
count = 0
if small:
    for folder in range(60):
        base = os.path.join(root, 'Program%02d' % folder, rng.choice(WORDS))
        for i in range(50):
            n = rng.randint(1024, 4096)
            write(os.path.join(base, '%s%03d.txt' % (rng.choice(WORDS), i)), text(n))
            total += n
            count += 1
kinds = [('txt', text, 200, 40000), ('ini', ini, 100, 6000), ('xml', xml, 500, 70000),
         ('ico', icon, 300, 20000), ('dll', binary, 10000, 200000), ('jpg', media, 10000, 160000)]
weights = [30, 20, 15, 15, 12, 8]
for folder in range(0 if small else 60):
    base = os.path.join(root, 'Program%02d' % folder, rng.choice(WORDS))
    for i in range(50):
        ext, make, low, high = rng.choices(kinds, weights)[0]
        n = rng.randint(low, high)
        write(os.path.join(base, '%s%03d.%s' % (rng.choice(WORDS), i, ext)), make(n))
        total += n
        count += 1
large = [] if small else [(binary, 36 << 20), (media, 24 << 20), (text, 22 << 20), (binary, 20 << 20)]
for i, (make, n) in enumerate(large):
    write(os.path.join(root, 'Large', 'large%d.%s' % (i, 'bin')), make(n))
    total += n
    count += 1
# Like every product tree, a language catalogue, which the installer records
# the chosen language in.
language = b'[System]\r\nLanguageList=EN||DE\r\nLanguare=0\r\nEN=English||German\r\n'
write(os.path.join(root, 'Lang', 'Language.ini'), language)
total += len(language)
count += 1
print('%d files, %.1f MB' % (count, total / 1e6))
