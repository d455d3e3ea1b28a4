#!/usr/bin/env bash
# Window bounds from the settings file: bounds on the screen are kept exactly;
# bounds that are damaged or from a monitor that is gone bring the window onto
# the screen (1280 x 1024 here), where a person can see and reach it; a size
# too small to use becomes the designed size.
source "$(dirname "$0")/lib.sh"
bb_begin bounds

mkdir -p "$root/work"
echo x >"$root/work/file.txt"
screen_w=1280 screen_h=1024

write_bounds() { # left top width height
  {
    printf '[Window]\nLeft=%s\nTop=%s\nWidth=%s\nHeight=%s\n' "$@"
    printf '[Parameter]\nfDir=%s\\work\\\n' "$win"
  } | write_ini_text
}

# The window as the settings file gives it back at close.
stored_bounds() {
  echo "$(ini_value Window Left) $(ini_value Window Top) $(ini_value Window Width) $(ini_value Window Height)"
}

# The window is on the screen as a whole.
expect_on_screen() {
  [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le "$screen_w" ] &&
    [ $((Y + HEIGHT)) -le "$screen_h" ] ||
    fail "the window lies at $X,$Y size ${WIDTH}x$HEIGHT, not on the ${screen_w}x$screen_h screen"
}

start_display

step kept-as-stored
write_bounds 37 45 801 433
start_pelmo
close_pelmo
[ "$(stored_bounds)" = "37 45 801 433" ] || fail "bounds on the screen came back as $(stored_bounds)"

# Each: stored bounds, then the size expected back ("designed" for the
# designed size, which is wider than 1110 and higher than 540; "any" where
# the system limits a window to about the screen's size).
cases=(
  "damaged-top|10 -99999 900 500|900 500"
  "damaged-left-and-top|-99999 -99999 900 500|900 500"
  "monitor-gone-right|3000 200 900 500|900 500"
  "monitor-gone-below-left|-2500 1900 700 400|700 400"
  "title-bar-above-screen|100 -490 900 500|900 500"
  "too-small|50 60 5 -3|designed"
  "too-large-for-screen|-50000 50 3000 2000|any"
)
for c in "${cases[@]}"; do
  IFS='|' read -r name bounds size <<<"$c"
  step "$name"
  # shellcheck disable=SC2086
  write_bounds $bounds
  start_pelmo
  if [ "$size" = designed ]; then
    [ "$WIDTH" -gt 1110 ] && [ "$HEIGHT" -gt 540 ] || fail "size ${WIDTH}x$HEIGHT is not the designed size"
  elif [ "$size" != any ]; then
    read -r w h <<<"$size"
    [ "$WIDTH" = "$w" ] && [ "$HEIGHT" = "$h" ] || fail "size ${WIDTH}x$HEIGHT, expected ${w}x$h kept"
  fi
  if [ "$name" = too-large-for-screen ]; then
    # Larger than the screen: its title bar at the top left corner.
    [ "$X" -eq 0 ] && [ "$Y" -eq 0 ] || fail "the window lies at $X,$Y, expected 0,0"
  else
    expect_on_screen
  fi
  # It answers keys: Enter on "..", and the settings name the parent.
  keys "$main" Return
  sleep 0.3
  close_pelmo
  read -r left top _ _ <<<"$(stored_bounds)"
  [ "$left" = "$X" ] && [ "$top" = "$Y" ] || fail "stored at $left,$top, shown at $X,$Y"
  expect_ini Parameter fDir "$win\\"
done
say "passed"
