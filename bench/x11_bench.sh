#!/usr/bin/env bash
# Runs the X11 host's benchmarks on a fresh Xvfb screen of 1280x1024, first
# with no window manager, then under Openbox.
#   bash bench/x11_bench.sh [BENCH_DIR]     (default: build/bench/bench)
# Needs xvfb-run and openbox (scripts/setup installs both) and a build made
# with -DCALVETTA_BENCH=ON (see the README).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$(realpath "${1:-build/bench/bench}")
# (Itself again, on the display xvfb-run made: BENCH_DIR --on-display none|openbox.)
for program in bench_x11_presents bench_x11_menu_open; do
  [ -x "$dir/$program" ] || { echo "x11_bench: $dir/$program is not built" >&2; exit 1; }
done

# One display's run: with "openbox" the window manager starts first and is
# waited for, so that it manages every window the benchmarks open.
run_on_display() {
  local wm=$1 dir=$2
  if [ "$wm" = openbox ]; then
    openbox --sm-disable >/dev/null 2>&1 &
    local pid=$! tries=0
    until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
      tries=$((tries + 1))
      [ $tries -lt 100 ] || { echo "x11_bench: openbox did not start" >&2; kill $pid; exit 1; }
      sleep 0.1
    done
  fi
  "$dir/bench_x11_presents" --benchmark_filter='Present'
  "$dir/bench_x11_menu_open"
  if [ "$wm" = openbox ]; then kill $pid; fi
}
if [ "${2:-}" = --on-display ]; then
  run_on_display "$3" "$dir"
  exit
fi
for wm in none openbox; do
  echo "== window manager: $wm"
  xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$dir" --on-display "$wm"
done
