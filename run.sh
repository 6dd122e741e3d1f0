#!/usr/bin/env bash
# Sets up what the programs need and runs one with a simulated station on
# its COM1: ./run.sh (karvel) or ./run.sh tomrik. The simulator listens on a
# pseudo-terminal that STATION_COM1 names, and stops when the program ends.
# The program runs in work/ (git ignores it; a rebuild does not touch it),
# where its settings files, logs and reports stay between runs.
set -euo pipefail
usage() { echo "usage: ./run.sh [karvel|tomrik]"; }
case $# in
  0) program=karvel ;;
  1) program=$1 ;;
  *) usage >&2; exit 2 ;;
esac
case "$program" in
  karvel|tomrik) ;;
  -h|--help) usage; exit 0 ;;
  *) usage >&2; exit 2 ;;
esac
cd "$(dirname "$0")"
echo "Work folder: $PWD/work (the program's settings files, logs and reports stay there)"
scripts/setup.sh programs
bin=$PWD/build/bin
mkdir -p work
cd work
line_dir=$(mktemp -d)
live=(--traffic --seed "$RANDOM")
if [ "$program" = tomrik ]; then
  # The storage device of "Работа с накопителем", with a dozen calls; it
  # takes the line by itself while the program is quiet.
  live+=(--storage gen --storage-auto)
fi
"$bin/stationsim" --model "$program" "${live[@]}" --link "$line_dir/com1" >"$line_dir/stationsim.log" 2>&1 &
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
STATION_COM1="$line_dir/com1" "$bin/$program"
