#!/bin/bash
# Runs the ZIP test program, which leaves every archive it made (with what it
# must hold) in a fresh folder, then checks those archives with unzip,
# zipinfo and Python's zipfile.
set -u
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp -d /tmp/pelmo-zip-XXXXXX)
trap 'rm -rf "$out"' EXIT
export PELMO_ZIP_OUT="Z:${out//\//\\}"
wine "$1"
status=$?
python3 "$here/check_archives.py" "$out" || status=1
exit $status
