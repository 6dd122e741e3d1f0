# Helpers for the end-to-end scenarios: each runs a real program in its own
# tmux server on an 80 x 25 pane and reads the screen back.
set -u

BIN=$(cd "$1" && pwd)
SOCK="e2e_$$_$RANDOM"
WORK=$(mktemp -d)
FAILED=0

tm() { tmux -L "$SOCK" -f /dev/null "$@"; }

cleanup() {
  tm kill-server 2>/dev/null
  [ -n "${SIM_PID:-}" ] && kill "$SIM_PID" 2>/dev/null
  # E2E_KEEP=DIR keeps the scenario's files (the simulator's log) there.
  [ -n "${E2E_KEEP:-}" ] && cp -r "$WORK/." "$E2E_KEEP/" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

# start_program "command line": runs it in the pane; the pane stays after the
# program ends so that its end can be seen.
start_program() {
  tm new-session -d -x 80 -y 25 -e LANG=C.UTF-8 -e LC_ALL=C.UTF-8 -e TERM=xterm-256color \
    "$1; echo PROGRAM-ENDED; sleep 30"
}

# stop_program: ends the tmux server and waits until it is gone, so that the
# next start_program gets a server of its own.
stop_program() {
  local i
  tm kill-server 2>/dev/null
  for ((i = 0; i < 40; i++)); do
    tm has-session 2>/dev/null || break
    sleep 0.05
  done
  sleep 0.2
}

screen_text() { tm capture-pane -p; }
screen_escapes() { tm capture-pane -p -e; }
row() { screen_text | sed -n "${1}p"; }

# wait_for TEXT [seconds]: until the screen shows the text.
wait_for() {
  local text=$1 limit=${2:-5} i
  for ((i = 0; i < limit * 20; i++)); do
    screen_text | grep -qF -- "$text" && return 0
    sleep 0.05
  done
  echo "FAIL: screen never showed: $text"
  screen_text | sed 's/^/    | /'
  FAILED=1
  return 1
}

# wait_log TEXT [seconds]: until the simulator's log has a line with the
# text; a loaded machine may take its time over a write.
wait_log() {
  local text=$1 limit=${2:-10} i
  for ((i = 0; i < limit * 20; i++)); do
    grep -qF -- "$text" "$WORK/sim.log" && return 0
    sleep 0.05
  done
  echo "FAIL: the simulator's log never showed: $text"
  FAILED=1
  return 1
}

# wait_row N PATTERN [seconds]: until screen row N matches the extended
# regular expression.
wait_row() {
  local n=$1 pattern=$2 limit=${3:-5} i
  for ((i = 0; i < limit * 20; i++)); do
    row "$n" | grep -qE -- "$pattern" && return 0
    sleep 0.05
  done
  echo "FAIL: row $n never matched '$pattern': '$(row "$n")'"
  screen_text | sed 's/^/    | /'
  FAILED=1
  return 1
}

# wait_gone TEXT [seconds]: until the screen no longer shows the text (a
# box has closed, so that the keys after it are not swallowed).
wait_gone() {
  local text=$1 limit=${2:-5} i
  for ((i = 0; i < limit * 20; i++)); do
    screen_text | grep -qF -- "$text" || return 0
    sleep 0.05
  done
  echo "FAIL: the screen still shows: $text"
  FAILED=1
  return 1
}

# file_size FILE: its size in bytes, 0 when it is not there.
file_size() { if [ -e "$1" ]; then wc -c <"$1" | tr -d ' '; else echo 0; fi; }

# wait_file_grows FILE [BYTES [seconds]]: until the file holds more than
# BYTES (0 unless told: until it is there and not empty).
wait_file_grows() {
  local file=$1 before=${2:-0} limit=${3:-10} i
  for ((i = 0; i < limit * 20; i++)); do
    [ "$(file_size "$file")" -gt "$before" ] && return 0
    sleep 0.05
  done
  echo "FAIL: $(basename "$file") never grew past $before bytes"
  FAILED=1
  return 1
}

# highlighted [FIRST [LAST]]: the screen rows FIRST..LAST with every cell
# blanked but those on the menus' highlight (a green background in both
# programs' colours).
highlighted() {
  screen_escapes | sed -n "${1:-1},${2:-25}p" | python3 2>/dev/null -c '
import re, sys
bg = None
for line in sys.stdin:
    out = []
    for m in re.finditer(r"\x1b\[([0-9;]*)m|\x1b[^m]*?[A-Za-z]|([^\x1b\n])", line):
        if m.group(2) is not None:
            out.append(m.group(2) if bg == 42 else " ")
        elif m.group(1) is not None:
            codes = (m.group(1) or "0").split(";")
            while codes:
                c = codes.pop(0)
                if c in ("", "0", "49"): bg = None
                elif c in ("38", "48"):
                    n = codes.pop(0) if codes else ""
                    taken = [codes.pop(0) for _ in range(1 if n == "5" else 3 if n == "2" else 0) if codes]
                    if c == "48": bg = ("ext",) + tuple(taken)
                elif c.isdigit() and (40 <= int(c) <= 47 or 100 <= int(c) <= 107): bg = int(c)
    print("".join(out))
'
}

# move_to KEY TEXT [FIRST LAST]: presses KEY until the highlight in rows
# FIRST..LAST holds the text, each press waiting until the highlight has
# moved; at most 20 presses.
move_to() {
  local key=$1 text=$2 first=${3:-2} last=${4:-25} i j now before
  for ((i = 0; i <= 20; i++)); do
    now=$(highlighted "$first" "$last")
    grep -qF -- "$text" <<<"$now" && return 0
    before=$now
    tm send-keys "$key"
    for ((j = 0; j < 60; j++)); do
      now=$(highlighted "$first" "$last")
      [ "$now" != "$before" ] && break
      sleep 0.05
    done
  done
  echo "FAIL: no highlighted entry with: $text"
  screen_text | sed 's/^/    | /'
  FAILED=1
  return 1
}

# wait_highlighted TEXT [FIRST LAST]: until the highlight in rows
# FIRST..LAST (2..25 unless told) holds the text.
wait_highlighted() {
  local i
  for ((i = 0; i < 100; i++)); do
    highlighted "${2:-2}" "${3:-25}" | grep -qF -- "$1" && return 0
    sleep 0.05
  done
  echo "FAIL: the highlight never came to: $1"
  screen_text | sed 's/^/    | /'
  FAILED=1
  return 1
}

# choose TEXT: in the open menu (or box menu), moves down to the entry with
# the text and presses Enter on it.
choose() { move_to Down "$1" && tm send-keys Enter; }

# open_menu TITLE: moves along the menu bar until the title's menu is open.
open_menu() { move_to Right "$1" 1 1; }

# expect_row N TEXT: row N starts with TEXT.
expect_row() {
  local got
  got=$(row "$1")
  if [[ "$got" != "$2"* ]]; then
    echo "FAIL: row $1 is '$got', expected it to start with '$2'"
    FAILED=1
  fi
}

# keys KEY...: sends the keys; what they lead to is waited for on the
# screen, not by the clock.
keys() { tm send-keys "$@"; }

finish() {
  if [ "$FAILED" -ne 0 ]; then
    echo "scenario failed"
    exit 1
  fi
  echo "scenario passed"
}

# start_station ARGS...: runs stationsim with the arguments on a line linked
# at $WORK/com1 (its log in $WORK/sim.log) and waits until the link is there.
start_station() {
  "$BIN/stationsim" --link "$WORK/com1" "$@" >"$WORK/sim.log" 2>&1 &
  SIM_PID=$!
  local i
  for ((i = 0; i < 50; i++)); do
    [ -e "$WORK/com1" ] && return 0
    sleep 0.1
  done
  echo "FAIL: the station simulator did not start"
  sed 's/^/    | /' "$WORK/sim.log"
  FAILED=1
  return 1
}

# stop_station: ends the simulator and waits until it has written its
# --save image.
stop_station() {
  kill "$SIM_PID"
  wait "$SIM_PID" 2>/dev/null
  SIM_PID=
}

# byte_at IMAGE ADDRESS: the byte of a karvel image at a station address.
byte_at() { od -An -tu1 -j "$(($2 - 0x8000))" -N1 "$1" | tr -d ' '; }

# expect_byte IMAGE ADDRESS VALUE WHAT: fails the scenario unless the karvel
# image holds VALUE at ADDRESS.
expect_byte() {
  local got
  got=$(byte_at "$1" "$2")
  [ "$got" = "$3" ] || { echo "FAIL: $4 in $(basename "$1") is $got, expected $3"; FAILED=1; }
}

# make_karvel_images HELP_DIR: help.txt from HELP_DIR in $WORK, and two
# images of one karvel station (identity "K-T216A4", exchange speed 57600,
# mode 1, parameters 80 and 92 free of access codes): $WORK/station.img, the
# station's memory, and $WORK/other.set, the same station with other
# settings. A file of a station holds the bytes it keeps to itself (its
# identity, version, clock, counters), since a write there is not stored.
make_karvel_images() {
  cp "$1/help.txt" "$WORK/"
  python3 - "$WORK" <<'PY'
import sys
work = sys.argv[1]
station = bytearray((i * 13 + i // 251) & 0xFF for i in range(32768))
station[0:8] = b"K-T216A4"
station[0x24] = 1  # the station runs in mode 1
station[0x29] = 3  # the exchange speed setting: 57600
other = bytearray((i * 5 + 3) & 0xFF for i in range(32768))
other[0x29] = station[0x29]
kept = list(range(0x00, 0x1F)) + [0x25, 0x26, 0x28, 0x2B, 0x32, 0x33] + list(range(0xE4, 0xE8))
for a in kept:
    other[a] = station[a]
for image in (station, other):
    for parameter in (80, 92):
        image[0xED00 - 0x8000 + parameter] = 0
open(f"{work}/station.img", "wb").write(station)
open(f"{work}/other.set", "wb").write(other)
PY
}

# make_tomrik_images: two images of one tomrik station (identity "T416"):
# $WORK/station.img, the station's records with a value in every setting,
# and $WORK/changed.set, the same with nine settings changed.
make_tomrik_images() {
  python3 - "$WORK" <<'PY'
import random, sys
work = sys.argv[1]
rng = random.Random(4)
image = bytearray(2048)
image[0:4] = b"T416"
for offset in (0x010, 0x020, 0x030):
    image[offset] = rng.randrange(256)
def fill(offset, size):
    for i in range(size):
        image[offset + i] = rng.randrange(1, 256)
for line in range(4):
    for base in (0x080, 0x090, 0x0A0, 0x0B0, 0x0D0, 0x0E0, 0x0F0, 0x100, 0x110, 0x120, 0x130):
        fill(base + line, 1)
    for base in (0x0C0, 0x140, 0x150, 0x160, 0x170, 0x180, 0x190, 0x1A0):
        fill(base + 4 * line, 4)
for group in range(15):
    fill(0x200 + 16 * group, 16)
for k in range(8):
    fill(0x320 + 16 * k, 4)
for k in range(6):
    fill(0x3A0 + 16 * k, 8 if k in (4, 5) else 4)
fill(0x400, 4 * 128)
fill(0x600, 8 * 16)
open(f"{work}/station.img", "wb").write(image)
changed = bytearray(image)
for offset in (0x020, 0x0B2, 0x0D2, 0x112, 0x1A4, 0x2EF, 0x3E7, 0x5FF, 0x67F):
    changed[offset] ^= 0x5A
open(f"{work}/changed.set", "wb").write(changed)
PY
}

# wait_for_result SECONDS FAILURE SUCCESS: until the screen shows one of the
# two result texts of a transfer (the failure first: it may contain the
# success text); prints "failure" or "success".
wait_for_result() {
  local i screen
  for ((i = 0; i < $1 * 20; i++)); do
    screen=$(screen_text)
    if grep -qF -- "$2" <<<"$screen"; then echo failure; return 0; fi
    if grep -qF -- "$3" <<<"$screen"; then echo success; return 0; fi
    sleep 0.05
  done
  echo "FAIL: no result on screen" >&2
  screen_text | sed 's/^/    | /' >&2
  return 1
}

# expect_honest_read SUCCESS: after "y" to station to file on a bad line,
# the result within four minutes: a success only with from.set equal to
# the station's image, a failure with no from.set left.
expect_honest_read() {
  local outcome
  outcome=$(wait_for_result 240 "Ошибка связи со станцией" "$1") || { FAILED=1; return 1; }
  echo "station to file: $outcome"
  if [ "$outcome" = success ]; then
    cmp "$WORK/from.set" "$WORK/station.img" || { echo "FAIL: a file reported written differs from the station"; FAILED=1; }
  else
    [ ! -e "$WORK/from.set" ] || { echo "FAIL: a failed transfer left from.set"; FAILED=1; }
  fi
}

# start_on_station PROGRAM: runs karvel or tomrik in $WORK with its COM1 on
# the simulator's line.
start_on_station() {
  start_program "cd '$WORK' && STATION_COM1='$WORK/com1' '$BIN/$1'"
}

# connect_tomrik: from tomrik's first menu, "Настройка COM порта" on COM1
# until the station's identity shows on the menu bar.
connect_tomrik() {
  wait_for " Выход" || return 1
  keys Enter
  wait_for "Инициализация COM порта" || return 1
  keys Enter
  wait_for "COM1    4800   T416" 10
}

# connect_karvel [BAR]: from karvel's File menu, "Настройка COM порта" on
# COM1 through the speed search, the found station's box closed with a key,
# until the menu bar shows BAR (the port and 57600 baud unless told).
connect_karvel() {
  wait_for "6.Выход" || return 1
  keys Enter
  wait_for "Инициализация COM порта" || return 1
  keys Enter
  wait_for "Связь с устройством установлена" 30 || return 1
  keys x
  wait_for "${1:-COM1  57600}"
}

# type_text TEXT: types the text as it stands.
type_text() { tm send-keys -l -- "$1"; }

# start_transfer ENTRY FILES NAME QUESTION: from the open File menu, the
# transfer entry with the text ENTRY; when its file dialog counts FILES
# files (any count when empty), the file NAME typed, and "y" when the
# program asks QUESTION.
start_transfer() {
  choose "$1" || return 1
  wait_for "Колличество файлов: $2" || return 1
  type_text "$3"
  keys Enter
  wait_for "$4" || return 1
  keys y
}

# close_box TEXT...: a key for the box that shows one of the texts, and
# until none is shown (a closing box empties the keys typed ahead of it).
close_box() {
  local text
  keys x
  for text in "$@"; do wait_gone "$text" || return 1; done
}

# station_to_file_on_bad_line ENTRY QUESTION: station to "from.set" on a
# line that damages bytes, the result honest (expect_honest_read); back in
# the File menu.
station_to_file_on_bad_line() {
  start_transfer "$1" 1 from "$2" || return 1
  expect_honest_read "Установки записаны в файл" || return 1
  close_box "Установки записаны в файл" "Ошибка связи со станцией"
  keys Escape
}

# file_to_station_on_bad_line ENTRY NAME FAILURE SUCCESS: the file NAME to
# the station on a line that damages bytes; the result ("failure" or
# "success") in OUTCOME; back in the File menu.
file_to_station_on_bad_line() {
  start_transfer "$1" "" "$2" "Загрузить установки в станцию?  Y/N" || return 1
  OUTCOME=$(wait_for_result 240 "$3" "$4") || { FAILED=1; return 1; }
  echo "file to station: $OUTCOME"
  close_box "$3" "$4"
  keys Escape
}

# expect_sent_whole SAVED SENT: after stop_station, a send reported whole
# left the station's saved memory equal to the file sent.
expect_sent_whole() {
  [ "$OUTCOME" = success ] || return 0
  cmp "$1" "$2" || { echo "FAIL: a send reported whole left other bytes in the station"; FAILED=1; }
}

# run_command PROGRAM ARGS...: runs karvel or tomrik in $WORK with no
# screen, standard error in $WORK/err; the status in $STATUS.
run_command() {
  local program=$1
  shift
  (cd "$WORK" && "$BIN/$program" "$@") 2>"$WORK/err"
  STATUS=$?
}

# expect_status STATUS WHAT: the last command ended with STATUS.
expect_status() {
  [ "$STATUS" = "$1" ] || { echo "FAIL: $2 ended with $STATUS, expected $1"; sed 's/^/    | /' "$WORK/err"; FAILED=1; }
}

# set_first_general_setting: from the File menu of a connected karvel (or
# one in file mode), the first station-wide setting (0x8020) becomes 17 on
# screen; back at the menu.
set_first_general_setting() {
  open_menu "B/Програмирование" || return 1
  choose "1.Общестанционные установки" || return 1
  wait_for "2.Общестанционные установки" || return 1
  choose "2.Общестанционные установки" || return 1
  wait_for "в 1 интервале" || return 1
  keys Enter 1 7 Enter
  wait_for "в 1 интервале...   17" || return 1
  keys Escape Escape
  wait_for "1.Общестанционные установки" || return 1
  open_menu "A/Файл"
}
