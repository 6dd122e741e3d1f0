#!/usr/bin/env bash
# Sets everything up and runs a console program: ./run.sh (karvel) or
# ./run.sh tomrik.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
program=${1:-karvel}
case "$program" in
  karvel|tomrik) ;;
  *) echo "usage: ./run.sh [karvel|tomrik]" >&2; exit 2 ;;
esac
cd build/bin
exec ./"$program"
