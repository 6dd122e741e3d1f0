#!/usr/bin/env bash
# Every option a program's --help lists is described in its manual page, in
# English and in Russian, and every page says what the exit statuses mean.
source "$(dirname "$0")/lib.bash"
MAN=$(cd "$(dirname "$0")/../../data/man" && pwd)

for program in karvel tomrik stationsim; do
  options=$("$BIN/$program" --help | grep -oE '(^|[ [|(])--?[a-z][a-z-]*' | grep -oE -- '--?[a-z-]+' | sort -u)
  [ -n "$options" ] || { echo "FAIL: $program --help lists no option"; FAILED=1; }
  for page in "$MAN/$program.1" "$MAN/ru/$program.1"; do
    grep -q '^\.SH EXIT STATUS' "$page" || { echo "FAIL: $page has no EXIT STATUS"; FAILED=1; }
    for option in $options; do
      # In a page every minus of an option is written \-.
      grep -qE -- "(^|[^a-z\\\\-])${option//-/\\\\-}([^a-z-]|$)" "$page" ||
        { echo "FAIL: $page does not describe $option"; FAILED=1; }
    done
  done
done
finish
