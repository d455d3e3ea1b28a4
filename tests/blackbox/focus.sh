#!/usr/bin/env bash
# Keys after a window switch: a second program takes the focus, a click on
# Pelmo's title bar brings Pelmo back, and the list's own keys (Enter, Shift+R)
# work at once, typed to whatever has the keyboard focus, as a person types.
source "$(dirname "$0")/lib.sh"
bb_begin focus

mkdir -p "$root/work/inner" "$root/other" "$root/app2"
echo x >"$root/work/file.txt"
cp "$exe" "$root/app2/Pelmo.exe"

ini_for() { # dir left top width height
  printf '[Window]\nLeft=%s\nTop=%s\nWidth=%s\nHeight=%s\n' "$2" "$3" "$4" "$5"
  printf '[Parameter]\nfDir=%s\\\n' "$1"
}

step start
ini_for "$win\\work" 10 10 900 500 | write_ini_text
start_display
start_pelmo
pelmo_main=$main

step second-window-takes-focus
# The second program, in its own folder with its own settings, lies below
# the first, so that each title bar stays in sight.
ini_for "$win\\other" 300 560 700 400 | app=$root/app2 write_ini_text
(cd "$root/app2" && exec wine "$root/app2/Pelmo.exe" >"$root/pelmo2.log" 2>&1 </dev/null) &
second_pid=$!
# Both processes may carry one pid on their windows: the second is the new one.
second_up() {
  second=$(xdotool search --onlyvisible --name "$caption" 2>/dev/null | grep -vx "$pelmo_main" | head -n 1)
  [ -n "$second" ]
}
wait_until "the second window" second_up
sleep 0.5
# Without a window manager the window with the X input focus is the active one.
has_focus() {
  local f
  f=$(xdotool getwindowfocus 2>/dev/null)
  seen=" (focus on $f, not $1)"
  [ "$f" = "$1" ]
}
second_active() { has_focus "$second"; }
xdotool mousemove "$((300 + 200))" "$((560 + 10))" click 1
wait_until "the second window to be active" second_active
shot

step click-title-bar
main=$pelmo_main
main_geometry
xdotool mousemove "$((X + 200))" "$((Y + 10))" click 1
first_active() { has_focus "$main"; }
wait_until "Pelmo to be active again" first_active
sleep 0.3

step enter-directory
# The list: "..", "inner", "file.txt". Down onto "inner", Enter enters it.
xdotool key --delay 80 Down Return
sleep 0.5
shot

step switch-again-and-refresh
xdotool mousemove "$((300 + 200))" "$((560 + 10))" click 1
wait_until "the second window to be active" second_active
xdotool mousemove "$((X + 200))" "$((Y + 10))" click 1
wait_until "Pelmo to be active again" first_active
sleep 0.3
# Enter on "..": back to the work folder, so the settings name it.
xdotool key --delay 80 Return
sleep 0.5

step close
kill "$second_pid" 2>/dev/null || true
close_pelmo
dir=$(ini_value Parameter fDir)
[ "$dir" = "$win\\work\\" ] || fail "fDir is '$dir', expected $win\\work\\"
hist=$(ini_text | grep -c -F "$win\\work\\inner\\" || true)
[ "$hist" -ge 1 ] || fail "the history does not hold $win\\work\\inner\\"
say "passed"
