#!/usr/bin/env python3
"""Checks that Windows programs and DLLs are hardened as the Windows App
Certification Kit's binary checks ask, reading each file's PE headers:
  ASLR     DYNAMIC_BASE, and a base relocation table to move the image with
  DEP      NX_COMPAT, and no section both writable and executable
  64-bit   HIGH_ENTROPY_VA
  32-bit   NO_SEH, and no code that chains an exception frame through fs:0
           (which would register a handler that no SafeSEH table lists)
  cookies  a program has the stack protector's and the checked calls' run
           time linked in (their messages are in the file; a small DLL may
           have no function that needs a cookie, so tests/check_hardening.sh
           checks the compile commands too), and nothing imports libssp
With --known-dlls-only the file (a program that runs elevated) may import
only KnownDLLs, which Windows never looks for beside the program.
  pe_hardening.py [--known-dlls-only] FILE..."""
import re
import struct
import subprocess
import sys

DYNAMIC_BASE, NX_COMPAT, NO_SEH, HIGH_ENTROPY_VA = 0x40, 0x100, 0x400, 0x20
SCN_EXECUTE, SCN_WRITE = 0x20000000, 0x80000000
# HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs on Windows 10
# and 11 (ntdll is always the system's own).
KNOWN_DLLS = {'advapi32', 'combase', 'comdlg32', 'gdi32', 'gdiplus', 'imagehlp', 'imm32', 'kernel32', 'msctf',
              'msvcrt', 'normaliz', 'nsi', 'ole32', 'oleaut32', 'psapi', 'rpcrt4', 'sechost', 'setupapi', 'shcore',
              'shell32', 'shlwapi', 'user32', 'wldap32', 'ws2_32', 'ntdll'}


def headers(data):
    pe, = struct.unpack_from('<I', data, 0x3C)
    if data[pe:pe + 4] != b'PE\0\0':
        raise ValueError('not a PE file')
    machine, count = struct.unpack_from('<HH', data, pe + 4)
    optional_size, = struct.unpack_from('<H', data, pe + 20)
    optional = pe + 24
    magic, = struct.unpack_from('<H', data, optional)
    wide = magic == 0x20B
    characteristics, = struct.unpack_from('<H', data, optional + 70)
    directories = optional + (112 if wide else 96)
    reloc_rva, reloc_size = struct.unpack_from('<II', data, directories + 5 * 8)
    sections = []
    table = optional + optional_size
    for i in range(count):
        name, = struct.unpack_from('<8s', data, table + 40 * i)
        flags, = struct.unpack_from('<I', data, table + 40 * i + 36)
        sections.append((name.rstrip(b'\0').decode('ascii', 'replace'), flags))
    return wide, characteristics, reloc_size, sections


def imports(path, objdump):
    out = subprocess.run([objdump, '-p', path], check=True, capture_output=True, text=True).stdout
    return [m.lower() for m in re.findall(r'^\s*DLL Name: (\S+)', out, re.M)]


def registers_seh_frame(path, objdump):
    # An SEH frame is registered by storing into fs:0 (the thread's exception
    # list); DWARF unwinding never does.
    out = subprocess.run([objdump, '-d', '--no-show-raw-insn', path], check=True, capture_output=True,
                         text=True).stdout
    return [line.strip() for line in out.splitlines() if re.search(r'\bmov\w*\s+\S+,%fs:0x0\s*$', line)]


def check(path, known_dlls_only):
    with open(path, 'rb') as f:
        data = f.read()
    wide, flags, reloc_size, sections = headers(data)
    objdump = 'x86_64-w64-mingw32-objdump' if wide else 'i686-w64-mingw32-objdump'
    faults = []
    if not flags & DYNAMIC_BASE:
        faults.append('no ASLR (DYNAMIC_BASE)')
    if reloc_size == 0:
        faults.append('no base relocation table, so ASLR cannot move it')
    if not flags & NX_COMPAT:
        faults.append('no DEP (NX_COMPAT)')
    for name, section_flags in sections:
        if section_flags & SCN_EXECUTE and section_flags & SCN_WRITE:
            faults.append('section %s is both writable and executable' % name)
    if wide and not flags & HIGH_ENTROPY_VA:
        faults.append('no high-entropy ASLR (HIGH_ENTROPY_VA)')
    if not wide:
        if not flags & NO_SEH:
            faults.append('no NO_SEH flag (and no SafeSEH table)')
        stores = registers_seh_frame(path, objdump)
        if stores:
            faults.append('registers an SEH handler, so NO_SEH would be false: ' + stores[0])
    is_program = path.lower().endswith('.exe')
    if is_program and b'*** stack smashing detected ***' not in data:
        faults.append('not built with the stack protector (its run time is not linked in)')
    if is_program and b'*** buffer overflow detected ***' not in data:
        faults.append('not built with _FORTIFY_SOURCE (the checked calls are not linked in)')
    dlls = imports(path, objdump)
    if any(dll.startswith('libssp') for dll in dlls):
        faults.append('imports libssp, which Windows does not ship')
    if known_dlls_only:
        others = sorted(dll for dll in dlls if dll.removesuffix('.dll') not in KNOWN_DLLS)
        if others:
            faults.append('runs elevated but imports DLLs that are no KnownDLLs: ' + ', '.join(others))
    return faults


def main(argv):
    known_dlls_only = '--known-dlls-only' in argv
    files = [a for a in argv if a != '--known-dlls-only']
    if not files:
        sys.exit(__doc__)
    failed = 0
    for path in files:
        faults = check(path, known_dlls_only)
        for fault in faults:
            print('%s: %s' % (path, fault), file=sys.stderr)
        failed += bool(faults)
    print('%d passed, %d failed' % (len(files) - failed, failed))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
