#!/usr/bin/env bash
# A morning's work: marks, copy into a new directory, an overwrite conflict,
# make directory, rename, ZIP, sort by date, search, delete, quick access,
# close. Afterwards the files, the archive and the settings file are checked.
source "$(dirname "$0")/lib.sh"
bb_begin morning

prepare_tree() {
  mkdir -p "$root/work" "$root/quick" "$root/ref"
  local name size day=1
  for name in a1.txt b2.txt c3.txt d4.dat e5.txt; do
    size=$((day * 1000 + 37))
    head -c "$size" /dev/urandom >"$root/ref/$name"
    cp "$root/ref/$name" "$root/work/$name"
    # Distinct dates, newest last in name order but for d4.dat.
    touch -d "2024-03-0$day 09:00" "$root/work/$name"
    day=$((day + 1))
  done
  touch -d "2024-03-09 09:00" "$root/work/d4.dat"
  echo "quick access" >"$root/quick/readme.txt"
}

# Window bounds written into the settings and expected back at close.
left=24 top=16 width=1124 height=640

write_ini() {
  {
    printf '[Window]\nLeft=%s\nTop=%s\nHeight=%s\nWidth=%s\n' "$left" "$top" "$height" "$width"
    printf '[Parameter]\nfDir=%s\\work\\\nfEdit=notepad.exe\n' "$win"
    printf 'F_Forward=1\nF_Shlwapi=0\ncMode=5\ntMode=1\n'
    printf '[QaccssList]\nNumberOfList=1\nList0=%s\\quick\\\n' "$win"
    printf '[LogHistL]\nNumberOfList=0\n[ZipHistL]\nNumberOfList=0\n'
  } | write_ini_text
}

step prepare
prepare_tree
write_ini

step start
start_display
start_pelmo

step cursor-and-marks
# The list: .., a1.txt, b2.txt, c3.txt, d4.dat, e5.txt with the cursor on "..".
# Home marks every file and Home again clears them; down to b2, back up to
# a1, and Space marks a1 and b2.
keys "$main" Home Home Down Down Up space space
shot

step copy-into-new-directory
keys "$main" c
wait_dialog hist
type_text "$dialog" "$win\\out"
keys "$dialog" Return
wait_dialog qaccess # the report of the copied files
keys "$dialog" Return
wait_closed
[ "$(ls "$root/out")" = "$(printf 'a1.txt\nb2.txt')" ] || fail "out holds: $(ls "$root/out" | tr '\n' ' ')"
same "$root/ref/a1.txt" "$root/out/a1.txt"
same "$root/ref/b2.txt" "$root/out/b2.txt"

step copy-conflict-overwrite
# Newer copies at the destination: only the overwrite rule replaces them.
echo "changed at the destination" >"$root/out/a1.txt"
echo "changed as well" >"$root/out/b2.txt"
touch -d "2030-01-01 12:00" "$root/out/a1.txt" "$root/out/b2.txt"
keys "$main" c
wait_dialog hist
# The history's first entry is the current directory; Up brings the next one.
keys "$dialog" Up Return
wait_dialog copyprop
keys "$dialog" o Return
# The second conflict offers the rule chosen for the first one.
wait_dialog copyprop
keys "$dialog" Return
wait_dialog qaccess
keys "$dialog" Return
wait_closed
same "$root/ref/a1.txt" "$root/out/a1.txt"
same "$root/ref/b2.txt" "$root/out/b2.txt"

step make-directory
keys "$main" k
wait_dialog makedir
type_text "$dialog" "newdir"
keys "$dialog" Return
wait_closed
wait_until "work/newdir" test -d "$root/work/newdir"
shot

step rename
# Making the directory rescanned the list without marks; the search puts the
# cursor on c3.txt.
keys "$main" f
wait_dialog makedir
type_text "$dialog" "c3"
keys "$dialog" Return
wait_closed
keys "$main" r
wait_dialog makedir
keys "$dialog" End shift+Home
type_text "$dialog" "renamed.txt"
keys "$dialog" Return
wait_closed
wait_until "work/renamed.txt" exists "$root/work/renamed.txt"
gone "$root/work/c3.txt" || fail "c3.txt is still there"
same "$root/ref/c3.txt" "$root/work/renamed.txt"
shot

step zip
# No marks: Home marks every file (not newdir).
keys "$main" Home p
wait_dialog hist
type_text "$dialog" "bundle"
keys "$dialog" Return
wait_closed
zip="$root/work/bundle.zip"
wait_until "work/bundle.zip" exists "$zip"
archive_ok() { unzip -tq "$zip" >/dev/null 2>&1; }
wait_until "a complete archive" archive_ok
members=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
[ "$members" = "a1.txt b2.txt d4.dat e5.txt renamed.txt " ] || fail "archive holds: $members"
for name in a1.txt b2.txt d4.dat e5.txt; do
  unzip -p "$zip" "$name" | cmp -s - "$root/ref/$name" || fail "$name differs in the archive"
done
unzip -p "$zip" renamed.txt | cmp -s - "$root/ref/c3.txt" || fail "renamed.txt differs in the archive"
shot

step sort-by-date
keys "$main" Home s
wait_dialog sortprop
# T chooses the date; Enter on a key button moves to the direction, Enter again is OK.
keys "$dialog" t Return Return
wait_closed
shot

step search-and-delete
# Left goes to the first entry: the search looks forward from the cursor.
keys "$main" Left f
wait_dialog makedir
type_text "$dialog" "e5"
keys "$dialog" Return
wait_closed
keys "$main" d
wait_dialog msgbox
keys "$dialog" Return
wait_closed
wait_until "e5.txt to go" gone "$root/work/e5.txt"
for name in a1.txt b2.txt d4.dat renamed.txt bundle.zip newdir; do
  exists "$root/work/$name" || fail "$name went as well"
done
shot

step mistyped-directory
# A directory that is not there: the notice, and no change of directory.
keys "$main" l
wait_dialog hist
type_text "$dialog" "$win\\nowhere"
keys "$dialog" Return
wait_dialog notice
keys "$dialog" Return
wait_closed

step quick-access
keys "$main" q
wait_dialog qaccess
keys "$dialog" Return
wait_closed
shot

step close
main_geometry
close_pelmo
shot

step settings-written
[ "$(head -c 2 "$app/PELMO.INI" | od -An -tx1 | tr -d ' ')" = "fffe" ] ||
  fail "PELMO.INI lost its UTF-16LE byte-order mark"
cp "$app/PELMO.INI" "$shots/PELMO.INI"
# The bounds read at start, the window's own on the display, and those stored.
[ "$X $Y $WIDTH $HEIGHT" = "$left $top $width $height" ] ||
  fail "the window was at $X,$Y size ${WIDTH}x$HEIGHT, not as the settings said"
expect_ini Window Left "$left"
expect_ini Window Top "$top"
expect_ini Window Width "$width"
expect_ini Window Height "$height"
expect_ini Parameter cMode 2
expect_ini Parameter tMode 3
expect_ini Parameter F_Forward 1
expect_ini Parameter fDir "$win\\quick\\"
expect_ini QaccssList NumberOfList 1
expect_ini QaccssList List0 "$win\\quick\\"
# Each directory entered and each destination, the latest first.
expect_ini LogHistL NumberOfList 4
expect_ini LogHistL List0 "$win\\quick\\"
expect_ini LogHistL List1 "$win\\work\\"
expect_ini LogHistL List2 "$win\\work\\newdir\\"
expect_ini LogHistL List3 "$win\\out\\"
expect_ini ZipHistL NumberOfList 1
expect_ini ZipHistL List0 "$win\\work\\bundle.zip"
say "passed in $SECONDS s"
