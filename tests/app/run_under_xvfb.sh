#!/usr/bin/env bash
# Starts the built program on the X server that xvfb-run gives it, as
# scripts/run would at a first start, takes a screenshot of the screen once it
# shows and checks what the desktop shows, then closes it as a user would and
# checks that it left nothing in the temporary folder (its undo history files
# go when it ends).
#   run_under_xvfb.sh PROGRAM PNG
set -euo pipefail
program=$1 png=$2
registry=$(mktemp -d) temp=$(mktemp -d) saved=$(mktemp -d)
# A first start: the profile in the program's folder is set aside for the run
# (the program writes one as it ends) and put back afterwards.
profile=$(dirname "$program")/cM.ini
[ ! -e "$profile" ] || mv "$profile" "$saved/"
restore() {
  rm -f "$profile"
  [ ! -e "$saved/cM.ini" ] || mv "$saved/cM.ini" "$profile"
  rm -rf "$registry" "$temp" "$saved"
}
trap restore EXIT
CALVETTA_REGISTRY=$registry TMPDIR=$temp "$program" &
pid=$!
# The editor is up when a window of its own name is on the screen.
window=
for _ in $(seq 1 120); do
  if ! kill -0 "$pid" 2>/dev/null; then echo "calvetta ended early" >&2; exit 1; fi
  window=$(xdotool search --name Calvetta 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 0.5
done
sleep 3
mkdir -p "$(dirname "$png")"
import -window root "$png"
# One X window, the desktop; on it only the editor's frame (the samples
# dialog lies within it), where and as large as a first start places it, and
# the desktop's colour everywhere else: a hidden window, or one shown and
# hidden again, must leave no trace.
tops=$(xwininfo -root -children | grep -c '^ *0x')
if [ "$tops" -ne 1 ]; then
  echo "expected one X window, found $tops:" >&2
  xwininfo -root -children >&2
  exit 1
fi
geometry=$(xwininfo -id "$window" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
  /Width:/{w=$NF} /Height:/{h=$NF} END{print w "x" h "+" x "+" y}')
# The desktop's colour as a border around the desktop, then the box of what differs from it.
shown=$(convert "$png" -crop "$geometry" +repage -bordercolor '#3A6EA5' -border 1 -format '%@' info:)
if [ "$shown" != "590x390+11+11" ]; then
  echo "the desktop shows $shown (border of 1 included), not the frame alone at 590x390+11+11" >&2
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
