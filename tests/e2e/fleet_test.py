#!/usr/bin/env python3
"""The fleet: one setup folder on a share, several fresh machines installing it
silently at the same time, as a deployment engine would, each then checked and
uninstalled through the command it finds in the registry.

Each machine is a Wine prefix of its own, copied from one booted once (and kept
in the build tree); the share is the staged demo setup folder, which every
machine reaches through its drive Z:. The machines:

  done-when   /S /D=C:\\Fleet\\Zantivo\\ /LOG="C:\\fleet.log"
  winget      the winget manifest's Silent, InstallLocation and Log switches
  all-users   /quiet /ALLUSERS /LANG=DE with a log, the default folder: the
              common Start menu and desktop, in German
  passive     the manifest's SilentWithProgress and Log: the installing page shows
  trouble     one after the other: a second installation while one runs
              (1618, nothing written), a file held open (1603 after the
              retries), a damaged and a missing payload (1603, the reason in
              the log), an unknown switch (1639); never a window

Programs start through tests/e2e/fleet_probe.exe, which hands the exact
command line to CreateProcess (Wine would requote arguments) and notes the
program's visible windows. Exit code 0 when every check holds.

  fleet_test.py --arch win32|win64 --build BUILD_DIR --folders E2E_FOLDERS
"""
import argparse
import concurrent.futures
import configparser
import json
import os
import shutil
import subprocess
import sys
import threading
import time

import yaml

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINGET = os.path.join(ROOT, 'demo', 'winget')
PRODUCT = 'Zantivo'
# Files of the payload that the installation rewrites after extracting them.
REWRITTEN = ('system.ini', 'lang/language.ini')
failures = []
checks = [0]
failures_lock = threading.Lock()


def check(condition, what):
    with failures_lock:
        checks[0] += 1
        if not condition:
            failures.append(what)
            print('FAILED: ' + what, flush=True)
    return condition


def windows_path(path):
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


# Each machine keeps to itself: no menu entries in this machine's desktop
# environment for the links the installations make.
ENVIRONMENT = dict(os.environ, WINEDLLOVERRIDES='winemenubuilder.exe=d')


def wine_env_command(arch, prefix, command):
    return ['bash', '-c', '. "$0/scripts/wine-env.sh" && wine_select "$1" "$2" && ' + command, ROOT, arch, prefix]


class Machine:
    def __init__(self, name, arch, prefix, probe):
        self.name, self.arch, self.prefix, self.probe = name, arch, prefix, probe

    def c(self, path):
        """The Linux path of a path on the machine's drive C:."""
        assert path[:3].upper() == 'C:\\'
        return os.path.join(self.prefix, 'drive_c', *[p for p in path[3:].split('\\') if p])

    def wine(self, *arguments, timeout=300, background=False):
        command = [os.path.join(ROOT, 'scripts', 'wine-run.sh'), '--arch', self.arch, '--prefix', self.prefix,
                   self.probe, *arguments]
        if background:
            return subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                                    env=ENVIRONMENT)
        done = subprocess.run(command, capture_output=True, text=True, timeout=timeout, env=ENVIRONMENT)
        return done.stdout

    def json(self, *arguments, timeout=300):
        output = self.wine(*arguments, timeout=timeout)
        try:
            return json.loads(output.strip().splitlines()[-1])
        except (ValueError, IndexError):
            check(False, '%s: fleet_probe %s printed %r' % (self.name, ' '.join(arguments), output))
            return {}

    def command_file(self, command_line):
        """A file on the machine holding the command line; goes with the machine."""
        name = 'C:\\fleet-command-%d.txt' % time.monotonic_ns()
        with open(self.c(name), 'w', encoding='utf-8') as out:
            out.write(command_line)
        return name

    def run(self, command_line, seconds=120):
        """Starts the command line on the machine and waits: exit code, windows, time."""
        return self.json('run', self.command_file(command_line), str(seconds), timeout=seconds + 120)

    def start(self, command_line, seconds=120):
        return self.wine('run', self.command_file(command_line), str(seconds), background=True)

    def report(self):
        return self.json('report', PRODUCT)

    def stop(self):
        subprocess.run(wine_env_command(self.arch, self.prefix, 'wineserver -k'), stderr=subprocess.DEVNULL)


def make_base(arch, base):
    """A booted prefix (with folders of its own for the user's desktop and
    documents, as wine-run.sh makes them), made once and kept; machines are
    copies of it."""
    if os.path.exists(os.path.join(base, '.fleet-base-ready')):
        return
    shutil.rmtree(base, ignore_errors=True)
    subprocess.run([os.path.join(ROOT, 'scripts', 'wine-run.sh'), '--arch', arch, '--prefix', base, 'cmd', '/c',
                    'exit'], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=ENVIRONMENT)
    subprocess.run(wine_env_command(arch, base, 'wineserver -w'), check=True)
    open(os.path.join(base, '.fleet-base-ready'), 'w').close()


def payload_files(tree):
    files = set()
    for folder, _, names in os.walk(tree):
        for name in names:
            files.add(os.path.relpath(os.path.join(folder, name), tree).replace(os.sep, '/'))
    return files


def read_text(path):
    try:
        with open(path, encoding='utf-8-sig') as text:
            return text.read()
    except OSError:
        return ''


def logged_files(log_path):
    """The stored paths of the uninstall log's numbered keys."""
    log = configparser.ConfigParser(interpolation=None, strict=False)
    log.optionxform = str
    log.read(log_path, encoding='cp1252')
    if not log.has_section('Zantivo'):
        return set()
    return {value.replace('\\', '/') for key, value in log.items('Zantivo') if key.isdigit()}


def winget_switches():
    with open(os.path.join(WINGET, 'ZantivoImaging.Zantivo.installer.yaml'), encoding='utf-8') as manifest:
        return yaml.safe_load(manifest)


def check_winget_manifest(installer):
    """The fields winget needs of an installer that runs Setup.exe."""
    documents = {}
    for name in ('ZantivoImaging.Zantivo.yaml', 'ZantivoImaging.Zantivo.locale.en-US.yaml',
                 'ZantivoImaging.Zantivo.installer.yaml'):
        with open(os.path.join(WINGET, name), encoding='utf-8') as manifest:
            documents[name] = yaml.safe_load(manifest)
    for document in documents.values():
        check(document['PackageIdentifier'] == 'ZantivoImaging.Zantivo', 'winget: one package identifier')
        check(document['PackageVersion'] == '1.0.0', 'winget: the version is the text "1.0.0"')
        check(document['ManifestVersion'] == '1.10.0', 'winget: manifest version 1.10.0')
    types = sorted(d['ManifestType'] for d in documents.values())
    check(types == ['defaultLocale', 'installer', 'version'], 'winget: version, defaultLocale and installer')
    locale = documents['ZantivoImaging.Zantivo.locale.en-US.yaml']
    for field in ('Publisher', 'PackageName', 'License', 'ShortDescription', 'PackageLocale'):
        check(locale.get(field), 'winget: the locale gives ' + field)
    check(installer['InstallerType'] == 'zip' and installer['NestedInstallerType'] == 'exe'
          and installer['NestedInstallerFiles'] == [{'RelativeFilePath': 'Setup.exe'}],
          'winget: the setup folder zipped, Setup.exe run inside it')
    for entry in installer['Installers']:
        check(entry['Architecture'] == 'x86', 'winget: the 32-bit Setup.exe')
        sha = entry['InstallerSha256']
        check(isinstance(sha, str) and len(sha) == 64 and all(c in '0123456789abcdefABCDEF' for c in sha),
              'winget: InstallerSha256 is a text of 64 hex digits')
    switches = installer['InstallerSwitches']
    check('<INSTALLPATH>' in switches['InstallLocation'] and '<LOGPATH>' in switches['Log'],
          'winget: InstallLocation and Log take the paths winget gives')
    codes = {c['InstallerReturnCode']: c['ReturnResponse'] for c in installer['ExpectedReturnCodes']}
    check(codes == {1602: 'cancelledByUser', 1618: 'installInProgress', 1639: 'invalidParameter'},
          'winget: the expected return codes')


class Fleet:
    def __init__(self, arguments):
        self.arch = arguments.arch
        self.build = os.path.abspath(arguments.build)
        self.folders = os.path.abspath(arguments.folders)
        self.work = os.path.join(self.build, 'fleet')
        self.probe = windows_path(os.path.join(self.build, 'tests', 'fleet_probe.exe'))
        self.product_tree = os.path.join(self.build, 'demo-product')
        self.payload = payload_files(self.product_tree)
        self.installer = winget_switches()
        self.keep = arguments.keep

    def setup(self, folder='demo'):
        return '"%s"' % windows_path(os.path.join(self.folders, folder, 'Setup.exe'))

    def machine(self, name):
        prefix = os.path.join(self.work, name)
        shutil.rmtree(prefix, ignore_errors=True)
        subprocess.run(['cp', '-a', os.path.join(self.work, 'base'), prefix], check=True)
        return Machine(name, self.arch, prefix, self.probe)

    # ---- one machine installing and uninstalling ----------------------------------------------

    def install_and_remove(self, plan):
        machine = self.machine(plan['name'])
        try:
            started = time.monotonic()
            result = machine.run(plan['command'])
            print('%s: %s in %.1f s' % (plan['name'], result, time.monotonic() - started), flush=True)
            name = plan['name']
            if not check(result.get('exit_code') == 0 and not result.get('timed_out'), name + ': exit code 0'):
                print(read_text(machine.c(plan['log'])))
                return
            check(bool(result['windows']) == plan['window'],
                  '%s: %s' % (name, 'the installing page shows' if plan['window'] else 'no window at all'))
            self.check_installation(machine, plan)
            self.check_removal(machine, plan)
        finally:
            machine.stop()

    def check_installation(self, machine, plan):
        name, destination = plan['name'], plan['destination']
        folder = machine.c(destination)
        for relative in sorted(self.payload):
            installed = os.path.join(folder, relative)
            if not check(os.path.isfile(installed), '%s: %s installed' % (name, relative)):
                continue
            if relative.lower() not in REWRITTEN and not relative.lower().startswith('lang/res'):
                with open(installed, 'rb') as a, open(os.path.join(self.product_tree, relative), 'rb') as b:
                    check(a.read() == b.read(), '%s: %s byte for byte' % (name, relative))
        check(logged_files(os.path.join(folder, 'Uninstall.log')) == self.payload,
              name + ': the uninstall log lists every file of the payload')
        languages = configparser.ConfigParser()
        with open(os.path.join(folder, 'lang', 'Language.ini'), 'rb') as catalogue:
            languages.read_string(catalogue.read().decode('utf-16'))
        listed = languages.get('System', 'LanguageList', fallback='').split('||')
        check(languages.get('System', 'Languare', fallback='') == str(listed.index(plan['language'])),
              '%s: the product runs in %s' % (name, plan['language']))

        report = machine.report()
        entry = report.get('uninstall_entry') or {}
        value = lambda key: (entry.get(key) or {}).get('value')
        uninstaller = destination + 'UnInstall.exe'
        expected = {'DisplayName': PRODUCT, 'DisplayVersion': '1.0.0', 'Publisher': 'Zantivo Imaging',
                    'InstallLocation': destination, 'DisplayIcon': destination + 'Zantivo.exe',
                    'UninstallString': '"%s"' % uninstaller, 'QuietUninstallString': '"%s" /quiet' % uninstaller,
                    'NoModify': 1, 'NoRepair': 1, 'InstallDate': time.strftime('%Y%m%d')}
        for key, wanted in expected.items():
            check(value(key) == wanted, '%s: Apps & Features %s is %r, not %r' % (name, key, wanted, value(key)))
        size = sum(os.path.getsize(os.path.join(self.product_tree, f)) for f in self.payload)
        check(value('EstimatedSize') == (size + 1023) // 1024, name + ': EstimatedSize in KiB')
        for key, entry_wanted in self.installer['AppsAndFeaturesEntries'][0].items():
            if key != 'InstallerType':
                check(value(key) == entry_wanted, '%s: the winget manifest\'s %s holds' % (name, key))
        check((report['product_key'] or {}).get('InstallPath', {}).get('value') == destination,
              name + ': InstallPath')

        # Shortcuts: the program on the desktop and in the group, the uninstaller and the manual.
        owner = 'common_' if plan['all_users'] else ''
        desktop, programs = report['folders'][owner + 'desktop'], report['folders'][owner + 'programs']
        manual = 'lang\\Zantivo%s.pdf' % plan['language']
        wanted = {desktop + '\\Zantivo.lnk': destination + 'Zantivo.exe',
                  programs + '\\Zantivo\\Zantivo.lnk': destination + 'Zantivo.exe',
                  programs + '\\Zantivo\\UnInstall Zantivo.lnk': destination + 'UnInstall.exe',
                  programs + '\\Zantivo\\%s.lnk' % plan['manual']: destination + manual}
        found = {link['path']: link['target'] for link in report['links'] if link['target'].startswith(destination)}
        check(found == wanted, '%s: shortcuts %r, not %r' % (name, found, wanted))

        log = read_text(machine.c(plan['log']))
        for line in ('Arguments: ' + plan['command'].split(' ', 1)[1], 'Installing into %s in the language %s'
                     % (destination, plan['language']), 'Step "Extracting the payload": done after',
                     'Step "Registering with Apps & Features": done after', 'Exit code: 0 (success)',
                     'Shortcuts: the common' if plan['all_users'] else 'Shortcuts: the current user'):
            check(line in log, '%s: the log says %r' % (name, line))

    def check_removal(self, machine, plan):
        name, destination = plan['name'], plan['destination']
        result = machine.json('uninstall', PRODUCT, '120', timeout=240)
        check(result.get('exit_code') == 0, '%s: the QuietUninstallString ran: %s' % (name, result))
        folder = machine.c(destination)
        deadline = time.monotonic() + 30  # the uninstaller's copy removes it after it has ended
        while os.path.exists(os.path.join(folder, 'UnInstall.exe')) and time.monotonic() < deadline:
            time.sleep(0.2)
        left = [f for f in self.payload if os.path.exists(os.path.join(folder, f))]
        check(not left, '%s: nothing of the payload stays: %s' % (name, left))
        report = machine.report()
        check(report.get('uninstall_entry') is None, name + ': no Apps & Features entry stays')
        check('InstallPath' not in (report.get('product_key') or {}), name + ': no InstallPath stays')
        links = [link['path'] for link in report.get('links', []) if link['target'].startswith(destination)]
        check(not links, '%s: no shortcut stays: %s' % (name, links))
        for owner in ('', 'common_'):
            check(not os.path.exists(machine_path(machine, report['folders'][owner + 'programs'] + '\\Zantivo')),
                  name + ': the emptied program group is gone')

    # ---- what goes wrong ------------------------------------------------------------------------

    def trouble(self):
        machine = self.machine('trouble')
        try:
            self.second_installation_and_file_in_use(machine)
            for folder, reason in (('cut-data', 'Error: Not a valid zip file!'),
                                   ('no-payload', 'Setup.dat is missing')):
                log = 'C:\\%s.log' % folder
                result = machine.run('%s /S /D=C:\\%s\\ /LOG="%s"' % (self.setup(folder), folder, log))
                check(result.get('exit_code') == 1603 and not result['windows'],
                      '%s: 1603 and no window: %s' % (folder, result))
                text = read_text(machine.c(log))
                check(reason in text and 'Exit code: 1603' in text, '%s: the log gives the reason:\n%s' % (folder, text))
            result = machine.run(self.setup() + ' /S /BOGUS /LOG="C:\\bogus.log"')
            check(result.get('exit_code') == 1639 and not result['windows'], 'an unknown switch: 1639: %s' % result)
            check('unknown switch "/BOGUS"' in read_text(machine.c('C:\\bogus.log')), 'the log names the switch')
            check(not os.path.exists(machine.c('C:\\Program Files\\ZantivoSys')), 'a bad command line installs nothing')
        finally:
            machine.stop()

    def second_installation_and_file_in_use(self, machine):
        holder = machine.wine('hold', 'C:\\Held\\Zantivo\\UnInstall.exe', '40', background=True)
        check(holder.stdout.readline().strip() == 'held', 'the file is held open')
        first = machine.start(self.setup() + ' /S /D=C:\\Held\\Zantivo\\ /LOG="C:\\held.log"')
        deadline = time.monotonic() + 60
        while 'No one to answer: retrying' not in read_text(machine.c('C:\\held.log')) and time.monotonic() < deadline:
            time.sleep(0.1)
        # The first one is retrying the file: a second installation now must not start.
        second = machine.run(self.setup() + ' /VERYSILENT /DIR="C:\\Second" /LOG="C:\\second.log"')
        check(second.get('exit_code') == 1618 and not second['windows'], 'a second installation: 1618: %s' % second)
        check(not os.path.exists(machine.c('C:\\Second')), 'the second installation wrote nothing')
        check('Exit code: 1618' in read_text(machine.c('C:\\second.log')), 'the second one\'s log says 1618')
        first_result = json.loads(first.communicate(timeout=180)[0].strip().splitlines()[-1])
        text = read_text(machine.c('C:\\held.log'))
        check(first_result['exit_code'] == 1603 and not first_result['timed_out'] and not first_result['windows'],
              'a file held open: 1603 after the retries: %s' % first_result)
        check(first_result['seconds'] >= 5, 'the file was retried for some seconds')
        check('C:\\Held\\Zantivo\\UnInstall.exe' in text and '(retry 5 of 5)' in text and 'Exit code: 1603' in text,
              'the log names the file and the retries:\n' + text)
        holder.kill()
        holder.wait()

    def run(self):
        check_winget_manifest(self.installer)
        os.makedirs(self.work, exist_ok=True)
        started = time.monotonic()
        make_base(self.arch, os.path.join(self.work, 'base'))
        print('base prefix ready after %.1f s' % (time.monotonic() - started), flush=True)
        switches = self.installer['InstallerSwitches']
        winget_folder = 'C:\\Program Files\\Zantivo Fleet'
        winget_log = 'C:\\winget.log'
        plans = [
            dict(name='done-when', command=self.setup() + ' /S /D=C:\\Fleet\\Zantivo\\ /LOG="C:\\fleet.log"',
                 destination='C:\\Fleet\\Zantivo\\', log='C:\\fleet.log'),
            dict(name='winget', command=' '.join([
                self.setup(), switches['Silent'], switches['InstallLocation'].replace('<INSTALLPATH>', winget_folder),
                switches['Log'].replace('<LOGPATH>', winget_log)]), destination=winget_folder + '\\', log=winget_log),
            dict(name='all-users', command=self.setup() + ' /quiet /ALLUSERS /LANG=DE /LOG="C:\\all-users.log"',
                 destination='C:\\Program Files\\ZantivoSys\\', log='C:\\all-users.log', all_users=True,
                 language='DE', manual='Benutzerhandbuch'),
            dict(name='passive', command=' '.join([
                self.setup(), switches['SilentWithProgress'], switches['Log'].replace('<LOGPATH>', 'C:\\passive.log')]),
                destination='C:\\Program Files\\ZantivoSys\\', log='C:\\passive.log', window=True),
        ]
        for plan in plans:
            plan.setdefault('all_users', False)
            plan.setdefault('language', 'EN')
            plan.setdefault('manual', 'User Manual')
            plan.setdefault('window', False)
        with concurrent.futures.ThreadPoolExecutor(len(plans) + 1) as pool:
            jobs = [pool.submit(self.install_and_remove, plan) for plan in plans] + [pool.submit(self.trouble)]
            for job in jobs:
                job.result()
        if not self.keep:
            for plan in plans + [{'name': 'trouble'}]:
                shutil.rmtree(os.path.join(self.work, plan['name']), ignore_errors=True)
        print('fleet done in %.1f s' % (time.monotonic() - started))


def machine_path(machine, windows):
    return machine.c(windows) if windows[:3].upper() == 'C:\\' else windows


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--arch', required=True, choices=['win32', 'win64'])
    parser.add_argument('--build', required=True)
    parser.add_argument('--folders', required=True)
    parser.add_argument('--keep', action='store_true', help='keep the machines afterwards, to look at them')
    Fleet(parser.parse_args()).run()
    if failures:
        print('%d of %d checks failed' % (len(failures), checks[0]))
        return 1
    print('all %d checks held' % checks[0])
    return 0


if __name__ == '__main__':
    sys.exit(main())
