#!/usr/bin/env bash
# Makes the archives the ZIP component's tests read, with tools no one here
# wrote: Info-ZIP zip and Python's zipfile. Everything is derived from fixed
# seeds, so every run makes the same trees.
#   make_test_archives.sh OUTPUT_DIR
set -euo pipefail
out=$1
rm -rf "$out.tmp" && mkdir -p "$out.tmp"
cd "$out.tmp"

# The tree: text, a binary that does not compress, an empty file, a file of
# many 16000-byte blocks, nested and empty folders.
mkdir -p tree/docs/deep tree/empty-dir tree/bin
python3 - <<'PY'
import random
r = random.Random(20261208)
open('tree/readme.txt', 'w', newline='').write(''.join('line %d of the readme\r\n' % i for i in range(400)))
open('tree/docs/notes.txt', 'w').write('notes\n' * 3)
open('tree/docs/deep/config.ini', 'w').write('[System]\nLanguare=1\n')
open('tree/empty.dat', 'wb').write(b'')
open('tree/bin/random.bin', 'wb').write(bytes(r.getrandbits(8) for _ in range(70000)))
words = ['scan', 'zantivo', 'barcode', 'page', 'folder', 'index', 'batch', 'setup']
big = ' '.join(r.choice(words) for _ in range(120000)).encode()
open('tree/bin/large.txt', 'wb').write(big)
open('tree/bin/stored40000.bin', 'wb').write(bytes(r.getrandbits(8) for _ in range(40000)))
PY
touch -d '2024-03-05 10:20:30' tree/readme.txt
touch -d '2023-11-30 23:59:58' tree/docs/notes.txt

(cd tree && zip -qr -0 ../stored.zip .)
(cd tree && zip -qr -1 ../deflate1.zip .)
(cd tree && zip -qr -9 ../deflate9.zip .)
(cd tree && zip -qr -9 -P 417263 ../encrypted.zip .)
(cd tree && zip -qr -0 -P 417263 ../encrypted-stored.zip .)
# Streamed input: sizes and CRC follow the data (flag bit 3), encrypted.
python3 -c "import sys; sys.stdout.buffer.write(open('tree/bin/large.txt','rb').read())" | zip -q -9 -P 417263 streamed.zip -
# An archive comment and entry comments (one line per entry on stdin).
(cd tree && printf 'first comment\nsecond comment\n' | zip -q -c ../comments.zip readme.txt docs/notes.txt)
printf 'The archive comment\n' | zip -q -z comments.zip
# Entries of directories only.
mkdir -p dirs/one/two dirs/three
(cd dirs && zip -q -r ../dirs-only.zip one three)

# A spanned archive, its disks numbered as the component names them
# (disk n is ".00n"; the last disk is also the .zip that is opened).
mkdir spanned
(cd tree && zip -q -r -9 -s 64k ../spanned/spanned.zip .)
cp spanned/spanned.z01 spanned/spanned.001
cp spanned/spanned.z02 spanned/spanned.002
cp spanned/spanned.zip spanned/spanned.003
rm spanned/spanned.z01 spanned/spanned.z02

python3 - <<'PY'
import zipfile, zlib, random
r = random.Random(7)
# Python's zipfile: deflate with set dates, a stored member, a directory.
with zipfile.ZipFile('python.zip', 'w') as z:
    i = zipfile.ZipInfo('alpha/first.txt', date_time=(2020, 1, 2, 3, 4, 6))
    i.compress_type = zipfile.ZIP_DEFLATED
    z.writestr(i, 'alpha ' * 5000)
    i = zipfile.ZipInfo('alpha/', date_time=(2020, 1, 2, 3, 4, 6))
    z.writestr(i, '')
    i = zipfile.ZipInfo('beta.bin', date_time=(2021, 6, 7, 8, 9, 10))
    i.compress_type = zipfile.ZIP_STORED
    z.writestr(i, bytes(range(256)) * 10)
# Member names that try to leave the destination.
with zipfile.ZipFile('traversal.zip', 'w') as z:
    for name in ['../escaped-1.txt', 'a/../../escaped-2.txt', '/abs/escaped-3.txt', 'C:/drive/escaped-4.txt',
                 'C:escaped-5.txt', './ok/./inside.txt', 'sub/..', '..']:
        z.writestr(zipfile.ZipInfo(name, date_time=(2022, 2, 2, 2, 2, 2)), 'payload of ' + name)
# Raw deflate streams of several kinds, each with the bytes they must give.
data = {
    'text': (' '.join(r.choice(['a', 'bb', 'ccc', 'zantivo']) for _ in range(50000))).encode(),
    'random': bytes(r.getrandbits(8) for _ in range(50000)),
    'runs': b'\x00' * 100000 + b'x' * 3 + b'\x00' * 50000,
    'empty': b'',
}
for name, raw in data.items():
    for level, strategy in [(0, zlib.Z_DEFAULT_STRATEGY), (1, zlib.Z_DEFAULT_STRATEGY), (9, zlib.Z_DEFAULT_STRATEGY),
                            (6, zlib.Z_FIXED), (6, zlib.Z_HUFFMAN_ONLY), (6, zlib.Z_RLE)]:
        c = zlib.compressobj(level, zlib.DEFLATED, -15, 9, strategy)
        open('deflate-%s-%d-%d.raw' % (name, level, strategy), 'wb').write(c.compress(raw) + c.flush())
    open('deflate-%s.out' % name, 'wb').write(raw)
PY

cd ..
rm -rf "$out" && mv "$out.tmp" "$out"
