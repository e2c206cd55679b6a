"""The benchmarks' shared inputs: two deterministic payload trees, built once
on tmpfs, and their archives, zipped by Info-ZIP zip. The large payload is
about 200 MB in 3,000 files, a few of them large; the small one 3,000 text
files of 1 to 4 KiB, where the cost of each file sets the pace."""
import os
import shutil
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
tmp = '/dev/shm' if os.path.isdir('/dev/shm') else '/tmp'
# BENCH_WORK: another folder, for a benchmark that must not share its files.
work = os.environ.get('BENCH_WORK') or os.path.join(tmp, 'setup-bench')
password = '417263'
# Each payload: its folder, the arguments that make it, and a mark naming
# its version (a changed payload is made anew, with its archives).
payloads = {
    'large': ('payload', [], 'payload-2.done'),
    'small': ('payload-small', ['--small'], 'payload-small-1.done'),
}
payload = os.path.join(work, payloads['large'][0])
small_payload = os.path.join(work, payloads['small'][0])
# name: (file, zip's flags, payload)
archives = {
    'deflate (zip -9)': ('deflate.zip', ['-9'], 'large'),
    'encrypted deflate (zip -9 -P)': ('encrypted.zip', ['-9', '-P', password], 'large'),
    'stored (zip -0)': ('stored.zip', ['-0'], 'large'),
    'small files, deflate (zip)': ('small-deflate.zip', [], 'small'),
    'small files, encrypted deflate (zip -P)': ('small-encrypted.zip', ['-P', password], 'small'),
    'small files, stored (zip -0)': ('small-stored.zip', ['-0'], 'small'),
}


def payload_folder(name):
    return os.path.join(work, payloads[name][0])


def prepare():
    """Makes every payload and archive that is missing."""
    os.makedirs(work, exist_ok=True)
    for name, (folder, arguments, mark) in payloads.items():
        done = os.path.join(work, mark)
        if os.path.isfile(done):
            continue
        shutil.rmtree(os.path.join(work, folder), ignore_errors=True)
        for file, _, source in archives.values():
            if source == name and os.path.isfile(os.path.join(work, file)):
                os.remove(os.path.join(work, file))
        print(subprocess.run([sys.executable, os.path.join(here, 'make_payload.py'), os.path.join(work, folder)]
                             + arguments, check=True, capture_output=True, text=True).stdout.strip())
        open(done, 'w').close()
    for file, flags, source in archives.values():
        path = os.path.join(work, file)
        if not os.path.isfile(path):
            subprocess.run(['zip', '-qr'] + flags + [path, '.'], cwd=payload_folder(source), check=True)


def tree_summary(root):
    """(files, bytes) below root."""
    files = size = 0
    for folder, _, names in os.walk(root):
        for name in names:
            files += 1
            size += os.path.getsize(os.path.join(folder, name))
    return files, size
