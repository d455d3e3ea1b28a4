#!/bin/bash
# Runs the ZIP test program, which leaves every archive it made (with what it
# must hold) in a fresh folder, then checks those archives with unzip,
# zipinfo and Python's zipfile.
set -u
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp -d /tmp/pelmo-zip-XXXXXX)
full=$(mktemp -d /tmp/pelmo-zip-full-XXXXXX)
trap 'umount "$full" 2>/dev/null; rm -rf "$out" "$full"' EXIT
export PELMO_ZIP_OUT="Z:${out//\//\\}"
# A small full disk for the write-failure case (needs root; skipped otherwise).
if mount -t tmpfs -o size=256k tmpfs "$full" 2>/dev/null; then
    export PELMO_ZIP_FULL="Z:${full//\//\\}"
fi
wine "$1"
status=$?
python3 "$here/check_archives.py" "$out" || status=1
exit $status
