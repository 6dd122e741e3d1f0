# Helpers for the scenarios of the Windows programs under Wine, on top of
# the end-to-end helpers: the programs run with `wine` in the tmux pane and
# reach the simulator through Wine's COM1.
#
#   scenario.sh LINUX_BIN WINDOWS_BIN
#
# LINUX_BIN holds stationsim, WINDOWS_BIN the .exe files and help files.
# The environment names the prepared Wine prefix (WINEPREFIX) and the paths
# its COM1 and COM12 stand for (STATION_WINE_COM1, STATION_WINE_COM12):
# Wine's registry maps the ports to those paths (the Ports key), so its
# dosdevices links com1 and com12 lead there, and the simulator's line is
# linked at one of them.
source "$(dirname "$0")/../e2e/lib.bash"

WINBIN=$(cd "${2:?the folder of the Windows programs}" && pwd)
: "${WINEPREFIX:?a prepared Wine prefix}" "${STATION_WINE_COM1:?the path Wine maps COM1 to}"
: "${STATION_WINE_COM12:?the path Wine maps COM12 to}"
export WINEPREFIX WINEDEBUG=-all

# Wine ends with the scenario: its server holds the simulator's line.
cleanup_wine() {
  tm kill-server 2>/dev/null
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  cleanup
}
trap cleanup_wine EXIT

# start_wine_station ARGS...: stationsim with the arguments, its line at
# Wine's COM1.
start_wine_station() { start_wine_station_at "$STATION_WINE_COM1" "$@"; }

# start_wine_station_at PATH ARGS...: the same with the line at PATH (the
# path another Wine port stands for).
start_wine_station_at() {
  local line=$1 i
  shift
  "$BIN/stationsim" --link "$line" "$@" >"$WORK/sim.log" 2>&1 &
  SIM_PID=$!
  for ((i = 0; i < 50; i++)); do
    [ -e "$line" ] && return 0
    sleep 0.1
  done
  echo "FAIL: the station simulator did not start"
  sed 's/^/    | /' "$WORK/sim.log"
  FAILED=1
  return 1
}

# expect_com1_is_the_station: Wine's COM1 leads to the simulator's line.
expect_com1_is_the_station() {
  local com1 line
  com1=$(readlink -f "$WINEPREFIX/dosdevices/com1")
  line=$(readlink -f "$STATION_WINE_COM1")
  if [ "$com1" != "$line" ]; then
    echo "FAIL: Wine's COM1 is '$com1', the simulator's line '$line'"
    FAILED=1
    return 1
  fi
}

# start_wine_program NAME.exe [VARIABLE=VALUE...]: runs the program in the
# work folder, with those variables in its environment.
start_wine_program() {
  local program=$1
  shift
  start_program "cd '$WORK' && env ${*@Q} wine '$WINBIN/$program' 2>>'$WORK/wine.log'"
}

# press KEY...: one key at a time. Wine's terminal console reads an Esc
# followed at once by another key as Alt with that key.
press() {
  local k
  for k in "$@"; do
    tm send-keys "$k"
    sleep 0.2
  done
}

# stop_wine_program: ends Wine before the station, whose line Wine's server
# holds open.
stop_wine_program() {
  wait_for "PROGRAM-ENDED" 10
  stop_program
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
}

# stop_station: ends the simulator, which writes its --save file.
stop_station() {
  [ -n "${SIM_PID:-}" ] || return 0
  kill "$SIM_PID"
  wait "$SIM_PID" 2>/dev/null
  SIM_PID=
}
