#!/usr/bin/env bash
# Sets everything up and runs a console program with a simulated station on
# its COM1: ./run.sh (karvel) or ./run.sh tomrik. The simulator listens on a
# pseudo-terminal that STATION_COM1 names, and stops when the program ends.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
program=${1:-karvel}
case "$program" in
  karvel|tomrik) ;;
  *) echo "usage: ./run.sh [karvel|tomrik]" >&2; exit 2 ;;
esac
cd build/bin
if [ ! -x ./stationsim ]; then
  exec ./"$program"
fi
line_dir=$(mktemp -d)
# The station is a live one: its telephones call on their own.
live=(--traffic --seed "$RANDOM")
./stationsim --model "$program" "${live[@]}" --link "$line_dir/com1" >"$line_dir/stationsim.log" 2>&1 &
sim=$!
stop_sim() {
  kill "$sim" 2>/dev/null || true
  wait "$sim" 2>/dev/null || true
  rm -rf "$line_dir"
}
trap stop_sim EXIT
for _ in $(seq 50); do
  [ -e "$line_dir/com1" ] && break
  sleep 0.1
done
if [ ! -e "$line_dir/com1" ]; then
  echo "the station simulator did not start:" >&2
  cat "$line_dir/stationsim.log" >&2
  exit 1
fi
STATION_COM1="$line_dir/com1" ./"$program"
