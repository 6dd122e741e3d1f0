#!/usr/bin/env bash
# tomrik ended by a signal in the middle of station to file: the file being
# made beside the old one is removed, and the old file stays as it was.
source "$(dirname "$0")/lib.bash"

start_station --model tomrik || finish
printf 'old settings' >"$WORK/from.set"
chmod 640 "$WORK/from.set"

start_on_station tomrik
connect_tomrik || finish
# The pane's shell runs the program as its child.
PROGRAM_PID=$(pgrep -P "$(tm display-message -p '#{pane_pid}')")

choose " Чтение установок из станции в файл" || finish
wait_for "Колличество файлов: 1" || finish
keys f r o m Enter
wait_for "Записать установки в файл from.set Y/N" || finish
keys y
wait_for "▓" 10 || finish
if ! ls -A "$WORK" | grep -q '^\.from\.set\.'; then
  echo "FAIL: no new file beside from.set while the transfer runs"
  FAILED=1
fi
kill -TERM "$PROGRAM_PID"
wait_for "PROGRAM-ENDED" || finish

left=$(ls -A "$WORK" | grep '^\.' || true)
[ -z "$left" ] || { echo "FAIL: left behind: $left"; FAILED=1; }
[ "$(cat "$WORK/from.set")" = "old settings" ] || { echo "FAIL: from.set changed"; FAILED=1; }
[ "$(stat -c %a "$WORK/from.set")" = 640 ] || { echo "FAIL: the mode of from.set changed"; FAILED=1; }
finish
