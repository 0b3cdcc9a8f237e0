#!/usr/bin/env bash
# A newcomer's first minutes on the X server that xvfb-run gives it
# (1280x1024), without a window manager (bare) or under Openbox:
#   first_import_under_xvfb.sh PROGRAM PNG_DIR bare|openbox
# the first start's Load Sample dialog closed, the frame maximised by its
# caption's button, a picture imported as the source (Ctrl+F, its path typed
# into the file dialog): the source pane has room beside the bars and shows
# the picture. The same after a restart, maximised again. Each step leaves a
# screenshot in PNG_DIR.
set -euo pipefail
program=$1 pngs=$2/first_import_$3 mode=$3
source "$(dirname "$0")/first_start.sh"
first_start "$program"
start_session 1288x1032+-4+-4 1280x1024+0+0
# The picture a newcomer brings: a red field with a white block at its centre.
picture=$temp/holiday.png
convert -size 160x120 xc:'#D02020' -fill white -draw 'rectangle 60,40 99,79' "$picture"
# How many pixels of the picture's red lie inside a WxH+X+Y rectangle of a screenshot.
red_in() {
  convert "$1" -crop "$2" +repage -fill black +opaque '#D02020' -fill white -opaque '#D02020' \
    -format '%[fx:round(mean*w*h)]' info:
}

# Maximised by the caption's Maximise button, 32 pixels in from the right edge.
maximise() {
  IFS='x+' read -r w h x y < <(geometry "$frame")
  xdotool mousemove $((x + w - 32)) $((y + 13)) click 1
  wait_for '[ "$(geometry "$frame")" = "$maximised_geometry" ]' || fail "$1: Maximise left the frame at $(geometry "$frame")"
  sleep 1
}
# The source pane is the left one of the two beside the bars; it shows the
# imported picture, whole, once the window has room for it.
expect_source_picture() {
  xdotool mousemove 1270 1010
  sleep 1
  screenshot "$1"
  local red
  red=$(red_in "$last_shot" 640x700+0+100)
  # The pane shows the picture at the project's output size and zoom (about
  # 12000 pixels of red); a pane squeezed to a sliver 30 pixels wide could
  # show at most a third of that.
  [ "$red" -ge 8000 ] || fail "$1: the source pane shows $red pixels of the picture's red"
  [ "$(red_in "$last_shot" 640x1024+640+0)" -lt 100 ] || fail "$1: the picture shows in the right half"
}

start_program
frame=$(windows_of_type NORMAL)
[ -n "$frame" ] || fail "no frame window"
wait_for 'xdotool search --onlyvisible --pid "$pid" --name "Load Sample" >/dev/null' || fail "no Load Sample dialog"
keys Escape
wait_for '[ -z "$(windows_of_type DIALOG)" ]' || fail "the Load Sample dialog stays"
screenshot first_start
maximise "the first start"
screenshot maximised
keys ctrl+f
wait_for '[ -n "$(windows_of_type DIALOG)" ]' || fail "Ctrl+F opened no file dialog"
xdotool type --delay 20 "$picture"
keys Return
wait_for '[ -z "$(windows_of_type DIALOG)" ]' || fail "the file dialog stays after Enter"
expect_source_picture imported

# Quit, start again, maximise: the panes kept their room.
xdotool windowfocus --sync "$frame" 2>/dev/null || true
keys alt+F4
if wait_for '[ -n "$(windows_of_type DIALOG)" ]'; then keys n; fi
wait_for '! kill -0 "$pid" 2>/dev/null' || fail "the program did not end"
pid=
start_program
frame=$(windows_of_type NORMAL)
if wait_for 'xdotool search --onlyvisible --pid "$pid" --name "Load Sample" >/dev/null'; then
  keys Escape
  wait_for '[ -z "$(windows_of_type DIALOG)" ]' || fail "the Load Sample dialog stays at the restart"
fi
[ "$(geometry "$frame")" = "$maximised_geometry" ] || maximise "the restart"
keys ctrl+f
wait_for '[ -n "$(windows_of_type DIALOG)" ]' || fail "Ctrl+F opened no file dialog at the restart"
xdotool type --delay 20 "$picture"
keys Return
wait_for '[ -z "$(windows_of_type DIALOG)" ]' || fail "the file dialog stays after Enter at the restart"
expect_source_picture restarted
echo "$mode: the first import shows"
