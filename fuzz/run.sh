#!/usr/bin/env bash
# Runs every harness (or those named) for N seconds each, one after the
# other, on its corpus (seeded by fuzz/seeds.sh when missing). Inputs that
# crash go to fuzz/findings/<harness>-crash-...; the script ends with status
# 1 when any harness found one.
#   fuzz/run.sh <seconds> [harness ...]
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: fuzz/run.sh <seconds> [harness ...]}
shift
harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
  for h in build-fuzz/fuzz/*_fuzz; do harnesses+=("$(basename "$h")"); done
fi
[ -d fuzz/corpus ] || fuzz/seeds.sh >/dev/null
mkdir -p fuzz/findings

# Leaks are not checked: a refusal returns to the harness without the
# frees the ended process made unnecessary. Every other report stops the
# harness.
export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# The corpus and the findings are given as absolute paths: a harness may
# enter another folder for the length of a call.
failed=()
for h in "${harnesses[@]}"; do
  mkdir -p "fuzz/corpus/$h"
  log=fuzz/findings/$h.log
  build-fuzz/fuzz/$h -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$PWD/fuzz/findings/$h-" "$PWD/fuzz/corpus/$h" >"$log" 2>&1
  status=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
  if [ $status -eq 0 ]; then
    echo "$h: ${runs:-?} executions, nothing found"
  else
    echo "$h: FOUND (status $status), see $log"
    grep -m1 -E 'ERROR|runtime error|deadly signal|timeout|out-of-memory' "$log" || true
    failed+=("$h")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "harnesses with findings: ${failed[*]}"
  exit 1
fi
