#!/usr/bin/env bash
# With standard input at its end or closed, no key can ever come: both
# programs end at once, as their exit entry ends them, instead of spinning.
source "$(dirname "$0")/lib.bash"

run_without_keys() {
  local program=$1 redirect=$2
  start_program "cd '$BIN' && ./$program $redirect; echo STATUS=\$?"
  wait_for "STATUS=0" 5 || echo "FAIL: $program $redirect did not end"
  stop_program
}
run_without_keys karvel "</dev/null"
run_without_keys tomrik "</dev/null"
run_without_keys karvel "<&-"
run_without_keys tomrik "<&-"
finish
