#!/usr/bin/env bash
# --show and --compare on settings files, with no screen: the configuration
# the simulator is installed with, the same with one setting changed, and
# the files and arguments each program refuses with status 2 and one line.
source "$(dirname "$0")/lib.bash"

# save_station MODEL FILE: the simulator's configuration as installed.
save_station() {
  start_station --model "$1" --save "$2" || finish
  stop_station
}

# expect_status STATUS PROGRAM ARGS...: runs it in $WORK, its output in
# out and err.
expect_status() {
  local want=$1 got
  shift
  (cd "$WORK" && "$BIN/$@" >out 2>err)
  got=$?
  [ "$got" = "$want" ] || { echo "FAIL: $* ended with $got, expected $want"; sed 's/^/    | /' "$WORK/err"; FAILED=1; }
}

expect_line() {
  grep -qxF -- "$1" "$WORK/out" || { echo "FAIL: no line '$1' in the output"; FAILED=1; }
}

expect_output() {
  [ "$(cat "$WORK/out")" = "$1" ] || { echo "FAIL: the output is"; sed 's/^/    | /' "$WORK/out"; echo "  expected $1"; FAILED=1; }
}

# One clear line on standard error, nothing on standard output.
expect_refusal() {
  [ "$(wc -l <"$WORK/err")" = 1 ] && [ ! -s "$WORK/out" ] ||
    { echo "FAIL: a refusal should be one line on stderr:"; sed 's/^/    | /' "$WORK/err"; FAILED=1; }
}

save_station karvel "$WORK/k.set"
save_station tomrik "$WORK/t.set"
python3 - "$WORK" <<'PY'
import sys
work = sys.argv[1]
k = bytearray(open(f"{work}/k.set", "rb").read())
k[0x500] = 0  # port 5 out of service
open(f"{work}/k2.set", "wb").write(k)
open(f"{work}/short.set", "wb").write(k[:1000])
k[0:8] = b"KAR432-4"  # another station: 32 ports
open(f"{work}/k3.set", "wb").write(k)
t = bytearray(open(f"{work}/t.set", "rb").read())
t[0x080] = 0  # city line 1 dials pulses
open(f"{work}/t2.set", "wb").write(t)
PY

expect_status 0 karvel --show k.set
expect_line "Порт 5 / Основные установки / Разрешение на обслуживание порта: Да"
expect_line "Выбор мелодии при переадресации / Мелодия: 2."
expect_status 0 karvel --show k.set --format tsv
[ "$(head -1 "$WORK/out")" = "$(printf 'Раздел\tУстановка\tПараметр\tМесто\tЗначение')" ] ||
  { echo "FAIL: the tsv heading is $(head -1 "$WORK/out")"; FAILED=1; }
expect_line "$(printf 'Порт 5 / Основные установки\tРазрешение на обслуживание порта\t1\t0x8500\tДа')"

expect_status 0 karvel --compare k.set k.set
expect_output ""
expect_status 1 karvel --compare k.set k2.set
expect_output "Порт 5 / Основные установки / Разрешение на обслуживание порта: Да -> Нет"
expect_status 1 karvel --compare k2.set k3.set
[ "$(head -1 "$WORK/out")" = "Идентификация станции: KAR424-4 -> KAR432-4" ] ||
  { echo "FAIL: a different identity is said first, not $(head -1 "$WORK/out")"; FAILED=1; }

for args in "--show short.set" "--show t.set" "--compare k.set missing.set" "--show" "--compare k.set" \
            "--show k.set --format csv" "--compare k.set k2.set --format tsv" "--show k.set extra"; do
  # shellcheck disable=SC2086
  expect_status 2 karvel $args
  expect_refusal
done

expect_status 0 tomrik --show t.set
expect_line "Установки городских линий / Линия 1 / Режим набора: Тональный"
expect_status 0 tomrik --show t.set --format tsv
expect_line "$(printf 'Установки городских линий / Линия 1\tРежим набора\t\tзапись (1, 1), байт 1\tТональный')"
expect_status 1 tomrik --compare t.set t2.set
expect_output "Установки городских линий / Линия 1 / Режим набора: Тональный -> Импульсный"
expect_status 0 tomrik --compare t2.set t2.set
expect_output ""
for args in "--show k.set" "--compare t.set short.set"; do
  # shellcheck disable=SC2086
  expect_status 2 tomrik $args
  expect_refusal
done
finish
