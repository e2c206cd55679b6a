#!/usr/bin/env bash
# The setup folders the end-to-end tests install from, staged from the demo:
#   demo         the demo setup folder (English)
#   demo-de      the same, starting in German
#   demo-viewer  the alternate product name "Viewer"
#   demo-big     the demo with 64 MB of incompressible files added at the
#                end of Setup.dat, so that an installation can be cancelled
#                while it extracts
#   cut-short    Setup.dat cut off at 60 % of its length
#   cut-data     1,000 bytes cut out of the middle of the largest entry's data
#   cut-last     the last entry's data cut short by half, the directory intact
#                (its offset in the end record mended), so the directory reads
#                well and the extraction fails at the very last entry
#   no-payload   no Setup.dat at all
#   stage_e2e_folders.sh BUILD_DIR OUT
set -euo pipefail
build=$(readlink -f "$1") out=$2
root=$(readlink -f "$(dirname "$0")/../..")
stage=$root/demo/make-demo-folder.sh
mkdir -p "$out"
"$stage" "$build/Setup.exe" "$out/demo"
"$stage" --start-language DE "$build/Setup.exe" "$out/demo-de"
"$stage" --product-name Viewer "$build/Setup.exe" "$out/demo-viewer"

variant() {  # a fresh copy of the demo folder
  rm -rf "${out:?}/$1"
  cp -r "$out/demo" "$out/$1"
}

variant demo-big
mkdir -p "$out/media-work/media"
for i in 1 2 3 4; do head -c 16M /dev/urandom >"$out/media-work/media/scan$i.tif"; done
(cd "$out/media-work" && zip -q -0 -P 417263 "$out/demo-big/Setup.dat" media/scan1.tif media/scan2.tif media/scan3.tif media/scan4.tif)
rm -rf "$out/media-work"

variant cut-short
python3 - "$out/cut-short/Setup.dat" <<'PY'
import os, sys
path = sys.argv[1]
os.truncate(path, os.path.getsize(path) * 6 // 10)
PY

variant cut-data
python3 - "$out/cut-data/Setup.dat" <<'PY'
import struct, sys, zipfile
path = sys.argv[1]
with zipfile.ZipFile(path) as archive:
    entry = max(archive.infolist(), key=lambda e: e.compress_size)
data = bytearray(open(path, 'rb').read())
# The entry's data starts after its local header: 30 bytes, the name, the extra field.
name_length, extra_length = struct.unpack_from('<HH', data, entry.header_offset + 26)
start = entry.header_offset + 30 + name_length + extra_length
middle = start + entry.compress_size // 2
del data[middle:middle + 1000]
open(path, 'wb').write(data)
PY

variant cut-last
python3 - "$out/cut-last/Setup.dat" <<'PY'
import struct, sys, zipfile
path = sys.argv[1]
with zipfile.ZipFile(path) as archive:
    last = max(archive.infolist(), key=lambda e: e.header_offset)
data = bytearray(open(path, 'rb').read())
name_length, extra_length = struct.unpack_from('<HH', data, last.header_offset + 26)
end_of_data = last.header_offset + 30 + name_length + extra_length + last.compress_size
cut = last.compress_size // 2
del data[end_of_data - cut:end_of_data]
end = data.rfind(b'PK\x05\x06')
directory, = struct.unpack_from('<I', data, end + 16)
struct.pack_into('<I', data, end + 16, directory - cut)
open(path, 'wb').write(data)
PY

variant no-payload
rm -f "$out/no-payload/Setup.dat"
