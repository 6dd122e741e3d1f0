#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/) with clang's libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer into build-fuzz/, and runs each for a
# bounded time, FUZZ_SECONDS (default 20), starting from its stored corpus
# and regressions. Fails when a target crashes, trips a sanitizer or hangs;
# the input that did it is left in build-fuzz/artifacts/<target>/, and
# belongs in fuzz/regressions/<target>/ once the fault is mended, so that
# the normal suite replays it. Prints the executions of each target.
#
#     scripts/fuzz.sh [TARGET...]    # every target when none is named
#
# The paths given the targets are relative to the checkout: a target makes
# them absolute before it enters its own work folder.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-20}
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFUZZ=ON >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/fuzz_*.cpp; do
    targets+=("$(basename "$source" .cpp)")
  done
fi
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=()
for t in "${targets[@]}"; do
  mkdir -p "$work/$t" "$build/artifacts/$t"
  [ -d "fuzz/corpus/$t" ] || { echo "fuzz: no target $t"; exit 2; }
  seeds=("fuzz/corpus/$t")
  [ -d "fuzz/regressions/$t" ] && seeds+=("fuzz/regressions/$t")
  log="$build/artifacts/$t.log"
  # New finds go to the scratch folder; the stored corpus is only read.
  if "$build/bin/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=40000 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$t/" "$work/$t" "${seeds[@]}" >"$log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
    echo "fuzz: $t: $runs executions in ${seconds} s, no fault"
  else
    echo "fuzz: $t FAILED; the log follows (also in $log)"
    tail -40 "$log"
    failed+=("$t")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: ${#failed[@]} of ${#targets[@]} targets failed: ${failed[*]}"
  exit 1
fi
echo "fuzz: ${#targets[@]} targets ran ${seconds} s each without a fault"
