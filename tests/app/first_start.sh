# Sourced by the scripts that drive the built program on an X server, as a
# user's first start: a registry and a temporary folder of its own, the
# profile and the small settings beside the program (cM.ini, Data/*.dat: the
# program writes them as it ends) set aside for the run and put back
# afterwards, and the program stopped if still running.
#   first_start PROGRAM   sets registry, temp, saved, profile; pid stays empty
#   start_program         starts it and waits for its frame: pid, window
# A script with more to undo at the end defines cleanup_extra.
first_start() {
  program=$1
  registry=$(mktemp -d) temp=$(mktemp -d) saved=$(mktemp -d)
  profile=$(dirname "$program")/cM.ini settings=$(dirname "$program")/Data
  [ ! -e "$profile" ] || mv "$profile" "$saved/"
  mkdir -p "$saved/Data"
  find "$settings" -maxdepth 1 -name '*.dat' -exec mv {} "$saved/Data/" \; 2>/dev/null || true
  pid=
  trap restore_first_start EXIT
}
restore_first_start() {
  [ -z "$pid" ] || ! kill -0 "$pid" 2>/dev/null || kill "$pid"
  ! declare -F cleanup_extra >/dev/null || cleanup_extra
  rm -f "$profile"
  [ ! -e "$saved/cM.ini" ] || mv "$saved/cM.ini" "$profile"
  find "$settings" -maxdepth 1 -name '*.dat' -delete 2>/dev/null || true
  find "$saved/Data" -maxdepth 1 -name '*.dat' -exec mv {} "$settings/" \; 2>/dev/null || true
  rm -rf "$registry" "$temp" "$saved"
}
# The editor is up when a window of its own name is on the screen.
start_program() {
  CALVETTA_REGISTRY=$registry TMPDIR=$temp "$program" &
  pid=$!
  window=
  for _ in $(seq 1 120); do
    if ! kill -0 "$pid" 2>/dev/null; then echo "calvetta ended early" >&2; exit 1; fi
    window=$(xdotool search --name Calvetta 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 0.5
  done
  sleep 3
}
# Waits until the command succeeds (ten seconds at most).
wait_for() {
  for _ in $(seq 1 50); do
    if eval "$1"; then return 0; fi
    sleep 0.2
  done
  return 1
}
# "WxH+X+Y" of an X window.
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
    /Width:/{w=$NF} /Height:/{h=$NF} END{print w "x" h "+" x "+" y}'
}
# The program's shown X windows of a _NET_WM_WINDOW_TYPE (NORMAL, DIALOG, POPUP_MENU …).
windows_of_type() {
  for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
    if xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q "_NET_WM_WINDOW_TYPE_$1\$"; then echo "$w"; fi
  done
}

# --- a newcomer's session, step by step (first_import, newcomer, small_screen) ---
# The script sets pngs (its screenshots' folder) and mode (bare or openbox).
shot=0
# A numbered screenshot of the whole screen: last_shot names it.
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
click_at() { xdotool mousemove "$1" "$2" click 1; sleep 0.5; }
# The count of pixels that differ between two screenshots inside a WxH+X+Y rectangle.
differing() {
  compare -metric AE -crop "$3" "$1" "$2" null: 2>&1 || true
}
# Starts Openbox in the openbox mode; maximised_geometry is the maximised
# frame's, bare (its border off the screen) or under the manager.
#   start_session BARE_MAXIMISED OPENBOX_MAXIMISED
start_session() {
  mkdir -p "$pngs"
  rm -f "$pngs"/*.png
  manager=
  cleanup_extra() { [ -z "${manager:-}" ] || kill "$manager" 2>/dev/null || true; }
  maximised_geometry=$1
  [ "$mode" = openbox ] || return 0
  openbox --sm-disable >/dev/null 2>&1 &
  manager=$!
  wait_for 'wmctrl -m 2>/dev/null | grep -q Openbox' || fail "openbox did not start"
  maximised_geometry=$2
}
# Starts the program and takes the first sample that Load Sample offers:
# frame is the main window.
start_with_sample() {
  start_program
  frame=$(windows_of_type NORMAL)
  [ -n "$frame" ] || fail "no frame window"
  wait_for 'xdotool search --onlyvisible --pid "$pid" --name "Load Sample" >/dev/null' || fail "no Load Sample dialog"
  keys Return
  wait_for 'xdotool getwindowname "$frame" | grep -q "\.pvk - Calvetta"' ||
    fail "the sample did not load: the frame says '$(xdotool getwindowname "$frame")'"
  sleep 1
  screenshot sample_loaded
}
