#!/bin/bash
# Runs the layout test program once at each DPI a screen commonly has (100,
# 125, 150 and 200 %), set through the registry value Windows keeps it in,
# and sets 96 back afterwards. Each run gets a virtual desktop of its own,
# large enough for the designed window at 200 %; the desktop does not pass
# the program's exit status on, so the result is read from its report.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/env.sh"
set_dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
        >/dev/null 2>&1 </dev/null
}
out=$(mktemp -d /tmp/pelmo-layout-XXXXXX)
trap 'set_dpi 96; rm -rf "$out"' EXIT
status=0
for dpi in 96 120 144 192; do
    echo "== $dpi DPI"
    set_dpi "$dpi" || { echo "cannot set the DPI to $dpi"; status=1; continue; }
    report="$out/$dpi.xml"
    PELMO_DPI=$dpi wine explorer "/desktop=pelmo-layout,3840x2160" "$1" \
        "--gtest_output=xml:Z:${report//\//\\}"
    if ! grep -q '<testsuites tests="[1-9][0-9]*" failures="0" disabled="0" errors="0"' "$report" 2>/dev/null; then
        echo "layout test failed (or did not report) at $dpi DPI"
        status=1
    fi
done
exit $status
