#!/bin/bash
# Runs the drop tests, as root with a 256 KiB file system mounted for the
# drops that do not fit; without root those cases are skipped.
set -u
exe="$1"
shift
fix=$(mktemp -d /tmp/pelmo-dragdrop.XXXXXX)
mounted=0
cleanup() {
  if [ "$mounted" = 1 ]; then umount "$fix"; fi
  rmdir "$fix"
}
trap cleanup EXIT
if mount -t tmpfs -o size=256k tmpfs "$fix" 2>/dev/null; then
  mounted=1
  export PELMO_FULLDISK="Z:${fix//\//\\}\\"
fi
wine "$exe" "$@"
