#!/usr/bin/env bash
# Pelmo on a 144-DPI screen (150 %): the dialogs open at their designed size
# scaled by 1.5, and the commands behind them still work: the sort order
# chosen by its letters, a copy through the history dialog.
source "$(dirname "$0")/lib.sh"
bb_begin dpi

mkdir -p "$root/work"
for name in b_2.txt a_1.dat c_3.log; do echo "$name" >"$root/work/$name"; done
{
  printf '[Window]\nLeft=20\nTop=20\nWidth=1200\nHeight=700\n'
  printf '[Parameter]\nfDir=%s\\work\\\ntMode=1\nF_Forward=1\n' "$win"
} | write_ini_text

step start-at-144-dpi
start_display
set_dpi 144
start_pelmo
[ "$WIDTH" = 1200 ] && [ "$HEIGHT" = 700 ] || fail "bounds ${WIDTH}x$HEIGHT, stored 1200x700"

step sort-by-extension
keys "$main" s
wait_dialog sortprop
# E chooses the extension, Enter moves to the direction, Enter is OK.
keys "$dialog" e Return Return
wait_closed

step copy-through-the-history-dialog
# Sorted by extension: "..", a_1.dat, c_3.log, b_2.txt; Down onto a_1.dat.
keys "$main" Down c
wait_dialog hist
type_text "$dialog" "$win\\out"
keys "$dialog" Return
wait_dialog qaccess
keys "$dialog" Return
wait_closed
[ "$(ls "$root/out")" = a_1.dat ] || fail "out holds: $(ls "$root/out" | tr '\n' ' ')"

step close
close_pelmo
expect_ini Parameter tMode 0
say "passed"
