#!/usr/bin/env bash
# Starts the built program on the X server that xvfb-run gives it, hovers a
# button of the main toolbar, moves the pointer away onto the bare root and
# checks that the program then uses under 1 % of a core over 10 seconds (its
# user and system time from /proc): nothing left hot keeps it polling.
#   idle_under_xvfb.sh PROGRAM
set -euo pipefail
source "$(dirname "$0")/first_start.sh"
first_start "$1"
start_program
# The samples dialog offered at start goes; the frame is active.
xdotool windowfocus --sync "$window" key Escape 2>/dev/null || true
sleep 1
# Along the toolbar, below the frame's caption and menu bar, ending on its
# first buttons; then onto the root beyond the program's window.
frame=$(xwininfo -id "$window" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} END{print x, y}')
read -r left top <<<"$frame"
for x in 300 240 180 120 60 40; do
  xdotool mousemove $((left + x)) $((top + 70))
  sleep 0.2
done
sleep 1
width=$(xdpyinfo | awk '/dimensions:/{split($2, s, "x"); print s[1]}')
height=$(xdpyinfo | awk '/dimensions:/{split($2, s, "x"); print s[2]}')
xdotool mousemove $((width - 2)) $((height - 2))
sleep 2
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep 10
after=$(ticks)
used=$((after - before))
# Under 1 % of a core over 10 s: under a tenth of a second.
echo "calvetta used $used ticks (of $hz a second) in 10 s with the pointer away"
if [ $((used * 100)) -ge $((hz * 10)) ]; then
  echo "calvetta is not idle: $used ticks in 10 s" >&2
  exit 1
fi
