#!/usr/bin/env bash
# A newcomer's first session with the editor on the X server that xvfb-run
# gives it (1280x1024), without a window manager (bare) or under Openbox:
#   newcomer_under_xvfb.sh PROGRAM PNG_DIR bare|openbox
# start and load a sample; maximise and restore by the caption's buttons and
# by double clicks on it; minimise and restore by the caption; open every
# menu with the frame at the screen's bottom-right corner; walk File with the
# keyboard; type a number into Output Size; drag Preview and Play out and
# back; quit; start again with a project's full path; quit. Every step is
# checked by the X server's state and leaves a screenshot in PNG_DIR.
set -euo pipefail
program=$1 pngs=$2/newcomer_$3 mode=$3
source "$(dirname "$0")/first_start.sh"
first_start "$program"
# The screen's pixel at X,Y as #RRGGBB.
pixel() {
  convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -1
}
double_click_at() { xdotool mousemove "$1" "$2" click --repeat 2 --delay 120 1; sleep 0.6; }
# Caption buttons from the frame's right edge (centres), on the caption's middle line.
caption_button() {
  IFS='x+' read -r w h x y < <(geometry "$frame")
  case $1 in close) echo $((x + w - 14)) $((y + 13)) ;; max) echo $((x + w - 32)) $((y + 13)) ;;
    min) echo $((x + w - 48)) $((y + 13)) ;; caption) echo $((x + w / 2)) $((y + 13)) ;; esac
}
state_of() { xprop -id "$frame" "$1" 2>/dev/null; }
start_session 1288x1032+-4+-4 1280x1024+0+0

# --- start, load a sample ---
start_with_sample
# A size and place of its own, so that every restore has one to come back to.
xdotool windowmove "$frame" 40 30
normal=$(geometry "$frame" | sed 's/+.*//')+40+30
wait_for 'frame_at "$normal"' || fail "the frame did not move to 40,30: $(geometry "$frame")"
sleep 0.5
screenshot normal
before_states=$pngs/$(printf '%02d' $shot)_normal.png

# --- maximise and restore by the caption's buttons, then by double clicks ---
click_at $(caption_button max)
wait_for 'frame_at "$maximised_geometry"' || fail "Maximise: the frame is at $(geometry "$frame")"
screenshot maximised
click_at $(caption_button max)
wait_for 'frame_at "$normal"' || fail "Restore after Maximise: the frame is at $(geometry "$frame"), not $normal"
screenshot restored
double_click_at $(caption_button caption)
wait_for 'frame_at "$maximised_geometry"' || fail "a double click on the caption did not maximise: $(geometry "$frame")"
screenshot double_click_maximised
double_click_at $(caption_button caption)
wait_for 'frame_at "$normal"' || fail "a double click on the maximised caption did not restore: $(geometry "$frame")"
sleep 0.5

# --- minimise and restore by the caption ---
# Restored, the frame shows as it did before: caption and borders painted at
# once, every pane and bar at its size.
restored_as_before() {
  sleep 1
  xdotool mousemove 1270 5
  sleep 0.5
  screenshot "$1"
  local now=$pngs/$(printf '%02d' $shot)_$1.png
  IFS='x+' read -r w h x y < <(geometry "$frame")
  check '[ "$(differing "$before_states" "$now" "${w}x22+$x+$y")" = 0 ]' "$1: the caption is not painted as before"
  check '[ "$(differing "$before_states" "$now" "4x${h}+$x+$y")" = 0 ]' "$1: the left border is not painted as before"
  local changed
  changed=$(differing "$before_states" "$now" "${w}x${h}+$x+$y")
  check '[ "$changed" -lt 2000 ]' "$1: $changed pixels of the frame differ from before the minimise (pane or bar sizes changed?)"
}
xdotool mousemove 1270 5
sleep 0.5
screenshot before_minimise
before_states=$pngs/$(printf '%02d' $shot)_before_minimise.png
click_at $(caption_button min)
if [ "$mode" = openbox ]; then
  wait_for 'state_of WM_STATE | grep -q Iconic' || fail "Minimise: the window manager did not iconify the frame"
  check 'state_of _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN' "Minimise: the frame is not hidden"
  screenshot minimised
  wmctrl -i -a "$frame"
  wait_for 'state_of WM_STATE | grep -q Normal' || fail "the window manager did not restore the frame"
  wait_for 'frame_at "$normal"' || fail "restored from minimised, the frame is at $(geometry "$frame")"
  restored_as_before restored_from_minimised
else
  # Without a window manager the minimised frame is its caption strip at the
  # screen's bottom-left, whose buttons and double clicks work.
  wait_for 'frame_at "160x24+0+1000"' || fail "Minimise: the frame is at $(geometry "$frame"), not a strip at the bottom-left"
  screenshot minimised
  # The strip is painted: the caption's colour (inactive or active), not the desktop's.
  strip_colour=$(pixel "$pngs/$(printf '%02d' $shot)_minimised.png" 30 1005)
  check '[ "$strip_colour" = "#808080" ] || [ "$strip_colour" = "#0A246A" ]' "the minimised strip shows $strip_colour, not a caption"
  click_at 112 1013
  wait_for 'frame_at "$normal"' || fail "the strip's Restore left the frame at $(geometry "$frame")"
  restored_as_before restored_by_button
  click_at $(caption_button min)
  wait_for 'frame_at "160x24+0+1000"' || fail "the second Minimise: $(geometry "$frame")"
  double_click_at 60 1013
  wait_for 'frame_at "$normal"' || fail "a double click on the strip left the frame at $(geometry "$frame")"
  restored_as_before restored_by_double_click
  # The keyboard reaches the restored frame.
  keys alt+f
  wait_for '[ -n "$(windows_of_type POPUP_MENU)" ]' || fail "after the restore Alt+F opened no menu"
  keys Escape Escape
fi

# --- every menu with the frame at the screen's bottom-right corner ---
IFS='x+' read -r fw fh fx fy < <(geometry "$frame")
xdotool windowmove "$frame" $((1280 - 330)) $((1024 - 90))
wait_for 'frame_at "${fw}x${fh}+$((1280 - 330))+$((1024 - 90))"' || fail "the frame did not move to the corner: $(geometry "$frame")"
sleep 0.5
for letter in f e m s w h; do
  keys alt+$letter
  wait_for '[ -n "$(windows_of_type POPUP_MENU)" ]' || fail "Alt+$letter at the corner opened no menu"
  IFS='x+' read -r mw mh mx my < <(geometry "$(windows_of_type POPUP_MENU | head -1)")
  screenshot "menu_${letter}_at_corner"
  check '[ "$mx" -ge 0 ] && [ "$my" -ge 0 ] && [ $((mx + mw)) -le 1280 ] && [ $((my + mh)) -le 1024 ]' \
    "(menus at the screen's edges) the Alt+$letter menu ${mw}x${mh}+$mx+$my runs off the screen"
  keys Escape Escape
  wait_for '[ -z "$(windows_of_type POPUP_MENU)" ]' || fail "Escape left the Alt+$letter menu open"
done
xdotool windowmove "$frame" 40 30
wait_for 'frame_at "$normal"' || fail "the frame did not come back from the corner"
sleep 0.5

# --- File walked with the keyboard: Down skips the separators ---
# From New, Down six times passes Open, Save, Save As, Import Source, Import
# Target and stops on Export Current Frame, whose Enter asks for the picture
# to write ("Select Image File"); a separator that took a press would stop
# on an import instead. Opened with no item lit, the first Down lights New.
keys alt+f
wait_for '[ -n "$(windows_of_type POPUP_MENU)" ]' || fail "Alt+F opened no menu"
import -window "$(windows_of_type POPUP_MENU | head -1)" "$saved/file_opened.png"
lit=$(convert "$saved/file_opened.png" -fill black +opaque "#B6BED3" -fill white -opaque "#B6BED3" \
  -format "%[fx:round(mean*w*h)]" info:)
presses=(Down Down Down Down Down Down)
[ "$lit" -gt 100 ] || presses+=(Down)
keys "${presses[@]}"
screenshot file_walked
keys Return
if wait_for '[ -n "$(windows_of_type DIALOG)" ]'; then
  dialog=$(windows_of_type DIALOG | head -1)
  screenshot file_walked_dialog
  check '[ "$(xdotool getwindowname "$dialog")" = "Select Image File" ]' \
    "(menu keys skip separators) Down six times and Enter on File opened '$(xdotool getwindowname "$dialog")'"
  keys Escape
  wait_for '[ -z "$(windows_of_type DIALOG)" ]' || fail "Escape left the dialog open"
else
  fail "(menu keys skip separators) Down six times and Enter on File opened nothing"
  keys Escape Escape
fi

# --- Output Size: the first field has the keys; its number selected and typed over ---
keys ctrl+i
wait_for 'xdotool search --onlyvisible --pid "$pid" --name "Output image  Size" >/dev/null' || fail "no Output Size dialog"
printf '' | xclip -selection clipboard -i
keys Home shift+End 4 0 0
screenshot output_size_typed
keys Home shift+End ctrl+Insert
typed=
for _ in $(seq 1 30); do
  typed=$(xclip -o -selection clipboard 2>/dev/null || true)
  [ -n "$typed" ] && break
  sleep 0.1
done
check '[ "$typed" = 400 ]' "typing 400 over Output Size's selected first field gives '$typed'"
keys Escape
wait_for '[ -z "$(windows_of_type DIALOG)" ]' || fail "Escape left Output Size open"

# --- Preview and Play dragged out of the frame and back ---
xdotool mousemove 1270 5
sleep 0.5
screenshot before_drag
before_drag=$pngs/$(printf '%02d' $shot)_before_drag.png
IFS='x+' read -r fw fh fx fy < <(geometry "$frame")
grip_x=$((fx + 420)) grip_y=$((fy + 92))
xdotool mousemove $grip_x $grip_y mousedown 1
sleep 0.3
for step in "600 300" "800 600" "900 650"; do xdotool mousemove $step; sleep 0.2; done
sleep 0.5
screenshot drag_out
xdotool mouseup 1
wait_for '[ -n "$(windows_of_type UTILITY)" ]' || fail "dropped outside the frame, Preview and Play is no window of its own"
IFS='x+' read -r bw bh bx by < <(geometry "$(windows_of_type UTILITY)")
check '[ "$bx" -gt 600 ] && [ "$by" -gt 400 ]' "the bar floats at ${bw}x${bh}+$bx+$by, not where it was dropped"
screenshot bar_floating
xdotool mousemove $((bx + 30)) $((by + 8)) mousedown 1
sleep 0.3
for step in "500 300" "$((grip_x + 40)) $((grip_y + 10))" "$grip_x $grip_y"; do xdotool mousemove $step; sleep 0.2; done
sleep 0.5
xdotool mouseup 1
wait_for '[ -z "$(windows_of_type UTILITY)" ]' || fail "dragged back, Preview and Play did not dock"
xdotool mousemove 1270 5
sleep 1
screenshot bar_docked_again
# Docked again in its column at the frame's right, as wide as before: its
# picture matches the one before the drag, a few pixels lower at most (the
# drop follows where the floating bar was held), apart from its caption, now
# shown active (about 2700 pixels).
after_drag=$pngs/$(printf '%02d' $shot)_bar_docked_again.png
column="200x190+$((fx + fw - 205))+$((fy + 80))"
convert "$before_drag" -crop "$column" +repage "$saved/column_before.png"
best=
for shift in 0 1 2 3 4 5 6 7 8; do
  convert "$after_drag" -crop "200x190+$((fx + fw - 205))+$((fy + 80 + shift))" +repage "$saved/column_after.png"
  changed=$(compare -metric AE "$saved/column_before.png" "$saved/column_after.png" null: 2>&1 || true)
  [ -z "$best" ] || [ "$changed" -lt "$best" ] && best=$changed
done
check '[ "$best" -lt 4000 ]' "(Preview and Play drag) docked again, the bar's column differs from before the drag in $best pixels"

# --- quit: the process ends at once and its profile is written ---
ended_within() {
  local start now
  start=$(date +%s%N)
  while kill -0 "$pid" 2>/dev/null; do
    now=$(date +%s%N)
    [ $(((now - start) / 1000000)) -lt "$1" ] || return 1
    sleep 0.01
  done
}
quit() {
  xdotool windowfocus --sync "$frame" 2>/dev/null || true
  keys alt+F4
  # From the frame's leaving the screen to the process's end.
  wait_for '! xwininfo -id "$frame" 2>/dev/null | grep -q IsViewable' || fail "Alt+F4 did not close the frame"
  ended_within 200 || fail "the program stays after its frame went: $(ended_within 3000 && echo ended later)"
  wait "$pid" || fail "the program ended with $?"
  pid=
}
quit
grep -q 'Calvetta-Main' "$profile" 2>/dev/null || grep -q -- '-Main' "$profile" || fail "no profile written at the end"

# --- the program started with a project's full path, as a file manager does ---
project="$temp/my day.pvk"
cp "$(dirname "$program")/Sample/Shapes.pvk" "$project"
CALVETTA_REGISTRY=$registry TMPDIR=$temp "$program" "$project" &
pid=$!
wait_for '[ -n "$(windows_of_type NORMAL)" ]' || fail "started with $project, no frame showed"
frame=$(windows_of_type NORMAL)
if wait_for 'xdotool search --onlyvisible --pid "$pid" --name "Load Sample" >/dev/null'; then keys Escape; fi
wait_for '[ "$(xdotool getwindowname "$frame")" = "my day.pvk - Calvetta" ]' ||
  fail "started with $project, the frame says '$(xdotool getwindowname "$frame")'"
sleep 1
screenshot opened_by_full_path
quit
echo "$mode: the newcomer's session went through"
