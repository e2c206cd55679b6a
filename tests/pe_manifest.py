#!/usr/bin/env python3
"""Prints the manifest (resource type RT_MANIFEST) embedded in a Windows
program, 32- or 64-bit, as Windows' loader finds it: the first language of
the first name below type 24 in the resource section.
  pe_manifest.py PROGRAM"""
import struct
import sys

RT_MANIFEST = 24


def sections(data):
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    if data[pe:pe + 4] != b'PE\0\0':
        raise ValueError('not a PE file')
    count, = struct.unpack_from('<H', data, pe + 6)
    optional_size, = struct.unpack_from('<H', data, pe + 20)
    optional = pe + 24
    magic, = struct.unpack_from('<H', data, optional)
    # The data directories follow the fields whose width depends on PE32 or PE32+.
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva, _ = struct.unpack_from('<II', data, directories + 2 * 8)
    table = optional + optional_size
    found = []
    for i in range(count):
        _, vsize, rva, raw_size, raw_offset = struct.unpack_from('<8sIIII', data, table + 40 * i)
        found.append((rva, max(vsize, raw_size), raw_offset))
    return resource_rva, found


def to_offset(rva, found):
    for start, size, raw in found:
        if start <= rva < start + size:
            return raw + rva - start
    raise ValueError('address 0x%x lies in no section' % rva)


def entries(data, base, directory):
    named, numbered = struct.unpack_from('<HH', data, base + directory + 12)
    for i in range(named + numbered):
        name, target = struct.unpack_from('<II', data, base + directory + 16 + 8 * i)
        yield name, target


def manifest(data):
    resource_rva, found = sections(data)
    if resource_rva == 0:
        return None
    base = to_offset(resource_rva, found)
    level = 0
    for name, target in entries(data, base, 0):
        if name == RT_MANIFEST and target & 0x80000000:
            level = target & 0x7FFFFFFF
            break
    else:
        return None
    for depth in range(2):  # the name, then the language
        _, target = next(entries(data, base, level))
        level = target & 0x7FFFFFFF
        if not target & 0x80000000:
            break
    rva, size = struct.unpack_from('<II', data, base + level)
    start = to_offset(rva, found)
    return data[start:start + size]


if __name__ == '__main__':
    text = manifest(open(sys.argv[1], 'rb').read())
    if text is None:
        sys.exit('%s: no manifest' % sys.argv[1])
    sys.stdout.write(text.decode('utf-8'))
