#!/usr/bin/env bash
# Makes directory links from the Linux side (Wine 8 cannot create them), runs
# the test program on them, and checks from Linux afterwards that nothing a
# link pointed to was touched.
set -u
exe="$1"
shift
base=$(mktemp -d /tmp/pelmo-links-XXXXXX)
trap 'rm -rf "$base"' EXIT

# <case>/tree holds links to an empty and to a non-empty directory outside
# it; <case>/emptyLink and <case>/fullLink are list entries of their own.
for c in walk entry rename; do
  d="$base/$c"
  mkdir -p "$d/tree/sub" "$d/outside/empty" "$d/outside/full/inner"
  echo keep >"$d/outside/full/keep.txt"
  echo deep >"$d/outside/full/inner/deep.txt"
  echo plain >"$d/tree/plain.txt"
  echo sub >"$d/tree/sub/file.txt"
  ln -s ../../outside/empty "$d/tree/sub/toEmpty"
  ln -s "$d/outside/full" "$d/tree/toFull"
  ln -s outside/empty "$d/emptyLink"
  ln -s outside/full "$d/fullLink"
  for l in tree/sub/toEmpty tree/toFull emptyLink fullLink; do
    [ -L "$d/$l" ] || { echo "run.sh: could not make the link $d/$l" >&2; exit 1; }
  done
done

export PELMO_LINK_FIXTURE="Z:${base//\//\\}"
wine "$exe" "$@"
rc=$?

for c in walk entry rename; do
  d="$base/$c/outside"
  if [ ! -d "$d/empty" ] || [ "$(cat "$d/full/keep.txt" 2>/dev/null)" != keep ] ||
     [ "$(cat "$d/full/inner/deep.txt" 2>/dev/null)" != deep ]; then
    echo "run.sh: a link target outside the tree was touched ($c)" >&2
    ls -lR "$base/$c" >&2
    rc=1
  fi
done
exit $rc
