#!/bin/bash
# Prepares the Linux-side fixtures of the copy tests, runs the test program
# under Wine and removes the fixtures again: a tree holding links to an empty
# and to a non-empty directory outside it, and (as root) a 256 KiB file system
# that a larger copy fills up.
set -u
exe="$1"
shift
fix=$(mktemp -d /tmp/pelmo-copymove.XXXXXX)
mkdir -p "$fix/outside/empty" "$fix/outside/full" "$fix/tree/sub" "$fix/full"
echo target >"$fix/outside/full/keep.txt"
echo a >"$fix/tree/a.txt"
echo b >"$fix/tree/sub/b.txt"
ln -s "$fix/outside/empty" "$fix/tree/linkEmpty"
ln -s "$fix/outside/full" "$fix/tree/linkFull"
winpath() { printf 'Z:%s\\' "${1//\//\\}"; }
export PELMO_FIXTURE="$(winpath "$fix")"
mounted=0
if mount -t tmpfs -o size=256k tmpfs "$fix/full" 2>/dev/null; then
  mounted=1
  export PELMO_FULLDISK="$(winpath "$fix/full")"
fi
wine "$exe" "$@"
rc=$?
if [ "$mounted" = 1 ]; then umount "$fix/full"; fi
rm -rf "$fix"
exit $rc
