#!/usr/bin/env python3
"""What the release needs to know about Windows programs (PE files).

  pe_files.py programs PATH...    every PE file of the paths (files, folders), one a line, sorted
  pe_files.py unsigned FILE OUT   FILE as it was before signing, for comparing builds
  pe_files.py version FILE        the ProductVersion text of FILE's version resource

Programs are found by what they are (an MZ header pointing at a PE
signature), not by their names, so that a DLL with an unusual extension is
signed and verified like any .exe.

"unsigned" takes the Authenticode signature off (the certificate table that
the security directory points at, which signing appends at the end) and
zeroes the two header fields signing rewrites: the PE checksum and the
security directory entry. Applied to an unsigned program it only zeroes
those fields, so two builds compare equal exactly when their programs were
the same before signing. Signing pads the file to 8 bytes before the table;
the padding goes too.
"""
import os
import struct
import sys


def pe_offset(data):
    """The offset of the PE signature, or None when data is no PE file."""
    if len(data) < 0x40 or data[:2] != b'MZ':
        return None
    offset = struct.unpack_from('<I', data, 0x3c)[0]
    if offset + 24 > len(data) or data[offset:offset + 4] != b'PE\0\0':
        return None
    return offset


def is_program(path):
    with open(path, 'rb') as file:
        head = file.read(4096)
    offset = pe_offset(head)
    if offset is None and head[:2] == b'MZ':
        with open(path, 'rb') as file:  # a PE header beyond the first 4 KiB
            offset = pe_offset(file.read())
    return offset is not None


def header_fields(data):
    """Offsets of the checksum field and of the security directory entry."""
    offset = pe_offset(data)
    if offset is None:
        raise SystemExit('pe_files: not a PE file')
    optional = offset + 24
    magic = struct.unpack_from('<H', data, optional)[0]
    if magic == 0x10b:      # PE32
        directories = optional + 96
    elif magic == 0x20b:    # PE32+
        directories = optional + 112
    else:
        raise SystemExit('pe_files: unknown optional header magic 0x%x' % magic)
    return optional + 64, directories + 4 * 8   # entry 4: the certificate table


def unsigned(data):
    data = bytearray(data)
    checksum, security = header_fields(data)
    table, size = struct.unpack_from('<II', data, security)
    if size:
        if table + size != len(data):
            raise SystemExit('pe_files: the certificate table is not at the end of the file')
        del data[table:]
    data[checksum:checksum + 4] = bytes(4)
    data[security:security + 8] = bytes(8)
    # Signing pads with zeros to a multiple of 8 before the table; an
    # unsigned program is compared with the same padding added.
    data += bytes(-len(data) % 8)
    return bytes(data)


def product_version(data):
    """ProductVersion from the version resource's string table (UTF-16)."""
    key = 'ProductVersion'.encode('utf-16-le') + b'\0\0'
    at = data.find(key)
    if at < 0:
        raise SystemExit('pe_files: no ProductVersion in the version resource')
    at += len(key)
    at += -at % 4           # the value starts on a 32-bit boundary
    end = at
    while data[end:end + 2] != b'\0\0':
        end += 2
    return data[at:end].decode('utf-16-le')


def main(argv):
    if len(argv) >= 2 and argv[0] == 'programs':
        found = []
        for folder in argv[1:]:
            if os.path.isfile(folder) and is_program(folder):
                found.append(folder)
            for root, _, files in os.walk(folder):
                found += [os.path.join(root, name) for name in files
                          if is_program(os.path.join(root, name))]
        print('\n'.join(sorted(found)))
    elif len(argv) == 3 and argv[0] == 'unsigned':
        with open(argv[1], 'rb') as file:
            result = unsigned(file.read())
        with open(argv[2], 'wb') as file:
            file.write(result)
    elif len(argv) == 2 and argv[0] == 'version':
        with open(argv[1], 'rb') as file:
            print(product_version(file.read()))
    else:
        sys.exit(__doc__)


if __name__ == '__main__':
    main(sys.argv[1:])
