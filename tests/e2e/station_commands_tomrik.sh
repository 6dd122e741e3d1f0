#!/usr/bin/env bash
# A complete tomrik backup from the command line: a phone book number typed
# on the phone book screen goes with --read-station into the companion file
# and comes back with --write-station into a fresh station, where the screen
# shows it again; the settings file equals the simulator's saved image, and
# --show lists the number from the companion file.
# SIGTERM in the middle of a read ends it with 143, the old file kept and
# no temporary file left; with no station the command fails with 1; a
# companion that is no such file is refused before anything is sent.
source "$(dirname "$0")/lib.bash"

# station_command ARGS...: tomrik on the simulator's line.
station_command() { run_command tomrik "$@" --port "$WORK/com1"; }

# open_common_book: from the File menu of a connected tomrik.
open_common_book() {
  keys Right Right Enter
  wait_for "Общая записная книжка" || return 1
}

start_station --model tomrik --save "$WORK/after.set" || finish
start_on_station tomrik
connect_tomrik || finish
open_common_book || finish
keys Down Down Down Down Enter 5 5 5 1 2 3 4 Enter
wait_for "5      │ 5551234" || finish
keys Escape Escape Escape Enter
wait_for "PROGRAM-ENDED" || finish
stop_program

station_command --read-station backup.set
expect_status 0 "--read-station"
grep -q "phone books in backup.pbk" "$WORK/err" || { echo "FAIL: no word of the phone books"; FAILED=1; }
[ "$(head -c 8 "$WORK/backup.pbk" 2>/dev/null)" = TOMRIKPB ] || { echo "FAIL: backup.pbk is no companion file"; FAILED=1; }
stop_station
cmp "$WORK/backup.set" "$WORK/after.set" || { echo "FAIL: backup.set differs from the station's image"; FAILED=1; }
# The listing takes the phone books from beside the file, and goes without
# them where there are none.
(cd "$WORK" && "$BIN/tomrik" --show backup.set) | grep -q "^Общая записная книзка / Запись 5: 5551234$" ||
  { echo "FAIL: --show does not list the phone book number"; FAILED=1; }
cp "$WORK/backup.set" "$WORK/alone.set"
(cd "$WORK" && "$BIN/tomrik" --show alone.set >"$WORK/out" 2>"$WORK/err") && ! grep -q "записная" "$WORK/out" ||
  { echo "FAIL: --show of a file without phone books"; sed 's/^/    | /' "$WORK/err"; FAILED=1; }

# A paced station: the read is still going when the signal comes.
start_station --model tomrik --pace || finish
printf 'old settings' >"$WORK/kept.set"
(cd "$WORK" && exec "$BIN/tomrik" --read-station kept.set --port "$WORK/com1") 2>"$WORK/err" &
reader=$!
for ((i = 0; i < 900; i++)); do
  grep -q "reading the settings: 10%" "$WORK/err" && break
  sleep 0.1
done
grep -q "reading the settings: 10%" "$WORK/err" || { echo "FAIL: the read never got going"; sed 's/^/    | /' "$WORK/err"; FAILED=1; }
kill -TERM "$reader"
wait "$reader"
STATUS=$?
expect_status 143 "--read-station stopped by SIGTERM"
grep -q "stopped by a signal" "$WORK/err" || { echo "FAIL: the signal was not told"; FAILED=1; }
[ "$(cat "$WORK/kept.set")" = "old settings" ] || { echo "FAIL: kept.set changed"; FAILED=1; }
left=$(ls -A "$WORK" | grep -e '^\.' -e '^kept.pbk' || true)
[ -z "$left" ] || { echo "FAIL: left behind: $left"; FAILED=1; }
stop_station

# No station on the line: status 1, and no file.
station_command --read-station none.set
expect_status 1 "--read-station with no station"
[ ! -e "$WORK/none.set" ] || { echo "FAIL: none.set was made"; FAILED=1; }

# A fresh station, whose common book has no fifth number, gets the backup.
start_station --model tomrik || finish
cp "$WORK/backup.set" "$WORK/junk.set"
printf 'TOMRIKPB\001T416\000\001\062\001\077' >"$WORK/junk.pbk"
station_command --write-station junk.set
expect_status 2 "--write-station with a damaged companion"
[ "$(wc -l <"$WORK/err")" = 1 ] && grep -q "junk.pbk is not a file of tomrik phone books" "$WORK/err" ||
  { echo "FAIL: the damaged companion was not named in one line"; sed 's/^/    | /' "$WORK/err"; FAILED=1; }
station_command --write-station backup.set
expect_status 0 "--write-station"
start_on_station tomrik
connect_tomrik || finish
open_common_book || finish
wait_for "5      │ 5551234" 10 || finish
keys Escape Escape Escape Enter
wait_for "PROGRAM-ENDED" || finish
finish
