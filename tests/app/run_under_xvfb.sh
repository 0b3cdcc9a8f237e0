#!/usr/bin/env bash
# Starts the built program on the X server that xvfb-run gives it, as
# scripts/run would, and takes a screenshot of the screen once it shows.
#   run_under_xvfb.sh PROGRAM PNG
set -euo pipefail
program=$1 png=$2
registry=$(mktemp -d)
trap 'rm -rf "$registry"' EXIT
CALVETTA_REGISTRY=$registry "$program" &
pid=$!
# The editor is up when a window of its own name is on the screen.
for _ in $(seq 1 120); do
  if ! kill -0 "$pid" 2>/dev/null; then echo "calvetta ended early" >&2; exit 1; fi
  if xdotool search --name Calvetta >/dev/null 2>&1; then break; fi
  sleep 0.5
done
sleep 3
mkdir -p "$(dirname "$png")"
import -window root "$png"
kill "$pid"
wait "$pid" 2>/dev/null || true
test -s "$png"
