#!/bin/bash
# Runs the ZIP test program, which leaves every archive it made (with what it
# must hold) in a fresh folder, then checks those archives with unzip, 7-Zip,
# zipinfo and Python's zipfile.
#
# Fixtures that Wine cannot make are made here: directory symbolic links, a
# directory path too long to list and a 256 KiB file system that fills up.
# PELMO_ZIP_SLOW=1 adds the slow cases (not run by CI; about 8 minutes and
# 9 GB of disk below /tmp): an entry of 4.5 GiB zeros (a sparse file), and a
# file of random bytes just below 4 GiB whose archive passes 4 GiB. Alone,
# after `source scripts/env.sh`:
#   PELMO_ZIP_SLOW=1 GTEST_FILTER='*4Point5*:*OffsetsBeyond*' \
#     bash tests/zip/run.sh build/tests/test_zip.exe
set -u
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp -d /tmp/pelmo-zip-XXXXXX)
full=$(mktemp -d /tmp/pelmo-zip-full-XXXXXX)
links=$(mktemp -d /tmp/pelmo-zip-links-XXXXXX)
trap 'umount "$full" 2>/dev/null; rm -rf "$out" "$full" "$links"' EXIT
windows() { echo "Z:${1//\//\\}"; }
export PELMO_ZIP_OUT=$(windows "$out")
export PELMO_ZIP_REFERENCE=$(windows "$here/classic-reference.zip")

# A small full disk for the write-failure case (needs root; skipped otherwise).
if mount -t tmpfs -o size=256k tmpfs "$full" 2>/dev/null; then
    export PELMO_ZIP_FULL=$(windows "$full")
fi

mkdir -p "$links/tree/real/sub" "$links/outside"
echo a >"$links/tree/a.txt"
echo b >"$links/tree/real/b.txt"
echo c >"$links/tree/real/sub/c.txt"
echo o >"$links/outside/o.txt"
ln -s .. "$links/tree/real/up"
ln -s real "$links/tree/sib"
ln -s ../outside "$links/tree/out"
ln -s ../tree "$links/outside/back"
# A directory whose path is too long to be listed.
long="$links/deep/$(printf 'd%.0s' {1..120})/$(printf 'e%.0s' {1..120})"
mkdir -p "$long"
echo f >"$long/f.txt"
export PELMO_ZIP_LINKS=$(windows "$links")

if [ "${PELMO_ZIP_SLOW:-}" = 1 ]; then
    truncate -s 4608M "$out/zeros.bin"
    export PELMO_ZIP_BIG=$(windows "$out/zeros.bin")
    # 0xFFFF0000 bytes: below 4 GiB, but more than 4 GiB once deflated.
    head -c 4294901760 /dev/urandom >"$out/near4g.bin"
    export PELMO_ZIP_NEAR4G=$(windows "$out/near4g.bin")
fi

wine "$1"
status=$?
rm -f "$out/zeros.bin"
python3 "$here/check_archives.py" "$out" || status=1
exit $status
