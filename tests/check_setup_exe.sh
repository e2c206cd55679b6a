#!/usr/bin/env bash
# Setup.exe is a GUI program for its build's processor that asks for
# administrator rights and declares per-monitor DPI awareness in its manifest,
# and imports nothing but KnownDLLs of Windows' own, which Windows never looks
# for in the folder it starts from (a download folder).
# Each of the two builds is read with its own objdump.
set -euo pipefail
exe=$1
kind=$(file -b "$exe")
case "$kind" in
  "PE32 executable (GUI) Intel 80386"*) objdump=i686-w64-mingw32-objdump arch=x86 ;;
  "PE32+ executable (GUI) x86-64"*) objdump=x86_64-w64-mingw32-objdump arch=amd64 ;;
  *) echo "not a Windows GUI program for i386 or x86-64: $kind" >&2; exit 1 ;;
esac
failed=0
fail() { echo "$exe: $*" >&2; failed=$((failed + 1)); }

allowed='^(kernel32|user32|gdi32|shell32|ole32|oleaut32|advapi32|comdlg32|shlwapi|msvcrt)\.dll$'
dlls=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || fail "no imports found"
bad=$(printf '%s\n' "$dlls" | grep -Ev "$allowed" || true)
[ -z "$bad" ] || fail "imports a DLL that is no KnownDLL (a DLL of that name beside it would load): $bad"

manifest=$(python3 "$(dirname "$0")/pe_manifest.py" "$exe") || fail "carries no manifest"
grep -q '<requestedExecutionLevel level="requireAdministrator"' <<<"$manifest" || fail "its manifest does not ask for administrator rights"
grep -q "processorArchitecture=\"$arch\"" <<<"$manifest" || fail "its manifest does not name the processor $arch"
# Per-monitor DPI awareness, each declaration in the namespace Windows reads
# it from: version 2 (then version 1) for Windows 10, "true/pm" for Windows
# 8.1 (per monitor) and Windows 7 and 8 (the system's DPI).
dpi=$(python3 -c '
import sys, xml.etree.ElementTree as tree
settings = tree.fromstring(sys.stdin.buffer.read()).find(
    "{urn:schemas-microsoft-com:asm.v3}application/{urn:schemas-microsoft-com:asm.v3}windowsSettings")
if settings is None:
    sys.exit("no windowsSettings")
print(settings.findtext("{http://schemas.microsoft.com/SMI/2005/WindowsSettings}dpiAware"), "|",
      settings.findtext("{http://schemas.microsoft.com/SMI/2016/WindowsSettings}dpiAwareness"), sep="")
' <<<"$manifest" 2>&1) || true
[ "$dpi" = "true/pm|PerMonitorV2, PerMonitor" ] || fail "its manifest does not declare per-monitor DPI awareness: $dpi"

echo "$kind; imports: $(printf '%s ' $dlls)"
[ $failed -eq 0 ] || { echo "0 passed, $failed failed"; exit 1; }
echo "1 passed, 0 failed"
