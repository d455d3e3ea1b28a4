#!/usr/bin/env bash
# Compressing a directory that holds linked subdirectories, through the
# window: P on the directory, a name typed into the prompt, Enter. The
# archive is checked with unzip: a link out of the tree brings its files
# under the link's name, a link back up into the tree adds nothing. Then a
# directory that cannot be listed (its path is too long) ends in the error
# report, and no archive is left.
source "$(dirname "$0")/lib.sh"
bb_begin zip

step prepare
mkdir -p "$root/work/photos/sub" "$root/shared"
echo "x image" >"$root/work/photos/x.jpg"
echo "y image" >"$root/work/photos/sub/y.jpg"
echo "shared text" >"$root/shared/s.txt"
ln -s ../../shared "$root/work/photos/linked" # out of the tree
ln -s .. "$root/work/photos/sub/up"           # back up to photos
echo "an old archive" >"$root/work/photos.zip"
long="$root/work/deep/$(printf 'd%.0s' {1..120})/$(printf 'e%.0s' {1..120})"
mkdir -p "$long"
echo f >"$long/f.txt"
{
  printf '[Window]\nLeft=24\nTop=16\nHeight=600\nWidth=900\n'
  printf '[Parameter]\nfDir=%s\\work\\\nF_Forward=1\nF_Shlwapi=0\n' "$win"
  printf '[ZipHistL]\nNumberOfList=0\n'
} | write_ini_text

step start
start_display
start_pelmo

step compress-directory
# The list: "..", deep, photos, photos.zip; the cursor starts on "..".
keys "$main" Down Down p
wait_dialog hist
type_text "$dialog" "photos"
keys "$dialog" Return
wait_closed
zip="$root/work/photos.zip"
archive_ok() { unzip -tq "$zip" >/dev/null 2>&1; }
wait_until "a complete archive" archive_ok
members=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
[ "$members" = "linked/s.txt sub/y.jpg x.jpg " ] || fail "archive holds: $members"
unzip -p "$zip" linked/s.txt | cmp -s - "$root/shared/s.txt" || fail "linked/s.txt differs"
unzip -p "$zip" sub/y.jpg | cmp -s - "$root/work/photos/sub/y.jpg" || fail "sub/y.jpg differs"
[ -L "$root/work/photos/linked" ] && [ -L "$root/work/photos/sub/up" ] || fail "a link went"
[ -z "$(other_windows)" ] || fail "a window was left open"
shot

step unlistable-directory
keys "$main" Up p
wait_dialog hist
type_text "$dialog" "deep"
keys "$dialog" Return
wait_dialog error
keys "$dialog" Return
wait_closed
listing=$(ls "$root/work" | tr '\n' ' ')
[ "$listing" = "deep photos photos.zip " ] || fail "work holds: $listing"
unzip -Z1 "$root/work/photos.zip" >/dev/null 2>&1 || fail "photos.zip was touched"

step close
close_pelmo
# The failed command leaves the history as it was.
expect_ini ZipHistL NumberOfList 1
expect_ini ZipHistL List0 "$win\\work\\photos.zip"
say "passed in $SECONDS s"
