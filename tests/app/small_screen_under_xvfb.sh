#!/usr/bin/env bash
# A newcomer on a 1024x768 screen (xvfb-run -s "-screen 0 1024x768x24"),
# without a window manager (bare) or under Openbox:
#   small_screen_under_xvfb.sh PROGRAM PNG_DIR bare|openbox
# start and load a sample; take the factory layout from the Window menu;
# maximise by the caption's button; every control
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
IFS='x' read -r screen_w screen_h < <(xdpyinfo | awk '/dimensions:/{print $2}')
start_session 1032x776+-4+-4 1024x768+0+0
[ "$screen_w" = 1024 ] && [ "$screen_h" = 768 ] || fail "the screen is ${screen_w}x${screen_h}, not 1024x768"
# A point of the frame given in its caption's coordinates: the frame's own
# border is 4 pixels wide.
in_frame() {
  IFS='x+' read -r w h x y < <(geometry "$frame")
  echo $((x + 4 + $1)) $((y + 4 + $2))
}

# --- start, load a sample, take the factory layout, maximise ---
# A first start docks the Effect bar at the bottom at its creation height,
# which shows the pair list and the first fields; Window > Load default
# windows layout gives it the left side, where the whole panel has room.
start_with_sample
click_at $(in_frame 203 35)
wait_for '[ -n "$(windows_of_type POPUP_MENU)" ]' || fail "a click on Window opened no menu"
IFS='x+' read -r mw mh mx my < <(geometry "$(windows_of_type POPUP_MENU | head -1)")
click_at $((mx + 40)) $((my + mh - 12))
wait_for '[ -z "$(windows_of_type POPUP_MENU)" ]' || fail "Load default windows layout left the Window menu open"
sleep 1
screenshot default_layout
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
