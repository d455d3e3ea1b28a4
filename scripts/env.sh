# Common environment for the project's scripts: sourced, not run.
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="$repo/.wine"
export WINEDEBUG=-all
# No Mono/Gecko installers, and no debugger that waits for a user after a crash.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
# Our users run a Japanese system: code page 932, yyyy/M/d dates, H:mm:ss times.
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8 2>/dev/null
build_dir="$repo/build"

# Starts Xvfb on a free display unless one is given; sets DISPLAY and xvfb_pid.
start_xvfb() {
  xvfb_pid=""
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local n=$(( 90 + RANDOM % 400 ))
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "${xvfb_screen:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    sleep 0.1
  done
  echo "Xvfb did not start" >&2
  return 1
}

stop_xvfb() {
  if [ -n "${xvfb_pid:-}" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}

build_project() {
  cmake --preset mingw >/dev/null
  cmake --build --preset mingw -j "$(nproc)"
}
