"""The benchmarks' shared inputs: the deterministic payload tree, built once
on tmpfs, and its archives, zipped by Info-ZIP zip."""
import os
import shutil
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
tmp = '/dev/shm' if os.path.isdir('/dev/shm') else '/tmp'
# BENCH_WORK: another folder, for a benchmark that must not share its files.
work = os.environ.get('BENCH_WORK') or os.path.join(tmp, 'setup-bench')
payload = os.path.join(work, 'payload')
password = '417263'
archives = {
    'deflate (zip -9)': ('deflate.zip', ['-9']),
    'encrypted deflate (zip -9 -P)': ('encrypted.zip', ['-9', '-P', password]),
    'stored (zip -0)': ('stored.zip', ['-0']),
}


def prepare():
    """Makes the payload and every archive that is missing."""
    os.makedirs(work, exist_ok=True)
    # The mark names the payload's version: a changed payload is made anew,
    # with everything made from it.
    done = os.path.join(work, 'payload-2.done')
    if not os.path.isfile(done):
        for name in os.listdir(work):
            path = os.path.join(work, name)
            shutil.rmtree(path) if os.path.isdir(path) else os.remove(path)
        print(subprocess.run([sys.executable, os.path.join(here, 'make_payload.py'), payload],
                             check=True, capture_output=True, text=True).stdout.strip())
        open(done, 'w').close()
    for file, flags in archives.values():
        path = os.path.join(work, file)
        if not os.path.isfile(path):
            subprocess.run(['zip', '-qr'] + flags + [path, '.'], cwd=payload, check=True)


def tree_summary(root):
    """(files, bytes) below root."""
    files = size = 0
    for folder, _, names in os.walk(root):
        for name in names:
            files += 1
            size += os.path.getsize(os.path.join(folder, name))
    return files, size
