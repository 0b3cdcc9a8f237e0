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
