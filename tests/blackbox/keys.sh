#!/usr/bin/env bash
# Every key binding of the main window, typed through the real keyboard with
# Shift variants, each seen by its effect: the file it deletes, copies, moves,
# renames or packs, the directory it makes, the program it starts, the dialog
# it opens, or the settings written at close. A swapped or missing binding
# deletes, opens or writes the wrong thing.
deadline=170
source "$(dirname "$0")/lib.sh"
bb_begin keys

w="$root/work"
mkdir -p "$w/d1" "$w/d2" "$root/edited"
for i in $(seq -w 1 60); do echo "f$i" >"$w/f$i.txt"; done
# Programs the open commands start: each leaves its mark beside the tree.
for name in x z sz; do
  printf '@echo %s> "%s\\%s.mark"\r\n' "$name" "$win" "$name" >"$w/run_$name.bat"
done
printf '@copy "%%~1" "%s\\edited\\" >nul\r\n' "$win" >"$root/edit.bat"
{
  printf '[Window]\nLeft=10\nTop=10\nWidth=900\nHeight=600\n'
  printf '[Parameter]\nfDir=%s\\work\\\nfEdit=%s\\edit.bat\ntMode=1\nF_Forward=1\n' "$win" "$win"
} | write_ini_text

gone_file() { [ ! -e "$w/$1" ] || fail "$1 is still there"; }
kept_file() { [ -e "$w/$1" ] || fail "$1 has gone"; }

# Deletes the cursor entry through the confirmation (Shift+D).
delete_cursor() {
  keys "$main" shift+d
  wait_dialog msgbox
  keys "$dialog" Return
  wait_closed
}

# Opens dialog $2 with the keys $1, types $3 (after selecting what is there)
# and confirms; a copy or move ends with its report.
answer() {
  local k=$1 kind=$2 text=$3 report=${4:-}
  keys "$main" "$k"
  wait_dialog "$kind"
  keys "$dialog" Home shift+End # what is there gives way
  type_text "$dialog" "$text"
  keys "$dialog" Return
  if [ -n "$report" ]; then
    wait_dialog qaccess
    keys "$dialog" Return
  fi
  wait_closed
}

# Opens dialog $2 with the keys $1 and closes it with Esc.
opens() {
  keys "$main" "$1"
  wait_dialog "$2"
  keys "$dialog" Escape
  wait_closed
}

# A started program may take the activation: a click on the title bar
# brings Pelmo back, as a person does.
main_active() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$main" ]; }
activate_main() {
  sleep 0.5
  xdotool mousemove "$((X + 200))" "$((Y + 10))" click 1
  wait_until "Pelmo to be active" main_active
}

# Keys that show nothing and change nothing on the disk.
quiet() {
  local before
  before=$(find "$root" -newer "$root/edit.bat" | sort)
  keys "$main" "$@"
  sleep 0.5
  no_dialog || fail "keys $* opened a window"
  [ "$(find "$root" -newer "$root/edit.bat" | sort)" = "$before" ] || fail "keys $* changed files"
}

step start
start_display
start_pelmo
# The list: "..", d1, d2, f01 ... f60, run_sz.bat, run_x.bat, run_z.bat.

step esc
quiet Escape

step down-shift-d
keys "$main" Down Down Down Down # f02
delete_cursor
gone_file f02.txt
kept_file f01.txt

step up-d
keys "$main" Up # f01
keys "$main" d
wait_dialog msgbox
keys "$dialog" Return
wait_closed
gone_file f01.txt

step space-f4
# f03 and f04 marked; F4 deletes the marked entries; the cursor ends on f05.
keys "$main" space space F4
wait_dialog msgbox
keys "$dialog" Return
wait_closed
gone_file f03.txt
gone_file f04.txt
kept_file f05.txt

step home-marks-files-c-copies
keys "$main" Home
answer c hist "$win\\out1" report
[ "$(ls "$root/out1" | wc -l)" = 59 ] || fail "out1 holds $(ls "$root/out1" | wc -l) entries, not the 59 files"
[ ! -e "$root/out1/d1" ] || fail "Home marked a directory"
keys "$main" Home # clears

step end-marks-all-shift-c-copies
keys "$main" End
answer shift+c hist "$win\\out2" report
[ -d "$root/out2/d1" ] && [ -d "$root/out2/d2" ] && [ "$(ls "$root/out2" | wc -l)" = 61 ] ||
  fail "End did not mark every entry: out2 holds $(ls "$root/out2" | tr '\n' ' ')"
keys "$main" Home

step right-left
# The cursor is on f05 (index 3); Right moves it one page on.
keys "$main" Right
delete_cursor
deleted=$(cd "$root/out1" && for f in f*.txt; do [ -e "$w/$f" ] || echo "$f"; done | grep -vx f05.txt || true)
[ "$(echo "$deleted" | wc -w)" = 1 ] || fail "Right then Shift+D deleted: $deleted"
num=${deleted#f}
num=$((10#${num%.txt}))
lines=$((num - 5))
[ "$lines" -ge 5 ] || fail "a page of $lines lines"
say "a page holds $lines lines"
keys "$main" Left # back to f05
delete_cursor
gone_file f05.txt

step right-to-the-end-z
keys "$main" Right Right Right Right # the last entry, run_z.bat
keys "$main" z
wait_until "run_z.bat to run" exists "$root/z.mark"
activate_main

step x-shift-x
keys "$main" Up # run_x.bat
quiet x
[ ! -e "$root/x.mark" ] || fail "plain X opened the file"
keys "$main" shift+x
wait_until "run_x.bat to run" exists "$root/x.mark"
activate_main

step shift-z
keys "$main" Up # run_sz.bat
keys "$main" shift+z
wait_until "run_sz.bat to run" exists "$root/sz.mark"
activate_main

step f-f3-shift-f3
keys "$main" Left Left Left Left # the first entry
# A decade of names the page test left whole.
decade=1
[ $((num / 10)) != 1 ] || decade=2
answer f makedir "f$decade"
keys "$main" F3 # f?1
delete_cursor
gone_file "f${decade}1.txt"
kept_file "f${decade}0.txt"
keys "$main" shift+F3 # back to f?0
delete_cursor
gone_file "f${decade}0.txt"
kept_file "f${decade}2.txt"

step k-shift-f5
answer k makedir newdir
[ -d "$w/newdir" ] || fail "K made no directory"
answer shift+F5 makedir newdir2
[ -d "$w/newdir2" ] || fail "Shift+F5 made no directory"

step r-f5
answer f makedir "f${decade}2"
answer r makedir renamed1.txt
gone_file "f${decade}2.txt"
kept_file renamed1.txt
answer F5 makedir renamed2.txt
kept_file renamed2.txt
gone_file renamed1.txt

step m
answer f makedir renamed2
answer m hist "$win\\out3" report
[ -e "$root/out3/renamed2.txt" ] || fail "M moved nothing to out3"
gone_file renamed2.txt

step p-shift-p-shift-f10
answer f makedir f50
answer p hist arc1
answer shift+p hist arc2
answer shift+F10 hist arc3
for a in arc1 arc2 arc3; do unzip -tq "$w/$a.zip" >/dev/null || fail "$a.zip is no archive"; done

step sort-keys
opens s sortprop
opens ctrl+s sortprop
opens F6 sortprop
keys "$main" shift+F6
wait_dialog sortprop
keys "$dialog" e Return Return # by extension
wait_closed

step drive-keys
opens l hist
opens F9 hist
opens shift+F9 hist

step q
opens q qaccess

find_notice() {
  found=$(xdotool search --onlyvisible --name '^情報$' 2>/dev/null | head -n 1)
  [ -n "$found" ]
}

step not-supported
for k in u shift+u F10; do
  keys "$main" "$k"
  wait_until "the notice of $k" find_notice
  keys "$found" Return
  wait_closed
done

step keys-that-do-nothing
quiet F7 F8 Prior Next

step refresh-keys
touch "$w/new_from_outside.txt"
quiet shift+r shift+F7

step shift-f-font-dialog
keys "$main" shift+f
font_dialog() {
  found=$(xdotool search --onlyvisible --name '.' 2>/dev/null | grep -vx "$main" | head -n 1)
  [ -n "$found" ]
}
wait_until "the font dialog" font_dialog
shot font
keys "$found" Escape
no_font_dialog() { ! font_dialog; }
wait_until "the font dialog to close" no_font_dialog

step enter-shift-enter
keys "$main" Left Left Left Left # the search looks from the cursor on
answer f makedir d2
keys "$main" Return # into d2
keys "$main" Return # back up on ".."
answer f makedir f60
keys "$main" shift+Return
wait_until "the editor to start on f60.txt" exists "$root/edited/f60.txt"
activate_main

step close
close_pelmo
expect_ini Parameter fDir "$win\\work\\"
expect_ini Parameter tMode 0
ini_text | grep -qF "$win\\work\\d2\\" || fail "the history does not hold d2: Enter entered nothing"
say "passed"
