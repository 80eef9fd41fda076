#!/usr/bin/env bash
# Writes out the reader's table of unusual and damaged archives (tests/archive/ReaderVerdictCases.h)
# and runs Python's zipfile, Info-ZIP unzip and bsdtar on each, next to what the table says the
# reader must do. Run after `bash scripts/build.sh linux`; needs python3, unzip and bsdtar.
# Usage: bash scripts/reader-verdicts.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/linux}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
ZORV_VERDICT_DIR=$dir "$build/tests/archive-reader-tests" --gtest_filter='Cases/ReaderVerdicts.*' >/dev/null
password=$(sed -n 's/.*ZORV_ARCHIVE_PASSWORD = "\(.*\)";/\1/p' "$root/src/archive/AbZipKit.cpp")
python3 - "$dir" "$password" <<'PY'
import glob, os, subprocess, sys, zipfile
folder, password = sys.argv[1], sys.argv[2]

def entries_of_table(path):
    lines = open(path).read().split('\n')
    pairs = [line.split('\t') for line in lines[1:] if line]
    return lines[0], [(bytes.fromhex(n), bytes.fromhex(b)) for n, b in pairs]

def zipfile_verdict(path):
    try:
        with zipfile.ZipFile(path) as z:
            return 'read', [(i.filename.encode(), z.read(i, pwd=password.encode())) for i in z.infolist()]
    except Exception as e:
        return 'refuse', type(e).__name__

def unzip_verdict(path):
    names = subprocess.run(['unzip', '-Z1', path], capture_output=True)
    test = subprocess.run(['unzip', '-qq', '-t', '-P', password, path], capture_output=True)
    if names.returncode >= 2 and not names.stdout:
        return 'refuse', 'exit %d' % names.returncode
    return ('read' if test.returncode == 0 else 'read with errors (exit %d)' % test.returncode,
            names.stdout.decode('latin-1').splitlines())

def bsdtar_verdict(path):
    listed = subprocess.run(['bsdtar', '-tf', path], capture_output=True)
    extracted = subprocess.run(['bsdtar', '--passphrase', password, '-xOf', path], capture_output=True)
    if listed.returncode != 0 and not listed.stdout:
        return 'refuse', listed.stderr.decode('latin-1').strip().splitlines()[0]
    return 'read' if extracted.returncode == 0 else 'read with errors', listed.stdout.decode('latin-1').splitlines()

disagreements = 0
for path in sorted(glob.glob(os.path.join(folder, '*.zip'))):
    name = os.path.basename(path)[:-4]
    ours, entries = entries_of_table(path[:-4] + '.expected')
    verdicts = {'zipfile': zipfile_verdict(path), 'unzip': unzip_verdict(path), 'bsdtar': bsdtar_verdict(path)}
    plain = {tool: v[0] for tool, v in verdicts.items()}
    agreed = set(plain.values())
    note = ''
    if len(agreed) == 1 and next(iter(agreed)) in ('read', 'refuse'):
        if next(iter(agreed)) != ours:
            note = '  <-- the three agree on %s' % next(iter(agreed))
            disagreements += 1
        elif ours == 'read' and verdicts['zipfile'][1] != entries:
            note = '  <-- zipfile reads other entries: %r' % (verdicts['zipfile'][1],)
            disagreements += 1
    print('%-42s reader: %-6s %s%s' % (name, ours, '  '.join('%s: %s' % kv for kv in plain.items()), note))
    if ours == 'read':
        print('%-42s entries: %r' % ('', [n for n, _ in entries]))
sys.exit(1 if disagreements else 0)
PY
