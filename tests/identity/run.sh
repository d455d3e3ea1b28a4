#!/usr/bin/env bash
# Makes the fixture of the identity tests from the Linux side (Wine 8 makes
# neither directory links nor hard links), runs the test program on it, and
# removes it again:
#   Work/a.txt, Work/hard.txt   one file under two names (a hard link)
#   Work/twin.txt               another file with the same bytes
#   Work/sub/                   a subdirectory
#   toWork -> Work              a directory link to the whole directory
#   other/toSub -> Work/sub     a link that leads into Work from outside it
set -u
exe="$1"
shift
base=$(mktemp -d /tmp/pelmo-identity-XXXXXX)
trap 'rm -rf "$base"' EXIT
mkdir -p "$base/Work/sub" "$base/other"
echo same >"$base/Work/a.txt"
echo same >"$base/Work/twin.txt"
ln "$base/Work/a.txt" "$base/Work/hard.txt"
ln -s "$base/Work" "$base/toWork"
ln -s "$base/Work/sub" "$base/other/toSub"
export PELMO_IDENTITY_FIXTURE="Z:${base//\//\\}\\"
wine "$exe" "$@"
