#!/usr/bin/env bash
# Round trips through link_read_block against stationsim on a
# pseudo-terminal: 2048 reads of 16 bytes at 57600 baud, first with the
# simulator answering at once (what the link itself costs), then with it
# pacing its answers at the line speed (measured against the wire time).
#
# Usage: bench/link_roundtrip.sh [build/bin] [reads] [count]
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
reads=${2:-2048}
count=${3:-16}
dir=$(mktemp -d)
sim=
stop() {
  [ -n "$sim" ] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
  sim=
}
trap 'stop; rm -rf "$dir"' EXIT

run() {
  local label=$1
  shift
  rm -f "$dir/com1"
  "$bin/stationsim" --model karvel --baud 57600 --link "$dir/com1" "$@" >"$dir/sim.log" 2>&1 &
  sim=$!
  for _ in $(seq 50); do [ -e "$dir/com1" ] && break; sleep 0.1; done
  echo "== $label"
  STATION_COM1="$dir/com1" "$bin/link_roundtrip" "$reads" "$count" 3
  stop
}

run "simulator answering at once"
run "simulator paced at the line speed" --pace
