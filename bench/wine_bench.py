#!/usr/bin/env python3
"""make bench, the Windows side: each payload (the small files first, then
the large one) put down under Wine by Setup.exe (installing it from the
encrypted archive as Setup.dat, driven by the automation client from the
Install button to the finish page) and by unzipper.exe (from the same
archive), beside a silent NSIS installer of the same tree (built here by
Debian's makensis, zlib per file) and Wine's xcopy of the tree. All run in
one Wine prefix kept for benchmarks, write to the same tmpfs folder, and
take turns round by round; medians are printed. The programs are those of
the Windows build given (win32 or win64), under that build's own Wine
loader; the NSIS installer is built for the same processor. Every contender
and the wineserver get the same processors, BENCH_CPUS (default: all this
process may use; a list for taskset); Setup.exe and unzipper.exe also run
held to one of them, where they decode on their own thread as before.
Setup.exe runs once more started without a console, as the desktop or a
deployment engine starts it (the automation client otherwise lends it its
own), and once more over an earlier installation of the same payload (each
timed run an upgrade that replaces every file). BENCH_EARLIER_SETUP may name another Setup.exe (an earlier build) to
time beside this one, both ways. Last, the Win32 file calls unzipper.exe
makes per extracted file, counted from Wine's relay trace on a smaller
archive.

A contender is a function below that returns the command putting the
payload into a given folder (or an Installer, for a command that reports its
own time); list it in CONTENDERS to add it."""
import os
import re
import shutil
import statistics
import struct
import subprocess
import sys
import time
from collections import Counter

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, here)
from bench_payload import archives, password, payload, payload_folder, prepare, tree_summary, work  # noqa: E402

root = os.path.dirname(here)
build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else 'build/win32')
rounds = int(os.environ.get('BENCH_ROUNDS', '5'))
cpus = os.environ.get('BENCH_CPUS') or ','.join(map(str, sorted(os.sched_getaffinity(0))))
one_cpu = cpus.replace('-', ',').split(',')[0]

def build_arch(build):
    """win32 or win64: the architecture the build's cache records."""
    with open(os.path.join(build, 'CMakeCache.txt')) as f:
        for line in f:
            if line.startswith('SETUP_WINDOWS_ARCH:'):
                return line.split('=', 1)[1].strip()
    raise SystemExit('%s is not a configured Windows build' % build)


arch = build_arch(build)
prefix = os.path.join(os.path.dirname(build), 'wine-bench-' + arch, 'prefix')
unzipper_exe = os.path.join(build, 'tools', 'unzipper.exe')
drive_setup_exe = os.path.join(build, 'tests', 'drive_setup.exe')
out = os.path.join(work, 'wine-out')

pin = ['taskset', '-c', cpus]


class Shape:
    """One payload: its tree, its encrypted archive, the setup folder
    holding that archive as Setup.dat, and its NSIS installer."""

    def __init__(self, name):
        self.name = name
        self.tree = payload_folder(name)
        self.archive = os.path.join(work, next(f for f, flags, p in archives.values() if p == name and '-P' in flags))
        self.setup_folder = os.path.join(work, 'setup-folder-' + name)
        self.earlier_setup_folder = os.path.join(work, 'setup-folder-%s-earlier' % name)
        self.installer = os.path.join(work, 'payload-%s-nsis-%s.exe' % (name, arch))


# BENCH_SHAPES: the payloads to run (default: small,large).
SHAPES = [Shape(name) for name in os.environ.get('BENCH_SHAPES', 'small,large').split(',')]
# The architecture's own loader and server, never Debian's wrapper (which
# takes the 32-bit loader even where it cannot start).
wine = '/usr/lib/wine/wine64' if arch == 'win64' else '/usr/lib/wine/wine'
wineserver = '/usr/lib/wine/wineserver64'
wine_env = dict(os.environ, WINEPREFIX=prefix, WINEARCH=arch, WINELOADER=wine, WINESERVER=wineserver,
                WINEDEBUG='-all', WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d')


def win(path):
    """A Linux path as Wine's Z: drive sees it."""
    return 'Z:' + path.replace('/', '\\')


class Installer:
    """A command that installs the payload and prints the seconds its
    installation took (from the press of Install to the finish page). The
    installation adds two files of its own beside the payload: the uninstall
    log and the product's System.ini. With over_earlier, the same command
    first installs the payload untimed, and the timed run installs over that
    earlier installation (an upgrade: every file replaced)."""
    own_files = 2

    def __init__(self, command, over_earlier=False):
        self.command = command
        self.over_earlier = over_earlier


# ---- contenders: the command that puts the payload into folder ----

def setup_exe(folder, shape, setup_folder=None, console=True):
    # Through drive S:, the benchmark's folder: the product's data folder goes
    # to the destination drive's root, which must not be Z:\ (the Linux root).
    destination = 'S:\\' + os.path.relpath(folder, work).replace('/', '\\')
    return Installer([wine, drive_setup_exe, win(os.path.join(setup_folder or shape.setup_folder, 'Setup.exe')),
                      '--folder', destination, '--install', '--finish'] + ([] if console else ['--no-console']))


def setup_exe_without_console(folder, shape):
    return setup_exe(folder, shape, console=False)


def earlier_setup_exe(folder, shape):
    return setup_exe(folder, shape, shape.earlier_setup_folder)


def over_earlier(contender):
    """The installer run over an earlier installation of the same payload."""
    def upgrading(folder, shape):
        return Installer(contender(folder, shape).command, over_earlier=True)
    return upgrading


def earlier_setup_exe_without_console(folder, shape):
    return setup_exe(folder, shape, shape.earlier_setup_folder, console=False)


def unzipper(folder, shape):
    return [wine, unzipper_exe, '-q', '-o', 'always', '-P', password, '-d', win(folder), win(shape.archive)]


def nsis_installer(folder, shape):
    return [wine, shape.installer, '/S', '/D=' + win(folder)]


def wine_xcopy(folder, shape):
    return [wine, 'xcopy', '/E', '/I', '/Q', '/Y', win(shape.tree), win(folder)]


def on_one_cpu(contender):
    """The contender held to one processor (its threads and the programs it starts)."""
    def held(folder, shape):
        command = contender(folder, shape)
        if isinstance(command, Installer):
            return Installer(['taskset', '-c', one_cpu] + command.command)
        return ['taskset', '-c', one_cpu] + command
    return held


earlier_setup = os.environ.get('BENCH_EARLIER_SETUP')
CONTENDERS = {
    'Setup.exe': setup_exe,
    'Setup.exe, no console': setup_exe_without_console,
    **({'earlier Setup.exe': earlier_setup_exe,
        'earlier Setup.exe, no console': earlier_setup_exe_without_console} if earlier_setup else {}),
    'Setup.exe, over an earlier one': over_earlier(setup_exe),
    **({'earlier Setup.exe, over an earlier one': over_earlier(earlier_setup_exe)} if earlier_setup else {}),
    'Setup.exe, 1 CPU': on_one_cpu(setup_exe),
    'unzipper.exe': unzipper,
    'unzipper.exe, 1 CPU': on_one_cpu(unzipper),
    'NSIS installer, zlib': nsis_installer,
    'Wine xcopy of the tree': wine_xcopy,
}


# ---- setting up ----

def build_nsis_installer(shape):
    """A silent installer of the payload tree for the build's processor:
    every file zlib-compressed on its own, as NSIS does unless told to be
    solid."""
    installer = shape.installer
    if os.path.isfile(installer):
        return
    script = os.path.join(work, 'payload-%s-%s.nsi' % (shape.name, arch))
    target = 'amd64-unicode' if arch == 'win64' else 'x86-unicode'
    with open(script, 'w') as f:
        f.write('Unicode true\nTarget %s\nSetCompressor zlib\nName "Payload"\nOutFile "%s"\n'
                'InstallDir "C:\\Payload"\nRequestExecutionLevel user\nSilentInstall silent\n'
                'Section\n  SetOutPath "$INSTDIR"\n  File /r "%s/*"\nSectionEnd\n' % (target, installer, shape.tree))
    subprocess.run(['makensis', '-V1', script], check=True)


def build_setup_folder(shape, setup_folder=None, setup_exe=None):
    """Setup.exe (the build's, or another) beside the demo's language files,
    with the encrypted archive of the payload as Setup.dat."""
    setup_folder = setup_folder or shape.setup_folder
    shutil.rmtree(setup_folder, ignore_errors=True)
    os.makedirs(os.path.join(setup_folder, 'lang'))
    shutil.copy(setup_exe or os.path.join(build, 'Setup.exe'), os.path.join(setup_folder, 'Setup.exe'))
    languages = os.path.join(root, 'demo', 'lang')
    for name in os.listdir(languages):
        shutil.copy(os.path.join(languages, name), os.path.join(setup_folder, 'lang'))
    shutil.copy(shape.archive, os.path.join(setup_folder, 'Setup.dat'))


def start_wine():
    """Makes the prefix once, then starts its wineserver pinned and persistent,
    with the prefix's services up, so no timed run pays for starting them."""
    subprocess.run([os.path.join(root, 'scripts', 'wine-run.sh'), '--arch', arch, '--prefix', prefix,
                    'cmd', '/c', 'exit'],
                   env=wine_env, check=False,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    stop_wine()
    drive = os.path.join(prefix, 'dosdevices', 's:')
    if not os.path.islink(drive):
        os.symlink(work, drive)
    subprocess.run(pin + [wineserver, '-p'], env=wine_env, check=True)
    subprocess.run(pin + [wine, 'cmd', '/c', 'exit'], env=wine_env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def stop_wine():
    subprocess.run([wineserver, '-k'], env=wine_env, stderr=subprocess.DEVNULL)
    subprocess.run([wineserver, '-w'], env=wine_env, stderr=subprocess.DEVNULL)


def phases(pressed, elapsed):
    """Where an installation's time went, from the times of the files it
    made (tmpfs keeps them to the nanosecond): before its first payload file
    was done, the extraction until its last one, and after it (the log's
    last flush, every later step and the processes they start)."""
    own = {'Uninstall.log', 'System.ini'}
    done = [os.stat(os.path.join(d, n)).st_ctime for d, _, ns in os.walk(out) for n in ns if n not in own]
    return min(done) - pressed, max(done) - min(done), pressed + elapsed - max(done)


def run(contender, expected, breakdown=None):
    """Seconds taken to fill a fresh out (as the installer reports them, or
    by the clock); checks the tree it made. An installer's phases go to breakdown."""
    shutil.rmtree(out, ignore_errors=True)
    shutil.rmtree(os.path.join(work, 'Zantivo'), ignore_errors=True)  # the installed product's data folder
    installer = isinstance(contender, Installer)
    command = contender.command if installer else contender
    if installer and contender.over_earlier:
        earlier = subprocess.run(pin + command, env=wine_env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if earlier.returncode != 0:
            raise SystemExit('the earlier installation failed: ' + ' '.join(command))
    start = time.perf_counter()
    done = subprocess.run(pin + command, env=wine_env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    elapsed = time.perf_counter() - start
    made = tree_summary(out) if os.path.isdir(out) else (0, 0)
    if installer:
        complete = made[0] == expected[0] + Installer.own_files and made[1] >= expected[1]
        reported = done.stdout.split()
        if done.returncode == 0 and len(reported) >= 2:
            elapsed = float(reported[-2])
            if complete and breakdown is not None:
                breakdown.append(phases(float(reported[-1]), elapsed))
    else:
        complete = made == expected
    if done.returncode != 0 or not complete:
        raise SystemExit('failed (status %d, %d files, %d bytes): %s'
                         % (done.returncode, made[0], made[1], ' '.join(command)))
    return elapsed


# ---- counting file calls ----

FILE_CALLS = ('CreateFileW', 'ReadFile', 'WriteFile', 'SetFilePointerEx', 'CloseHandle', 'GetFileAttributesW',
              'GetFileAttributesExW', 'SetFileAttributesW', 'SetFileTime', 'GetFileTime', 'GetFileSizeEx',
              'SetFileInformationByHandle', 'CreateDirectoryW', 'DeleteFileW', 'FlushFileBuffers')


def image_base(program):
    """The address a Windows program asks to be loaded at (PE32 or PE32+)."""
    with open(program, 'rb') as f:
        data = f.read(4096)
    optional = struct.unpack_from('<I', data, 0x3C)[0] + 24
    magic, = struct.unpack_from('<H', data, optional)
    return struct.unpack_from('<Q', data, optional + 24)[0] if magic == 0x20B else \
        struct.unpack_from('<I', data, optional + 28)[0]


def file_calls(patterns):
    """The file calls unzipper.exe's own code makes extracting count.zip
    (entries matching patterns), by name, from Wine's relay trace."""
    trace = os.path.join(work, 'relay.txt')
    target = os.path.join(work, 'count-out')
    shutil.rmtree(target, ignore_errors=True)
    command = [wine, unzipper_exe, '-q', '-o', 'always', '-P', password, '-d', win(target),
               win(os.path.join(work, 'count.zip'))] + patterns
    with open(trace, 'w') as f:
        subprocess.run(pin + command, env=dict(wine_env, WINEDEBUG='+relay'), stdout=subprocess.DEVNULL, stderr=f)
    # Calls from the program's image, by every thread of it (the caller's and
    # the reading thread's; the image sits at its preferred base: it has no
    # relocations to move it), not from the runtime's DLLs.
    base = image_base(unzipper_exe)
    call = re.compile(r'^([0-9a-f]+):Call KERNEL32\.(\w+)\((.*)\) ret=([0-9a-f]+)$')
    counts = Counter()
    with open(trace, errors='replace') as f:
        for line in f:
            m = call.match(line)
            if m and base <= int(m.group(4), 16) < base + 0xC00000 and m.group(2) in FILE_CALLS:
                counts[m.group(2)] += 1
    os.remove(trace)
    shutil.rmtree(target, ignore_errors=True)
    return counts


def count_file_calls(files=300):
    """Calls per extracted file: a run extracting the first files of the
    payload less a run selecting none, over the number of files."""
    listing = sorted(os.path.relpath(os.path.join(d, n), payload) for d, _, ns in os.walk(payload) for n in ns)[:files]
    count_zip = os.path.join(work, 'count.zip')
    if os.path.exists(count_zip):
        os.remove(count_zip)
    subprocess.run(['zip', '-q', '-9', '-P', password, count_zip, '-@'], cwd=payload, check=True,
                   input='\n'.join(listing), text=True)
    every, none = file_calls([]), file_calls(['no-such-entry'])
    per_file = {name: (every[name] - none[name]) / files for name in FILE_CALLS if every[name] - none[name]}
    return per_file, files


def compare(shape, expected):
    """The contenders on one payload, rounds interleaved; prints medians."""
    print('\n%s payload: %d files, %.1f MB (Setup.dat %.1f MB)'
          % (shape.name, expected[0], expected[1] / 1e6, os.path.getsize(shape.archive) / 1e6))
    for command in CONTENDERS.values():
        run(command(out, shape), expected)
    times = {name: [] for name in CONTENDERS}
    breakdowns = {name: [] for name in CONTENDERS}
    for _ in range(rounds):
        for name, command in CONTENDERS.items():
            times[name].append(run(command(out, shape), expected, breakdowns[name]))
    medians = {name: statistics.median(values) for name, values in times.items()}
    print('  %-30s %8s %9s %9s   %s' % ('', 'median', '/unzipper', 'NSIS/it', 'rounds'))
    for name, values in times.items():
        print('  %-30s %6.2f s %9.2f %9.2f   (%s)'
              % (name, medians[name], medians[name] / medians['unzipper.exe'],
                 medians['NSIS installer, zlib'] / medians[name], ' '.join('%.2f' % v for v in values)))
    for name, parts in breakdowns.items():
        if parts:
            before, extraction, after = (statistics.median(p[i] for p in parts) for i in range(3))
            print('  %s: %.2f s before its first file, %.2f s extracting, %.2f s after its last file'
                  ' (the log, the later steps and their processes)' % (name, before, extraction, after))
    shutil.rmtree(out, ignore_errors=True)


def main():
    prepare()
    expected = {}
    for shape in SHAPES:
        build_nsis_installer(shape)
        build_setup_folder(shape)
        if earlier_setup:
            build_setup_folder(shape, shape.earlier_setup_folder, earlier_setup)
        expected[shape.name] = tree_summary(shape.tree)
    start_wine()
    try:
        print('\nUnder Wine (%s), into %s; every contender and the wineserver on CPUs %s (1 CPU: %s); load %s'
              % (subprocess.run([wine, '--version'], capture_output=True, text=True).stdout.strip(), out, cpus,
                 one_cpu, ' '.join(open('/proc/loadavg').read().split()[:3])))
        print('%d rounds, interleaved, after one untimed round; medians in seconds;' % rounds
              + ' /unzipper = time / unzipper.exe time; NSIS/it = NSIS time / time')
        print('(Setup.exe: from the press of Install to the finish page, as its automation client times it)')
        for shape in SHAPES:
            compare(shape, expected[shape.name])
        per_file, files = count_file_calls()
        print('\nunzipper.exe file calls per extracted file (%d files, Wine relay trace): %.1f'
              % (files, sum(per_file.values())))
        print('  ' + ', '.join('%s %.2f' % item for item in sorted(per_file.items(), key=lambda i: -i[1])))
    finally:
        stop_wine()


if __name__ == '__main__':
    if len(sys.argv) > 2 and sys.argv[2] == '--count':
        prepare()
        start_wine()
        try:
            per_file, files = count_file_calls()
            print('%s: %.1f file calls per file over %d files' % (unzipper_exe, sum(per_file.values()), files))
            print('  ' + ', '.join('%s %.2f' % item for item in sorted(per_file.items(), key=lambda i: -i[1])))
        finally:
            stop_wine()
    else:
        main()
