#!/usr/bin/env bash
# The editor's windows as windows of the X desktop, driven with xdotool on the
# X server that xvfb-run gives it (1280x1024), as a user would:
#   desktop_windows_under_xvfb.sh PROGRAM PNG_DIR bare
#     no window manager: the first start's frame is painted all over; a menu
#     near the screen's bottom stays on it; a menu near the right edge opens leftwards
#     and a click on the root closes it; while Output Size is open a click on
#     the frame reaches nothing and the dialog keeps the keyboard; the
#     transition panel's In-effect list opens as an X window below its combo.
#   desktop_windows_under_xvfb.sh PROGRAM PNG_DIR openbox
#     under Openbox: the manager moves, sizes and maximises the frame and the
#     frame is laid out to it; its close on a modified project brings the save
#     prompt, Cancel keeps the program; after a restart the frame is where the
#     manager left it.
set -euo pipefail
program=$1 pngs=$2 mode=$3
registry=$(mktemp -d) temp=$(mktemp -d) saved=$(mktemp -d)
profile=$(dirname "$program")/cM.ini
[ ! -e "$profile" ] || mv "$profile" "$saved/"
pid= manager=
restore() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
  [ -z "$manager" ] || kill "$manager" 2>/dev/null || true
  rm -f "$profile"
  [ ! -e "$saved/cM.ini" ] || mv "$saved/cM.ini" "$profile"
  rm -rf "$registry" "$temp" "$saved"
}
trap restore EXIT
mkdir -p "$pngs"
fail() {
  echo "$*" >&2
  import -window root "$pngs/failed_$mode.png" 2>/dev/null || true
  exit 1
}

# wait_for, geometry and windows_of_type come from the first start's helpers.
. "$(dirname "$0")/first_start.sh"
start() {
  CALVETTA_REGISTRY=$registry TMPDIR=$temp "$program" &
  pid=$!
  wait_for '[ -n "$(windows_of_type NORMAL)" ]' || fail "the frame did not show"
  frame=$(windows_of_type NORMAL)
}
# The program's shown window of the given caption, once it shows.
window_named() {
  for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
    if [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ]; then echo "$w"; return 0; fi
  done
  return 1
}
dialog_named() {
  local wanted=$1
  wait_for 'window_named "$wanted" >/dev/null' || return 1
  window_named "$wanted"
}
# Closes the dialog offered at a first start.
dismiss_samples() {
  local samples
  samples=$(dialog_named "Load Sample") || fail "no Load Sample dialog"
  wait_for '[ "$(xdotool getwindowfocus)" = "$samples" ]' || fail "the dialog ($samples) has not the keyboard: $(xdotool getwindowfocus)"
  xdotool key Escape
  wait_for '[ -z "$(windows_of_type DIALOG)" ]' || fail "the Load Sample dialog stays"
}

if [ "$mode" = bare ]; then
  start
  dismiss_samples
  # Every part of the first start's frame is painted: nothing of the
  # desktop's colour (what an unpainted part shows) lies inside it.
  first=$(geometry "$frame")
  xdotool windowsize "$frame" 1000 800
  wait_for '[ "$(geometry "$frame")" = "1000x800+10+10" ]' || fail "the frame did not take its new size"
  sleep 1
  import -window root "$pngs/first_start_painted.png"
  unpainted=$(convert "$pngs/first_start_painted.png" -crop 1000x800+10+10 +repage -fill black +opaque "#3A6EA5" \
    -fill white -opaque "#3A6EA5" -format "%[fx:round(mean*w*h)]" info:)
  [ "$unpainted" = 0 ] || fail "$unpainted pixels of the frame are left unpainted"
  # The frame's menu bar 80 pixels above the screen's bottom: File opens
  # above it, or moved up, whole on the screen.
  xdotool windowmove "$frame" 10 940
  wait_for '[ "$(geometry "$frame")" = "1000x800+10+940" ]' || fail "the frame did not move down"
  sleep 0.5
  xdotool key alt+f
  wait_for '[ -n "$(windows_of_type POPUP_MENU)" ]' || fail "Alt+F opened no menu window at the bottom"
  IFS='x+' read -r mw mh mx my < <(geometry "$(windows_of_type POPUP_MENU)")
  import -window root "$pngs/menu_at_bottom_edge.png"
  [ $((my + mh)) -le 1024 ] && [ "$mh" -gt 150 ] || fail "the File menu runs off the screen: ${mw}x${mh}+$mx+$my"
  xdotool key Escape Escape
  wait_for '[ -z "$(windows_of_type POPUP_MENU)" ]' || fail "Escape left the File menu open"
  xdotool windowmove "$frame" 10 10
  IFS='x+' read -r fw fh fx fy <<<"$first"
  xdotool windowsize "$frame" "$fw" "$fh"
  wait_for '[ "$(geometry "$frame")" = "$first" ]' || fail "the frame did not go back to $first"
  sleep 0.5
  # Where the Help menu opens on a frame with room to its right.
  xdotool key alt+h
  wait_for '[ -n "$(windows_of_type POPUP_MENU)" ]' || fail "Alt+H opened no menu window"
  IFS='x+' read -r mw mh mx my < <(geometry "$(windows_of_type POPUP_MENU)")
  IFS='x+' read -r fw fh fx fy < <(geometry "$frame")
  offset=$((mx - fx))
  xdotool key Escape Escape
  wait_for '[ -z "$(windows_of_type POPUP_MENU)" ]' || fail "Escape left the menu open"
  # The frame moved so that the Help title lies 60 pixels from the screen's right edge.
  xdotool windowmove "$frame" $((1280 - offset - 60)) "$fy"
  wait_for '[ "$(geometry "$frame")" = "${fw}x${fh}+$((1280 - offset - 60))+$fy" ]' || fail "the frame did not move"
  sleep 0.5
  xdotool key alt+h
  wait_for '[ -n "$(windows_of_type POPUP_MENU)" ]' || fail "Alt+H opened no menu window near the edge"
  menu=$(windows_of_type POPUP_MENU)
  IFS='x+' read -r mw mh mx my < <(geometry "$menu")
  import -window root "$pngs/menu_at_right_edge.png"
  [ $((mx + mw)) -le 1280 ] || fail "the menu runs off the screen: ${mw}x${mh}+$mx+$my"
  [ "$mx" -lt $((1280 - 60)) ] || fail "the menu did not open leftwards: ${mw}x${mh}+$mx+$my"
  # A click on the bare root closes it.
  xdotool mousemove 5 1000 click 1
  wait_for '[ -z "$(windows_of_type POPUP_MENU)" ]' || fail "a click on the root left the menu open"

  # Output Size over the frame: clicks on the frame's menu bar and caption reach nothing.
  xdotool windowmove "$frame" 10 10
  wait_for '[ "$(geometry "$frame")" = "${fw}x${fh}+10+10" ]' || fail "the frame did not move back"
  xdotool key alt+s
  sleep 0.3
  xdotool key i
  output=$(dialog_named "Output image  Size") || fail "no Output Size dialog"
  IFS='x+' read -r ow oh ox oy < <(geometry "$output")
  # Right of the dialog: the frame's caption, then the toolbar's last button.
  xdotool mousemove $((ox + ow + 40)) 20 click 1
  xdotool mousemove 509 75 click 1
  sleep 1
  [ "$(xdotool search --onlyvisible --pid "$pid" | wc -l)" -eq 2 ] || fail "a click on the frame opened a window"
  [ "$(xdotool getwindowfocus)" = "$output" ] || fail "the dialog lost the keyboard"
  window_named "Output image  Size" >/dev/null || fail "the dialog went"
  import -window root "$pngs/output_size_modal.png"
  xdotool key Escape
  wait_for '[ -z "$(windows_of_type DIALOG)" ]' || fail "Escape did not close Output Size"

  # The Preview and Play bar dragged by its caption out of the frame: mid-drag
  # the tracking rectangle shows on the screen outside the frame; dropped, the
  # bar floats as an X window of its own there; dragged back, it docks.
  import -window root "$saved/before_drag.png"
  xdotool mousemove 430 100 mousedown 1
  sleep 0.3
  xdotool mousemove 600 300
  sleep 0.2
  xdotool mousemove 800 600
  sleep 0.2
  xdotool mousemove 900 650
  sleep 1
  import -window root "$pngs/bar_drag.png"
  changed=$(compare -metric AE -crop 600x500+650+450 "$saved/before_drag.png" "$pngs/bar_drag.png" null: 2>&1 || true)
  [ "$changed" != 0 ] || fail "mid-drag the screen outside the frame shows no tracking rectangle"
  xdotool mouseup 1
  wait_for '[ -n "$(windows_of_type UTILITY)" ]' || fail "the dropped bar is no window of its own"
  floating=$(windows_of_type UTILITY)
  IFS='x+' read -r bw bh bx by < <(geometry "$floating")
  [ "$bx" -gt 600 ] && [ "$by" -gt 400 ] || fail "the bar floats at ${bw}x${bh}+$bx+$by, not where it was dropped"
  sleep 0.5
  import -window root "$pngs/bar_floating.png"
  # Nothing of the drag stays on the screen beyond the floating bar.
  xdotool mousemove $((bx + 30)) $((by + 8)) mousedown 1
  sleep 0.3
  xdotool mousemove 500 300
  sleep 0.2
  xdotool mousemove 480 120
  sleep 0.5
  xdotool mouseup 1
  wait_for '[ -z "$(windows_of_type UTILITY)" ]' || fail "dragged back, the bar did not dock"

  # The factory layout on the maximised frame puts the whole transition panel
  # on the left: its In-effect combo (at 18,432 to 155,450) opens its list as
  # an X window of its own just below it.
  xdotool key alt+w
  sleep 0.5
  xdotool key Up Return
  sleep 1
  IFS='x+' read -r fw fh fx fy < <(geometry "$frame")
  xdotool mousemove $((fx + fw - 34)) $((fy + 12)) click 1
  wait_for '[ "$(geometry "$frame")" = "1288x1032+-4+-4" ]' || fail "the frame did not maximise: $(geometry "$frame")"
  sleep 1
  xdotool mousemove 145 441 click 1
  wait_for '[ -n "$(windows_of_type DROPDOWN_MENU)" ]' || fail "a click on the In-effect combo opened no list window"
  IFS='x+' read -r lw lh lx ly < <(geometry "$(windows_of_type DROPDOWN_MENU)")
  import -window root "$pngs/in_effect_list.png"
  [ "$ly" -ge 448 ] && [ "$ly" -le 456 ] && [ "$lx" -ge 14 ] && [ "$lx" -le 22 ] && [ "$lw" -ge 130 ] ||
    fail "the In-effect list is at ${lw}x${lh}+$lx+$ly, not below its combo"
  xdotool key Escape
  wait_for '[ -z "$(windows_of_type DROPDOWN_MENU)" ]' || fail "Escape left the In-effect list open"
else
  openbox --sm-disable >/dev/null 2>&1 &
  manager=$!
  wait_for 'wmctrl -m 2>/dev/null | grep -q Openbox' || fail "openbox did not start"
  start
  dismiss_samples
  # Moved and sized by the window manager: the frame's bars reach its new corners.
  wmctrl -i -r "$frame" -e 0,100,80,900,700
  wait_for '[ "$(geometry "$frame")" = "900x700+100+80" ]' || fail "wmctrl did not size the frame: $(geometry "$frame")"
  sleep 1
  import -window root "$pngs/openbox_sized.png"
  # The status bar's face colour near the new bottom-right corner, and the root beyond.
  corner=$(convert "$pngs/openbox_sized.png" -crop 1x1+$((100 + 900 - 40))+$((80 + 700 - 10)) -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}')
  [ "$corner" = "#D4D0C8" ] || fail "the frame is not laid out to its new size (status bar corner shows $corner)"
  # Maximised by the window manager: it fills the work area.
  wmctrl -i -r "$frame" -b add,maximized_vert,maximized_horz
  wait_for '[ "$(geometry "$frame")" = "1280x1024+0+0" ]' || fail "not maximised: $(geometry "$frame")"
  sleep 1
  import -window root "$pngs/openbox_maximised.png"
  wmctrl -i -r "$frame" -b remove,maximized_vert,maximized_horz
  wait_for '[ "$(geometry "$frame")" = "900x700+100+80" ]' || fail "not restored: $(geometry "$frame")"
  # Output Size over the frame: a click on the frame leaves the keyboard and the top to the dialog.
  xdotool key alt+s
  sleep 0.3
  xdotool key i
  output=$(dialog_named "Output image  Size") || fail "no Output Size dialog under the window manager"
  xdotool mousemove 900 500 click 1
  sleep 1
  [ "$(xdotool getwindowfocus)" = "$output" ] || fail "a click on the frame took the keyboard from Output Size"
  [ "$(xprop -root _NET_ACTIVE_WINDOW | awk '{print $NF}')" = "$(printf '0x%x' "$output")" ] ||
    fail "the window manager's active window is not Output Size"
  import -window root "$pngs/openbox_output_size_modal.png"
  xdotool key Escape
  wait_for '[ -z "$(windows_of_type DIALOG)" ]' || fail "Escape did not close Output Size"
  # A modified project, closed by the window manager: the save prompt; Cancel keeps the program.
  xdotool key alt+e
  sleep 0.3
  xdotool key s
  wait_for 'xdotool getwindowname "$frame" | grep -q "\*"' || true
  wmctrl -i -c "$frame"
  prompt=$(dialog_named "Calvetta") || fail "the window manager's close brought no save prompt"
  import -window root "$pngs/openbox_save_prompt.png"
  wait_for '[ "$(xdotool getwindowfocus)" = "$prompt" ]' || fail "the prompt has not the keyboard"
  xdotool key Escape
  wait_for '[ -z "$(windows_of_type DIALOG)" ]' || fail "Cancel left the prompt"
  sleep 0.5
  kill -0 "$pid" 2>/dev/null || fail "Cancel ended the program"
  # Closed for good (without saving), then started again: where the manager left it.
  wmctrl -i -c "$frame"
  prompt=$(dialog_named "Calvetta") || fail "no save prompt the second time"
  wait_for '[ "$(xdotool getwindowfocus)" = "$prompt" ]' || true
  xdotool key n
  wait_for '! kill -0 "$pid" 2>/dev/null' || fail "the program did not end"
  wait "$pid" || fail "the program ended with $?"
  pid=
  start
  wait_for '[ "$(geometry "$frame")" = "900x700+100+80" ]' || fail "after a restart the frame is at $(geometry "$frame")"
fi
