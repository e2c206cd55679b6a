#!/usr/bin/env bash
# Setup.exe is a 32-bit GUI program that needs nothing but Windows' own DLLs.
set -euo pipefail
exe=$1
kind=$(file -b "$exe")
case "$kind" in
  "PE32 executable (GUI) Intel 80386"*) ;;
  *) echo "not a PE32 i386 GUI executable: $kind" >&2; exit 1 ;;
esac
allowed='^(kernel32|user32|gdi32|shell32|ole32|oleaut32|advapi32|comctl32|comdlg32|shlwapi|msvcrt|version)\.dll$'
dlls=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || { echo "no imports found" >&2; exit 1; }
bad=$(printf '%s\n' "$dlls" | grep -Ev "$allowed" || true)
if [ -n "$bad" ]; then echo "imports a DLL that Windows does not ship: $bad" >&2; exit 1; fi
echo "imports: $(printf '%s ' $dlls)"
echo "1 passed, 0 failed"
