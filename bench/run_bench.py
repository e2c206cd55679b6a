#!/usr/bin/env python3
"""make bench: builds the payloads once (deterministic), zips each three ways,
and extracts each archive to a fresh folder on tmpfs with unzipper and the
peers, rounds interleaved; prints medians, ratios and unzipper's peak memory,
then the in-memory benchmark of the inner loops. unzipper runs twice: as it
is (decoding on a second thread where the machine has two processors) and
held to one processor, where it decodes on its own thread as before; and
held to one processor testing the archive (-t: reading, decrypting,
decoding and checking, no file made), which shows what the files cost."""
import os
import shutil
import statistics
import subprocess
import sys
import time

build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else 'build/native')
rounds = int(os.environ.get('BENCH_ROUNDS', '5'))
unzipper = os.path.join(build, 'tools', 'unzipper')
bench_bin = os.path.join(build, 'bench', 'unzip_bench')
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bench_payload import archives, password, payload_folder, prepare, work  # noqa: E402

prepare()


def peers(archive, out, encrypted):
    p = ['-P', password] if encrypted else []
    ours = [unzipper, '-q', '-o', 'always', '-d', out] + p + [archive]
    one_cpu = ['taskset', '-c', str(min(os.sched_getaffinity(0)))]
    commands = {
        'unzipper': ours,
        'unzipper, 1 CPU': one_cpu + ours,
        # Where the time goes: reading, decrypting, decoding and checking alone, no file made.
        'unzipper -t, 1 CPU': one_cpu + [unzipper, '-tq'] + p + [archive],
        'unzip': ['unzip', '-qq', '-o'] + p + [archive, '-d', out],
        'bsdtar': ['bsdtar', '-x', '-f', archive, '-C', out] + (['--passphrase', password] if encrypted else []),
        '7z': ['7z', 'x', '-y', '-bd', '-bso0', '-o' + out] + (['-p' + password] if encrypted else []) + [archive],
    }
    if not encrypted:  # Python's zipfile decrypts in pure Python: far too slow to be a peer
        commands['python zipfile'] = [sys.executable, '-m', 'zipfile', '-e', archive, out]
    return commands


def run(command, out):
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    start = time.perf_counter()
    status = subprocess.run(command, stdout=subprocess.DEVNULL).returncode
    elapsed = time.perf_counter() - start
    if status != 0:
        raise SystemExit('failed: %s' % ' '.join(command))
    return elapsed


def peak_memory_kb(command, out):
    """Peak resident memory of a command, measured by GNU time (the forked
    Python child would count Python's own pages)."""
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    result = subprocess.run(['/usr/bin/time', '-f', '%M'] + command, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True, check=True)
    return int(result.stderr.strip().splitlines()[-1])


for name in ('large', 'small'):
    folder = payload_folder(name)
    print('%s payload: %s, %d files' % (name, folder, sum(len(f) for _, _, f in os.walk(folder))))
processors = ','.join(map(str, sorted(os.sched_getaffinity(0))))
load = ' '.join(open('/proc/loadavg').read().split()[:3])
print('%d rounds, interleaved; medians in seconds; ratio = peer time / unzipper time; processors: %s; load %s'
      % (rounds, processors, load))
out = os.path.join(work, 'out')
for name, (file, flags, _) in archives.items():
    archive = os.path.join(work, file)
    commands = peers(archive, out, '-P' in flags)
    times = {tool: [] for tool in commands}
    for _ in range(rounds):
        for tool, command in commands.items():
            times[tool].append(run(command, out))
    peak = peak_memory_kb(commands['unzipper'], out)
    peak_single = peak_memory_kb(commands['unzipper, 1 CPU'], out)
    ours = statistics.median(times['unzipper'])
    size = os.path.getsize(archive) / 1e6
    print('\n%s, %.0f MB archive' % (name, size))
    for tool, values in times.items():
        median = statistics.median(values)
        print('  %-15s %6.2f s   ratio %5.2f' % (tool, median, median / ours))
    print('  unzipper peak resident memory: %.1f MB (1 CPU: %.1f MB)' % (peak / 1024, peak_single / 1024))
shutil.rmtree(out, ignore_errors=True)

print('\nin memory, one thread:')
sys.stdout.flush()
subprocess.run([bench_bin, os.path.join(work, 'deflate.zip')], check=True)
