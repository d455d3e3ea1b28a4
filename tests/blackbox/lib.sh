# Shared routines of the black-box suites: each suite copies the built
# Pelmo.exe into a fresh folder below /tmp with a settings file of its own,
# starts it on a display of its own and types into it with xdotool, as a
# person does; the effects are read from the disk, the settings file and the
# window. Sourced by tests/blackbox/*.sh, which scripts/smoke runs.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/env.sh"

exe="$build_dir/Pelmo.exe"
caption='Pelmo\[Ver'
# The whole suite gives up after this many seconds; a suite may raise it.
deadline=${deadline:-110}

suite=""
shots=""
step_name="start"
step_no=0
shot_no=0
pelmo_pid=""
xvfb_pid=""
# The DPI Pelmo runs at (set_dpi changes it; cleanup sets 96 back).
dpi=96
dpi_changed=""
server_started=""
root=""
win=""
app=""
main=""
seen=""

say() { echo "$suite: $*"; }

# A screenshot of the whole display, named after the step and what it shows.
shot() {
  [ -n "${DISPLAY:-}" ] || return 0
  shot_no=$((shot_no + 1))
  import -window root "$shots/$(printf '%02d' "$shot_no")-$step_name-${1:-done}.png" 2>/dev/null ||
    true
}

fail() {
  say "step '$step_name' failed: $*" >&2
  shot failed
  say "screenshots in $shots, files in $root" >&2
  exit 1
}

step() {
  step_no=$((step_no + 1))
  step_name=$1
  say "$step_no $step_name (at ${SECONDS} s)"
}

bb_cleanup() {
  local rc=$?
  stop_pelmo
  if [ -n "$dpi_changed" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f \
      >/dev/null 2>&1 </dev/null || true
  fi
  # Only the server of this worktree's own prefix, and only if we started it.
  if [ -n "$server_started" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  stop_xvfb
  if [ "$rc" -eq 0 ] && [ -n "$root" ]; then rm -rf "$root"; fi
  exit "$rc"
}

# Starts suite $1: the screenshot folder build/blackbox/$1, a fresh tree
# $root (Windows spelling $win) with the program in $app, traps for cleanup.
# In the tree, $root/app holds Pelmo.exe; the suite adds what it needs.
bb_begin() {
  suite=$1
  shots="$build_dir/blackbox/$suite"
  [ -f "$exe" ] || { say "no $exe: build first (scripts/test builds)" >&2; exit 1; }
  [ -f "$WINEPREFIX/system.reg" ] || { say "no Wine prefix: run scripts/setup" >&2; exit 1; }
  rm -rf "$shots"
  mkdir -p "$shots"
  trap bb_cleanup EXIT
  trap 'fail "interrupted"' INT TERM
  root="/tmp/pelmo-$suite-$$"
  rm -rf "$root"
  mkdir -p "$root/app"
  win="Z:${root//\//\\}"
  app="$root/app"
  cp "$exe" "$app/Pelmo.exe"
  check_managed
}

# Wine places undecorated windows itself only with Managed=N; a window left to
# a window manager that is not there would never get the focus.
check_managed() {
  grep -A3 -F '[Software\\Wine\\X11 Driver]' "$WINEPREFIX/user.reg" | grep -qx '"Managed"="N"' ||
    fail "the Wine prefix lacks X11 Driver Managed=N (run scripts/setup)"
}

# A display and a Wine server of our own, even when the caller has a display.
start_display() {
  unset DISPLAY
  start_xvfb
  server_started=1
  wineserver -p >/dev/null 2>&1 </dev/null || true
  wine cmd.exe /c exit >/dev/null 2>&1 </dev/null
}

# The screen's DPI for the programs started from now on (96, 120, 144, 192),
# through the registry value Windows keeps it in.
set_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    >/dev/null 2>&1 </dev/null || fail "cannot set the DPI to $1"
  dpi=$1
  dpi_changed=1
  [ "$1" != 96 ] || dpi_changed=""
}

# A length of the window designs (96 DPI) at the current DPI, rounded.
at_dpi() { echo $((($1 * dpi + 48) / 96)); }

# ---- Waiting by polling -------------------------------------------------------

# Polls `$@` every 0.1 s until it succeeds; fails the step after `what` is
# not reached within 15 s or when the run passes its deadline. The polled
# command may leave what it saw in `seen` for the failure message.
wait_until() {
  local what=$1
  shift
  seen=""
  for _ in $(seq 150); do
    if "$@"; then return 0; fi
    [ "$SECONDS" -lt "$deadline" ] || fail "run deadline passed waiting for $what$seen"
    if [ -n "$pelmo_pid" ] && ! kill -0 "$pelmo_pid" 2>/dev/null && [ "$what" != "Pelmo to exit" ]; then
      fail "Pelmo exited while waiting for $what"
    fi
    sleep 0.1
  done
  fail "timed out waiting for $what$seen"
}

# ---- The program --------------------------------------------------------------

# Starts the program in $app (the current directory of the process is $app, so
# that a relative path the program resolves against it would show) and waits
# for its main window; sets `main` and X, Y, WIDTH, HEIGHT of its frame.
start_pelmo() {
  (cd "$app" && exec wine "$app/Pelmo.exe" >"$root/pelmo.log" 2>&1 </dev/null) &
  pelmo_pid=$!
  wait_until "the main window" main_up
  sleep 0.5 # the first page is drawn after the window appears
  shot started
  main_geometry
  say "main window $main at $X,$Y size ${WIDTH}x$HEIGHT"
}

main_up() {
  main=$(xdotool search --onlyvisible --pid "$pelmo_pid" --name "$caption" 2>/dev/null | head -n 1)
  [ -n "$main" ]
}

main_geometry() {
  eval "$(xdotool getwindowgeometry --shell "$main" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
}

pelmo_gone() { ! kill -0 "$pelmo_pid" 2>/dev/null; }

# Alt+F4 to the main window; waits until the program has written its settings
# and exited.
close_pelmo() {
  keys "$main" alt+F4
  wait_until "Pelmo to exit" pelmo_gone
  pelmo_pid=""
}

stop_pelmo() {
  if [ -n "$pelmo_pid" ] && kill -0 "$pelmo_pid" 2>/dev/null; then kill "$pelmo_pid" 2>/dev/null || true; fi
  pelmo_pid=""
}

# ---- Dialogs --------------------------------------------------------------------

# The client size of each dialog at 96 DPI (scaled to the current DPI when
# compared): the dialogs share the main window's caption, so their size
# tells them apart.
declare -A dialog_size=(
  [hist]="354 130" [copyprop]="396 330" [makedir]="336 116" [msgbox]="320 87"
  [qaccess]="393 246" [sortprop]="443 158" [renprop]="289 140")

# The dialog kind of window $1 from its outer size, or "?".
dialog_kind() {
  local WIDTH HEIGHT kind cw ch
  eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null | grep -E '^(WIDTH|HEIGHT)=')"
  for kind in "${!dialog_size[@]}"; do
    read -r cw ch <<<"${dialog_size[$kind]}"
    cw=$(at_dpi "$cw") ch=$(at_dpi "$ch")
    if [ "$((WIDTH - cw))" -ge 0 ] && [ "$((WIDTH - cw))" -le "$(at_dpi 12)" ] &&
      [ "$((HEIGHT - ch))" -ge 0 ] && [ "$((HEIGHT - ch))" -le "$(at_dpi 40)" ]; then
      echo "$kind"
      return
    fi
  done
  echo "?(${WIDTH}x${HEIGHT})"
}

# Visible windows other than the main window: the dialogs and the notices.
other_windows() {
  { xdotool search --onlyvisible --name "$caption" 2>/dev/null
    xdotool search --onlyvisible --name '^情報$' 2>/dev/null
    xdotool search --onlyvisible --name '^Pelmo$' 2>/dev/null; } | grep -vx "$main" || true
}

# The kind of window $1: a dialog by its size, the notice by its caption, the
# standard error report by the application's title.
window_kind() {
  local name
  name=$(xdotool getwindowname "$1" 2>/dev/null)
  case "$name" in
    情報) echo notice ;;
    Pelmo) echo error ;;
    *) dialog_kind "$1" ;;
  esac
}

# Sets `found` to a shown window of kind $1 (a dialog may stay open under the
# one it opened); a notice or error report nobody waits for fails the step.
found=""
find_dialog() {
  local w kind shown=""
  for w in $(other_windows); do
    kind=$(window_kind "$w")
    if [ "$kind" = "$1" ]; then
      found=$w
      return 0
    fi
    if [ "$kind" = notice ] || [ "$kind" = error ]; then
      fail "a window '$(xdotool getwindowname "$w")' ($kind) appeared instead of the $1 dialog"
    fi
    shown+=" $kind"
  done
  seen=" (shown:${shown:- nothing})"
  return 1
}

# Waits for the dialog of kind $1 and sets `dialog` to its window.
dialog=""
wait_dialog() {
  wait_until "the $1 dialog" find_dialog "$1"
  dialog=$found
  # The dialog fills its fields right after it is mapped.
  sleep 0.2
  shot "$1"
}

no_dialog() { [ -z "$(other_windows)" ]; }

wait_closed() { wait_until "the dialog to close" no_dialog; }

# ---- Typing -------------------------------------------------------------------

focus() {
  timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1" ||
    fail "cannot focus window $1"
}

# Keys into window $1.
keys() {
  local w=$1
  shift
  focus "$w"
  xdotool key --clearmodifiers --delay 60 "$@"
}

# Text into window $1.
type_text() {
  focus "$1"
  xdotool type --clearmodifiers --delay 30 "$2"
}

# ---- Checks -------------------------------------------------------------------

same() { cmp -s "$1" "$2" || fail "$2 differs from $1"; }
exists() { [ -e "$1" ]; }
gone() { [ ! -e "$1" ]; }

# ---- The settings file ----------------------------------------------------------

# Writes the text on standard input (UTF-8, lines ending in LF) as the
# program's settings file, UTF-16LE with a byte-order mark and CR LF.
write_ini_text() {
  { printf '\xff\xfe'; sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$app/PELMO.INI"
}

# The settings file as UTF-8 text without carriage returns.
ini_text() { tail -c +3 "$app/PELMO.INI" | iconv -f UTF-16LE -t UTF-8 | tr -d '\r'; }

# The value of key $2 in section $1 of the settings file.
ini_value() {
  ini_text | awk -v s="[$1]" -v k="$2" '
    /^\[/ { in_s = ($0 == s); next }
    in_s && index($0, k "=") == 1 { print substr($0, length(k) + 2); exit }'
}

expect_ini() {
  local got
  got=$(ini_value "$1" "$2")
  [ "$got" = "$3" ] || fail "settings [$1] $2 is '$got', expected '$3'"
}
