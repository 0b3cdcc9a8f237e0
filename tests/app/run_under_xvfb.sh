#!/usr/bin/env bash
# Starts the built program on the X server that xvfb-run gives it, as
# scripts/run would at a first start, takes a screenshot of the screen once it
# shows and checks what the desktop shows, then closes it as a user would and
# checks that it left nothing in the temporary folder (its undo history files
# go when it ends).
#   run_under_xvfb.sh PROGRAM PNG
set -euo pipefail
png=$2
source "$(dirname "$0")/first_start.sh"
first_start "$1"
# The screen before the program shows anything.
before=$saved/before.png
import -window root "$before"
start_program
mkdir -p "$(dirname "$png")"
import -window root "$png"
# Each window of the editor is an X window of its own: the frame and the
# samples dialog, transient for it, and no other (a hidden window, or one
# shown and hidden again, has none on the screen).
windows=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | sort)
if [ "$(echo "$windows" | grep -c .)" -ne 2 ]; then
  echo "expected two X windows of the program, found:" >&2
  for w in $windows; do xwininfo -id "$w" | grep -E 'xwininfo|geometry' >&2; done
  exit 1
fi
# The frame has no owner; the dialog is transient for it.
frame= dialog= transient=
for w in $windows; do
  owner=$(xprop -id "$w" WM_TRANSIENT_FOR | awk '/window id/{print $NF}')
  if [ -n "$owner" ]; then dialog=$w transient=$((owner)); else frame=$w; fi
done
if [ -z "$frame" ] || [ -z "$dialog" ] || [ "$transient" != "$frame" ] ||
   [ "$(xdotool getwindowname "$dialog")" != "Load Sample" ]; then
  echo "expected the frame and the Load Sample dialog transient for it, found:" >&2
  for w in $windows; do echo "$w $(xdotool getwindowname "$w") $(xprop -id "$w" WM_TRANSIENT_FOR)" >&2; done
  exit 1
fi
# Outside the frame the screen is as it was before the program came: the
# root's own colour, no desktop painted by the program.
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
    /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}
read -r fx fy fw fh < <(geometry "$frame")
outside="$((1280 - fx - fw))x1024+$((fx + fw))+0"
convert "$before" -crop "$outside" +repage "$saved/before_part.png"
convert "$png" -crop "$outside" +repage "$saved/after_part.png"
if [ "$(compare -metric AE "$saved/before_part.png" "$saved/after_part.png" null: 2>&1)" != 0 ]; then
  echo "the screen right of the frame ($outside) changed: the program painted outside its windows" >&2
  exit 1
fi
# Alt+F4 closes the dialog on top (the samples offered at start), then the editor.
for _ in $(seq 1 20); do
  kill -0 "$pid" 2>/dev/null || break
  xdotool windowfocus --sync "$window" key alt+F4 2>/dev/null || true
  sleep 1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "calvetta did not close on Alt+F4" >&2
  kill "$pid"
  exit 1
fi
wait "$pid" || { echo "calvetta ended with code $?" >&2; exit 1; }
if [ -n "$(ls -A "$temp")" ]; then
  echo "calvetta left files in its temporary folder:" $(ls -A "$temp") >&2
  exit 1
fi
test -s "$png"
