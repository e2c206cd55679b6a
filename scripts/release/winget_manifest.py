#!/usr/bin/env python3
"""Writes the release's winget manifests from the demo's.

  winget_manifest.py SOURCE_DIR OUT_DIR VERSION SHA256 [URL]

Copies every manifest of SOURCE_DIR to OUT_DIR with the installer's
InstallerSha256 set to SHA256 and, when URL is given, its InstallerUrl set
to URL (otherwise it keeps the source's placeholder). The lines are
rewritten in place, so the comments stay; the result is read back as YAML
and checked. Every manifest's PackageVersion must be VERSION, the product's
own: a manifest that names another version would mislead winget.
"""
import os
import re
import sys

import yaml


def fail(message):
    sys.exit('winget_manifest: ' + message)


def set_value(text, key, value, path):
    pattern = re.compile(r'^(\s*%s:\s*).*$' % key, re.MULTILINE)
    text, count = pattern.subn(lambda match: match.group(1) + value, text)
    if count != 1:
        fail('%s has %d %s lines, not one' % (path, count, key))
    return text


def main(argv):
    if len(argv) not in (4, 5):
        sys.exit(__doc__)
    source, out, version, sha256 = argv[:4]
    url = argv[4] if len(argv) == 5 else ''
    if not re.fullmatch(r'[0-9a-f]{64}', sha256):
        fail('"%s" is not a SHA-256 in hex' % sha256)
    names = sorted(name for name in os.listdir(source) if name.endswith('.yaml'))
    installers = 0
    for name in names:
        with open(os.path.join(source, name), encoding='utf-8') as file:
            text = file.read()
        document = yaml.safe_load(text)
        if str(document.get('PackageVersion')) != version:
            fail('%s says PackageVersion %s, but the product is %s' % (name, document.get('PackageVersion'), version))
        if document.get('ManifestType') == 'installer':
            installers += 1
            text = set_value(text, 'InstallerSha256', '"%s"' % sha256.upper(), name)
            if url:
                text = set_value(text, 'InstallerUrl', url, name)
            document = yaml.safe_load(text)
            installer, = document['Installers']
            if installer['InstallerSha256'] != sha256.upper() or (url and installer['InstallerUrl'] != url):
                fail('%s: the rewritten values do not read back' % name)
        with open(os.path.join(out, name), 'w', encoding='utf-8') as file:
            file.write(text)
    if installers != 1:
        fail('%s holds %d installer manifests, not one' % (source, installers))


if __name__ == '__main__':
    main(sys.argv[1:])
