# Sourced by the scripts that drive the built program on an X server, as a
# user's first start: a registry and a temporary folder of its own, the
# profile beside the program set aside for the run (the program writes one as
# it ends) and put back afterwards, and the program stopped if still running.
#   first_start PROGRAM   sets registry, temp, saved, profile; pid stays empty
#   start_program         starts it and waits for its frame: pid, window
# A script with more to undo at the end defines cleanup_extra.
first_start() {
  program=$1
  registry=$(mktemp -d) temp=$(mktemp -d) saved=$(mktemp -d)
  profile=$(dirname "$program")/cM.ini
  [ ! -e "$profile" ] || mv "$profile" "$saved/"
  pid=
  trap restore_first_start EXIT
}
restore_first_start() {
  [ -z "$pid" ] || ! kill -0 "$pid" 2>/dev/null || kill "$pid"
  ! declare -F cleanup_extra >/dev/null || cleanup_extra
  rm -f "$profile"
  [ ! -e "$saved/cM.ini" ] || mv "$saved/cM.ini" "$profile"
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
