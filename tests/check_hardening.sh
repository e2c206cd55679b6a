#!/usr/bin/env bash
# Every program and DLL a Windows build ships is hardened (tests/pe_hardening.py
# reads each one's headers), the two that run elevated import only KnownDLLs,
# and every source of the build, libjpeg-turbo's included, was compiled with
# the stack protector and _FORTIFY_SOURCE.
#   check_hardening.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(dirname "$0")
failed=0

elevated=("$build/Setup.exe" "$build/demo-product/UnInstall.exe")
shipped=("$build/demo-product/Zantivo.exe" "$build/demo-product/bin/"*.dll
         "$build/demo-extras/Drivers/"*.exe "$build/tools/unzipper.exe" "$build/setupcheck.exe")
python3 "$here/pe_hardening.py" --known-dlls-only "${elevated[@]}" || failed=1
python3 "$here/pe_hardening.py" "${shipped[@]}" || failed=1

# CMake writes the commands that compiled each source (its own and
# libjpeg-turbo's build); resource scripts hold no code.
python3 - "$build/compile_commands.json" "$build"/third_party/libjpeg-turbo/build/compile_commands.json <<'PY' || failed=1
import json, sys
missing = []
for path in sys.argv[1:]:
    for entry in json.load(open(path)):
        if entry['file'].endswith('.rc'):
            continue
        command = entry.get('command', '')
        for flag in ('-fstack-protector-strong', '-D_FORTIFY_SOURCE=2'):
            if flag not in command.split():
                missing.append('%s lacks %s' % (entry['file'], flag))
for line in missing[:20]:
    print(line, file=sys.stderr)
print('compile commands: %d without the hardening flags' % len(missing))
sys.exit(1 if missing else 0)
PY
exit $failed
