#!/usr/bin/env bash
# Runs a test command with its output in a file instead of ctest's pipe.
# Wine starts background programs (the desktop window's explorer, services)
# from the first process that needs them; they inherit that process's output
# and live on with the server, so a pipe they hold would never reach its end.
log=$(mktemp)
show() { cat "$log"; rm -f "$log"; }
trap 'show; exit 124' TERM INT
"$@" >"$log" 2>&1 </dev/null &
wait $!
rc=$?
show
exit $rc
