#!/usr/bin/env bash
# karvel's SELECTOR and expansion board views follow a live station: what
# they show is what the station's traffic says in its log it has started (a
# conference led by a port on a channel, a port recording on a board
# channel), and the board view goes back to work when the recording ends.
source "$(dirname "$0")/lib.bash"

cp "$BIN/help.txt" "$WORK/"
start_station --model karvel --traffic --seed 4 -v || finish
start_on_station karvel
connect_karvel || finish

# newest_log TEXT: the simulator's newest log line with the text.
newest_log() { grep -F -- "$1" "$WORK/sim.log" | tail -1; }

# shown_as_logged SECONDS TEXT REGEX CHECK: until the newest log line with
# TEXT, matched against REGEX, passes CHECK (a function that compares the
# screen with BASH_REMATCH); the station may be between two of them.
shown_as_logged() {
  local i line
  for ((i = 0; i < $1 * 10; i++)); do
    line=$(newest_log "$2")
    if [[ $line =~ $3 ]] && $4; then
      echo "the station: ${line#stationsim: }"
      return 0
    fi
    sleep 0.1
  done
  echo "FAIL: the view never showed what the log says: '$(newest_log "$2")'"
  screen_text | sed 's/^/    | /'
  FAILED=1
  return 1
}

# The conference's leader and channel, and the leader among the channel's
# subscribers.
selector_shown() {
  local leader channel
  leader=$(printf "A%02d" "${BASH_REMATCH[1]}")
  channel=$(printf "%3d" "${BASH_REMATCH[2]}")
  row 6 | grep -qE "^.{31}$leader" && row 7 | grep -qE "^.{31}$channel" && row 16 | grep -qE "^Канал:.*$leader"
}

# The recording port as the working subscriber, the board programming from
# the station's input, the channel busy. Notes the channel's column.
board_shown() {
  worker=$(printf "%2d" "${BASH_REMATCH[1]}")
  column=$((9 + 25 * (BASH_REMATCH[2] - 1)))
  row 9 | grep -qE "^.{33}$worker" && row 6 | grep -qE "Программирование" && row 7 | grep -qE "входа: +Станция *$" &&
    row 12 | grep -qE "^.{$column}(Подг\. записи|Запись|Пауза|Воспроизвед\.)"
}

open_menu "D/Работа" || finish
choose "4.Отображение режима СЕЛЕКТОР" || finish
wait_for "Ведущий режима СЕЛЕКТОР:" || finish
shown_as_logged 60 "leads a SELECTOR conference" "port ([0-9]+) leads a SELECTOR conference on channel ([0-9]+)" \
  selector_shown || finish

# The expansion board view, while a port records; then back to work.
keys Escape
wait_for "5.Работа плата расширения" || finish
choose "5.Работа плата расширения" || finish
wait_for "Номер рабочего абонента:" || finish
shown_as_logged 60 "records on board channel" "port ([0-9]+) records on board channel ([1-3])" board_shown || finish
wait_row 6 "устройства: +Работа *$" 20 || finish
wait_row 12 "^.{$column}Свободен" 20 || finish
wait_row 9 "абонента: *$" || finish

keys Escape
wait_for "5.Работа плата расширения" || finish
keys Escape Escape Enter
wait_for "PROGRAM-ENDED" || finish
finish
