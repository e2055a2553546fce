#!/usr/bin/env bash
# Runs one fuzz target for exploration:
#   tools/fuzz.sh plv|bmp|jpeg|translation|dxf SECONDS [libFuzzer options...]
# Builds the libFuzzer programs with clang under AddressSanitizer and UndefinedBehaviorSanitizer
# (folder build-sanitize, the one the test command uses), starts from the seed corpus in
# tests/fuzz/corpus/TARGET and keeps what it finds outside the repository, in
# ${PALVORIN_FUZZ_WORK:-/tmp/palvorin-fuzz}/TARGET (corpus/ and crash-*, leak-*, timeout-* files).
# A crashing input found there belongs in tests/fuzz/corpus/TARGET once the fault is mended.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 2 ]; then
  echo "usage: tools/fuzz.sh TARGET SECONDS [libFuzzer options...]" >&2
  echo "  TARGET: plv, bmp, jpeg, translation or dxf" >&2
  exit 2
fi
target=$1 seconds=$2
shift 2
if [ ! -d "tests/fuzz/corpus/$target" ]; then
  echo "fuzz.sh: no fuzz target '$target' (see tests/fuzz/corpus/)" >&2
  exit 2
fi
if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: libFuzzer needs clang: apt-get install clang libclang-rt-14-dev" >&2
  exit 1
fi
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
  -DPALVORIN_CORE_ONLY=ON -DPALVORIN_SANITIZE=ON -DPALVORIN_FUZZ=ON \
  -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
cmake --build build-sanitize -j2 --target "fuzz_$target"
work=${PALVORIN_FUZZ_WORK:-/tmp/palvorin-fuzz}/$target
mkdir -p "$work/corpus"
echo "fuzz.sh: running fuzz_$target for $seconds s; findings in $work" >&2
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan-occt.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
exec build-sanitize/tests/fuzz/"fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$work/" "$@" "$work/corpus" "tests/fuzz/corpus/$target"
