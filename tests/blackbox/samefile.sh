#!/usr/bin/env bash
# One file is never two: moves and copies into the current directory typed
# as "Work\.\", in other letter case and through a directory link, with the
# overwrite rule preselected and with All; a move onto a hard link of the
# file itself; relative destinations. Afterwards every byte is still on disk,
# a completion report appears only when something was copied or moved, and
# the history holds absolute paths.
source "$(dirname "$0")/lib.sh"
bb_begin samefile

prepare_tree() {
  mkdir -p "$root/Work" "$root/ref" "$root/dst"
  head -c 5000 /dev/urandom >"$root/ref/other.txt"
  head -c 7000 /dev/urandom >"$root/ref/precious.txt"
  cp "$root/ref/other.txt" "$root/ref/precious.txt" "$root/Work/"
  # A directory link made from the Linux side (Wine cannot make one) and a
  # second name of precious.txt in another directory.
  ln -s "$root/Work" "$root/toWork"
  ln "$root/Work/precious.txt" "$root/dst/precious.txt"
}

write_ini() {
  {
    printf '[Window]\nLeft=24\nTop=16\nHeight=600\nWidth=1000\n'
    printf '[Parameter]\nfDir=%s\\Work\\\nF_Forward=1\nF_Shlwapi=0\n' "$win"
    # Rule O (overwrite) preselected in the conflict dialog.
    printf 'cMode=2\ntMode=1\n'
    printf '[QaccssList]\nNumberOfList=0\n[LogHistL]\nNumberOfList=0\n[ZipHistL]\nNumberOfList=0\n'
  } | write_ini_text
}

# The files of Work, one "name size" a line.
listing() { (cd "$root/Work" && find . -maxdepth 1 -type f -printf '%f %s\n' | sort); }

originals_intact() {
  same "$root/ref/other.txt" "$root/Work/other.txt"
  same "$root/ref/precious.txt" "$root/Work/precious.txt"
}

# Asks for the destination with command key $1 and types $2 over the
# prefilled answer (it is selected).
destination() {
  keys "$main" "$1"
  wait_dialog hist
  type_text "$dialog" "$2"
  keys "$dialog" Return
}

# The new-name prompt of a same-directory copy: $1 typed over the name, or
# Escape when $1 is empty.
new_name() {
  wait_dialog makedir
  if [ -z "$1" ]; then
    keys "$dialog" Escape
  else
    keys "$dialog" End shift+Home
    type_text "$dialog" "$1"
    keys "$dialog" Return
  fi
}

# No report, no notice, no dialog may follow: the command has ended and the
# list of Work is still $1.
nothing_happens() {
  sleep 1
  no_dialog || fail "the command went on: $(for w in $(other_windows); do window_kind "$w"; done)"
  [ "$(listing)" = "$1" ] || fail "Work holds: $(listing | tr '\n' ' ')"
  originals_intact
}

step prepare
prepare_tree
write_ini

step start
start_display
start_pelmo
before=$(listing)

step mark-both
# Home marks every file: other.txt and precious.txt.
keys "$main" Home
shot

for spelling in 'Work\.\' 'WORK' 'work\sub\..\' 'toWork\'; do
  step "move-into-$spelling"
  # A move into the current directory ends without a word and changes nothing.
  destination m "$win\\$spelling"
  nothing_happens "$before"
done

step copy-dot-rule-O
# Only a new name is offered: O stays unavailable, OK asks for the name.
destination c "$win\\Work\\.\\"
wait_dialog copyprop
keys "$dialog" o Return
new_name other-copy.txt
wait_dialog copyprop
keys "$dialog" a # All
new_name precious-copy.txt
wait_dialog qaccess # the report of what was copied
keys "$dialog" Return
wait_closed
originals_intact
wait_until "the copies" exists "$root/Work/precious-copy.txt"
same "$root/ref/other.txt" "$root/Work/other-copy.txt"
same "$root/ref/precious.txt" "$root/Work/precious-copy.txt"
after_copy=$(listing)

step copy-case-all-cancelled
# All, then no new names: nothing copied, so no report claims a copy.
destination c "$win\\WORK"
wait_dialog copyprop
keys "$dialog" a
new_name ""
new_name ""
nothing_happens "$after_copy"

step copy-link-rule-O
destination c "$win\\toWork"
wait_dialog copyprop
keys "$dialog" o Return
new_name ""
wait_dialog copyprop
keys "$dialog" Escape
nothing_happens "$after_copy"

step move-onto-own-hard-link
# dst/precious.txt is precious.txt under a second name: refused with a
# notice and kept; other.txt moves, and the report lists only it.
destination m "$win\\dst"
wait_dialog notice
keys "$dialog" Return
wait_dialog qaccess
keys "$dialog" Return
wait_closed
wait_until "other.txt to arrive" exists "$root/dst/other.txt"
same "$root/ref/other.txt" "$root/dst/other.txt"
gone "$root/Work/other.txt" || fail "other.txt was copied, not moved"
same "$root/ref/precious.txt" "$root/Work/precious.txt"
same "$root/ref/precious.txt" "$root/dst/precious.txt"
[ "$(stat -c %i "$root/Work/precious.txt")" = "$(stat -c %i "$root/dst/precious.txt")" ] ||
  fail "precious.txt and its second name are no longer one file"

step relative-destinations
# precious.txt is still marked. The process works in $root/app: a relative
# path resolved there would land in app.
destination c 'rel\sub'
wait_dialog qaccess
keys "$dialog" Return
wait_closed
destination c '..\up'
wait_dialog qaccess
keys "$dialog" Return
wait_closed
same "$root/ref/precious.txt" "$root/Work/rel/sub/precious.txt"
same "$root/ref/precious.txt" "$root/up/precious.txt"
gone "$root/app/rel" || fail "the copy landed below the process's working directory"
gone "$root/app/up" || fail "the copy landed beside the process's working directory"

step close
close_pelmo

step settings-written
cp "$app/PELMO.INI" "$shots/PELMO.INI"
expect_ini Parameter cMode 2
# The current directory on top, then the destinations as absolute paths.
expect_ini LogHistL List0 "$win\\Work\\"
expect_ini LogHistL List1 "$win\\up\\"
expect_ini LogHistL List2 "$win\\Work\\rel\\sub\\"
expect_ini LogHistL List3 "$win\\dst\\"
ini_text | grep -q '^List[0-9]*=rel' && fail "a relative path entered the history"
say "passed in $SECONDS s"
