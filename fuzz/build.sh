#!/usr/bin/env bash
# Builds the fuzzing harnesses with the distribution's clang into
# build-fuzz/fuzz/ (installing clang when the machine lacks it).
#   fuzz/build.sh [jobs]
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${1:-2}

# Whether clang links a libFuzzer program under the sanitizers (the
# runtimes come in a package that clang only recommends).
links_fuzzer() {
  local t
  t=$(mktemp -d)
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' >"$t/probe.cpp"
  clang++ -fsanitize=fuzzer,address,undefined "$t/probe.cpp" -o "$t/probe" >/dev/null 2>&1
  local status=$?
  rm -rf "$t"
  return $status
}

if ! command -v clang++ >/dev/null || ! command -v clang >/dev/null || ! links_fuzzer; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q clang cmake make
  if ! links_fuzzer; then
    major=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n1)
    $SUDO apt-get install -y -q libclang-rt-dev || $SUDO apt-get install -y -q "libclang-rt-$major-dev"
  fi
  links_fuzzer || { echo "clang cannot link libFuzzer programs" >&2; exit 1; }
fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DIMSUITE_FUZZ=ON -DIMSUITE_TESTS=OFF -DIMSUITE_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$JOBS" --target fuzzers
