#!/usr/bin/env bash
# A newcomer on a 1024x768 screen (xvfb-run -s "-screen 0 1024x768x24"),
# without a window manager (bare) or under Openbox:
#   small_screen_under_xvfb.sh PROGRAM PNG_DIR bare|openbox
# start and load a sample; maximise by the caption's button; every control
# of the Effect panel's In and Out effect groups answers a click (the effect
# lists open, the frame counts' spin buttons count); then, the frame
# restored and its menu bar about 100 pixels above the screen's bottom, a
# click on each menu title opens its menu off the title (above it when there
# is no room below) and runs nothing
# (no dialog opens, the Effect panel stays). Every step leaves a screenshot
# in PNG_DIR.
set -euo pipefail
program=$1 pngs=$2/small_screen_$3 mode=$3
source "$(dirname "$0")/first_start.sh"
first_start "$program"
manager=
cleanup_extra() { [ -z "$manager" ] || kill "$manager" 2>/dev/null || true; }
mkdir -p "$pngs"
shot=0
screenshot() {
  shot=$((shot + 1))
  last_shot=$pngs/$(printf '%02d' $shot)_$1.png
  import -window root "$last_shot"
}
fail() {
  echo "$mode: $*" >&2
  import -window root "$pngs/failed.png" 2>/dev/null || true
  exit 1
}
check() { eval "$1" || fail "$2"; }
keys() { xdotool key --delay 80 "$@"; sleep 0.4; }
frame_at() { [ "$(geometry "$frame")" = "$1" ]; }
differing() {
  compare -metric AE -crop "$3" "$1" "$2" null: 2>&1 || true
}
click_at() { xdotool mousemove "$1" "$2" click 1; sleep 0.5; }
IFS='x' read -r screen_w screen_h < <(xdpyinfo | awk '/dimensions:/{print $2}')
[ "$screen_w" = 1024 ] && [ "$screen_h" = 768 ] || fail "the screen is ${screen_w}x${screen_h}, not 1024x768"
maximised_geometry=1032x776+-4+-4
if [ "$mode" = openbox ]; then
  openbox --sm-disable >/dev/null 2>&1 &
  manager=$!
  wait_for 'wmctrl -m 2>/dev/null | grep -q Openbox' || fail "openbox did not start"
  maximised_geometry=1024x768+0+0
fi
# A point of the frame given in its caption's coordinates: the frame's own
# border is 4 pixels wide.
in_frame() {
  IFS='x+' read -r w h x y < <(geometry "$frame")
  echo $((x + 4 + $1)) $((y + 4 + $2))
}

# --- start, load a sample, maximise ---
start_program
frame=$(windows_of_type NORMAL)
[ -n "$frame" ] || fail "no frame window"
wait_for 'xdotool search --onlyvisible --pid "$pid" --name "Load Sample" >/dev/null' || fail "no Load Sample dialog"
keys Return
wait_for 'xdotool getwindowname "$frame" | grep -q "\.pvk - Calvetta"' ||
  fail "the sample did not load: the frame says '$(xdotool getwindowname "$frame")'"
sleep 1
screenshot sample_loaded
IFS='x+' read -r w h x y < <(geometry "$frame")
click_at $((x + w - 32)) $((y + 13))
wait_for 'frame_at "$maximised_geometry"' || fail "Maximise: the frame is at $(geometry "$frame")"
xdotool mousemove 1010 5
sleep 1
screenshot maximised

# --- the Effect panel's effect groups, each control clicked ---
# Places in the maximised frame, from its caption's top-left: the Effect bar
# lies on the left from under the toolbar to the status bar.
effect_list() {  # name x y
  click_at $(in_frame "$2" "$3")
  wait_for '[ -n "$(windows_of_type DROPDOWN_MENU)$(windows_of_type POPUP_MENU)" ]' ||
    fail "a click on the $1 effect's list at $2,$3 opened nothing"
  IFS='x+' read -r lw lh lx ly < <(geometry "$(windows_of_type DROPDOWN_MENU)$(windows_of_type POPUP_MENU)")
  screenshot "${1}_effect_list"
  check '[ $((ly + lh)) -le 768 ]' "the $1 effect's list ${lw}x${lh}+$lx+$ly runs off the screen"
  keys Escape
  wait_for '[ -z "$(windows_of_type DROPDOWN_MENU)$(windows_of_type POPUP_MENU)" ]' || fail "Escape left the $1 list open"
}
spin_up() {  # name x y: the up button of a frame count, with its field to the left
  local before
  xdotool mousemove 1010 5
  sleep 0.3
  screenshot "before_${1}_frames"
  before=$last_shot
  read -r sx sy < <(in_frame "$2" "$3")
  click_at "$sx" "$sy"
  xdotool mousemove 1010 5
  sleep 0.5
  screenshot "${1}_frames_counted"
  check '[ "$(differing "$before" "$last_shot" "40x14+$((sx - 42))+$((sy - 2))")" -gt 0 ]' \
    "a click on the $1 effect's Frames spin button at $2,$3 changed nothing"
}
effect_list In 85 444
spin_up In 300 440
effect_list Out 85 587
spin_up Out 300 583
xdotool mousemove 1010 5
sleep 0.5
screenshot effect_groups_used
# The foot of the Out effect's group is on the screen, inside the bar.
read -r gx gy < <(in_frame 10 697)
check '[ "$gy" -lt 760 ]' "the Out effect group ends at $gy, below the Effect bar"

# --- every menu title clicked with the menu bar near the screen's bottom ---
IFS='x+' read -r w h x y < <(geometry "$frame")
click_at $((x + w - 32)) $((y + 13))
wait_for '! frame_at "$maximised_geometry"' || fail "Restore left the frame maximised"
sleep 0.5
IFS='x+' read -r fw fh fx fy < <(geometry "$frame")
# The titles' row lies 35 pixels below the caption's top.
xdotool windowmove "$frame" 40 $((768 - 100 - 39))
wait_for 'frame_at "${fw}x${fh}+40+$((768 - 100 - 39))"' || fail "the frame did not move near the bottom: $(geometry "$frame")"
xdotool mousemove 1010 5
sleep 1
screenshot frame_low
before_menus=$last_shot
read -r _ title_y < <(in_frame 0 35)
for title in "File 31" "Edit 67" "Mode 107" "Setup 152" "Window 203" "Help 251"; do
  read -r name tx <<<"$title"
  click_at $(in_frame "$tx" 35)
  wait_for '[ -n "$(windows_of_type POPUP_MENU)$(windows_of_type DIALOG)" ]' || true
  screenshot "menu_${name}_low"
  check '[ -z "$(windows_of_type DIALOG)" ]' \
    "(a click on a title runs nothing) a click on $name opened '$(xdotool getwindowname "$(windows_of_type DIALOG | head -1)")'"
  popup=$(windows_of_type POPUP_MENU | head -1)
  [ -n "$popup" ] || fail "a click on $name opened no menu"
  if [ -n "$popup" ]; then
    IFS='x+' read -r mw mh mx my < <(geometry "$popup")
    # Below its title where it has room, else above it: never over it.
    check '[ $((my + mh)) -le $((title_y - 8)) ] || [ "$my" -ge "$title_y" ]' \
      "(menu off its title) the $name menu ${mw}x${mh}+$mx+$my covers its title at $title_y"
  fi
  keys Escape Escape
  wait_for '[ -z "$(windows_of_type POPUP_MENU)" ]' || fail "Escape left the $name menu open"
  check '[ -z "$(windows_of_type DIALOG)" ]' \
    "(a click on a title runs nothing) a click on $name opened '$(xdotool getwindowname "$(windows_of_type DIALOG | head -1)")'"
  keys Escape
  xdotool mousemove 1010 5
  sleep 0.5
  screenshot "after_${name}"
  read -r px py < <(in_frame 0 80)
  check '[ "$(differing "$before_menus" "$last_shot" "300x$((768 - py))+$px+$py")" -lt 200 ]' \
    "(a click on a title runs nothing) after a click on $name the Effect panel changed"
done
echo "$mode: the small screen's session went through"
