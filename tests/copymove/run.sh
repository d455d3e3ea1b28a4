#!/bin/bash
# Prepares the Linux-side fixtures of the copy tests, runs the test program
# under Wine and removes the fixtures again: a tree holding links to an empty
# and to a non-empty directory outside it, and (as root) a 256 KiB file system
# that a larger copy fills up; and a directory with a link to it, to copy and
# move into under another name.
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
mkdir -p "$fix/same/Work"
ln -s "$fix/same/Work" "$fix/same/toWork"
winpath() { printf 'Z:%s\\' "${1//\//\\}"; }
export PELMO_FIXTURE="$(winpath "$fix")"
mounted=0
cleanup() {
  if [ "$mounted" = 1 ]; then umount "$fix/full"; fi
  rm -rf "$fix"
}
trap cleanup EXIT
if mount -t tmpfs -o size=256k tmpfs "$fix/full" 2>/dev/null; then
  mounted=1
  export PELMO_FULLDISK="$(winpath "$fix/full")"
fi
# Each test runs in a process of its own: once a test window has closed, the
# application has seen its quit message and later modal loops would end at once.
rc=0
if [ $# -gt 0 ]; then
  wine "$exe" "$@" || rc=$?
else
  suite=""
  for t in $(wine "$exe" --gtest_list_tests | tr -d '\r'); do
    case "$t" in
      *.) suite="$t" ;;
      *) if [ -n "$suite" ]; then wine "$exe" --gtest_filter="$suite$t" || rc=1; fi ;;
    esac
  done
fi
exit $rc
