#!/usr/bin/env bash
# Starts the built program on the X server that xvfb-run gives it and trades
# text with xclip through the clipboard in the Output Size dialog's width
# field: what xclip put there pastes in (Shift+Insert; the numeric fields
# drop the control characters of Ctrl+V and Ctrl+C), is taken as the new
# width, and copied out again (Ctrl+Insert) it is what xclip reads.
#   clipboard_under_xvfb.sh PROGRAM
set -euo pipefail
source "$(dirname "$0")/first_start.sh"
first_start "$1"
start_program
keys() { xdotool windowfocus --sync "$window" key --delay 80 "$@"; sleep 0.5; }
# xclip owns the clipboard with the text until another owner comes.
put() {
  printf '%s' "$1" | xclip -selection clipboard -i
  for _ in $(seq 1 50); do
    [ "$(xclip -o -selection clipboard 2>/dev/null)" = "$1" ] && return
    sleep 0.1
  done
}
keys Escape                    # the samples dialog offered at start
put 777
keys ctrl+i                    # Output Size, the width field focused
keys Home shift+End shift+Insert Return
put none
keys ctrl+i
keys Home shift+End ctrl+Insert
copied=
for _ in $(seq 1 50); do
  copied=$(xclip -o -selection clipboard 2>/dev/null || true)
  [ "$copied" = 777 ] && break
  sleep 0.1
done
keys Escape
if [ "$copied" != 777 ]; then
  echo "the width field pasted from xclip and copied back gives '$copied', not 777" >&2
  exit 1
fi
echo "pasted 777 from xclip into the width field, and copied it back out"
