#!/usr/bin/env bash
# Starts on damaged settings files: list counts that claim far more entries
# than the file holds (a billion, the largest integer), negative and
# hexadecimal counts, gaps in the indexes, a 2,047-character entry, and
# entries on a drive that is not attached and on a network share. Each time
# the window appears at once and the file written at close holds the lists
# that the file really had.
source "$(dirname "$0")/lib.sh"
bb_begin settings

line() { printf '%s\n' "$@"; }

# A drive letter that the prefix does not have.
absent=""
for l in Y X W V U T S R Q; do
  if [ ! -e "$WINEPREFIX/dosdevices/${l,,}:" ] && [ ! -L "$WINEPREFIX/dosdevices/${l,,}:" ]; then
    absent=$l
    break
  fi
done

# The list section $1 of the file written at close, one entry a line.
ini_list() {
  local n i
  n=$(ini_value "$1" NumberOfList)
  for ((i = 0; i < n; i++)); do ini_value "$1" "List$i"; done
}

expect_list() {
  local got want
  got=$(ini_list "$1")
  want=$(cat)
  [ "$got" = "$want" ] || fail "[$1] holds:
$got
expected:
$want"
}

step prepare
[ -n "$absent" ] || fail "no free drive letter"
mkdir -p "$root/work" "$root/q1" "$root/q2" "$root/h1"
long=$(head -c 2047 /dev/zero | tr '\0' 'x')
{
  line "[Parameter]" "fDir=$win\\work\\"
  line "[QaccssList]" "NumberOfList=999999999" "List0=$win\\q1\\" "List5=$win\\q2\\"
  line "[LogHistL]" "NumberOfList=2147483647" "List3=$win\\gone\\" "List1=$win\\h1\\"
  line "List7=${absent,,}:\\stick\\" "List9=\\\\nosuchserver\\share\\docs\\"
  line "[ZipHistL]" "NumberOfList=0x3" "List0=$win\\a.zip" "List2=$long" "List3=$win\\c.zip"
} | write_ini_text

step start-with-huge-counts
start_display
start_pelmo
close_pelmo
expect_list QaccssList <<<"$win\\q1\\
$win\\q2\\"
# The start directory went to the top of the history when it was shown.
expect_list LogHistL <<<"$win\\work\\
$win\\h1\\
$absent:\\stick\\
\\\\nosuchserver\\share\\docs\\"
expect_list ZipHistL <<<"$win\\a.zip
$long"

step start-with-negative-counts-and-bad-indexes
{
  line "[Parameter]" "fDir=$win\\work\\"
  line "[QaccssList]" "NumberOfList=-1" "List0=$win\\q1\\"
  line "[LogHistL]" "NumberOfList=3" "List01=$win\\q1\\" "list2=$win\\q2\\" "Listx=$win\\h1\\"
  line "[ZipHistL]" "NumberOfList=many" "List0=$win\\a.zip"
} | write_ini_text
start_pelmo
close_pelmo
expect_list QaccssList </dev/null
expect_list LogHistL <<<"$win\\work\\
$win\\q2\\"
expect_list ZipHistL </dev/null

step start-off-every-screen
# A position far off the screen (another monitor once, or a damaged value):
# the window still appears, on the screen, and keeps its size.
{
  line "[Window]" "Left=-99999999" "Top=0x7fffffff" "Height=500" "Width=800"
  line "[Parameter]" "fDir=$win\\work\\"
} | write_ini_text
start_pelmo
[ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ "$X" -lt 1280 ] && [ "$Y" -lt 1024 ] ||
  fail "the window stands at $X,$Y"
close_pelmo
left=$(ini_value Window Left)
[ "$left" -ge 0 ] || fail "stored Left is $left"
expect_ini Window Width 800
expect_ini Window Height 500
say "passed"
