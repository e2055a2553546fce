#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite under a virtual display;
# then builds the core again with AddressSanitizer and UndefinedBehaviorSanitizer and runs its tests
# and the fuzz corpora under them, failing on any report; last the mesh-export tests run under
# ThreadSanitizer (a third build of the core), failing on any report.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh --test
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
cmake --build build -j2
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --test-dir build --output-on-failure -j2

# With clang the same folder holds the libFuzzer programs of tools/fuzz.sh; without it they are
# left out and gcc builds the rest.
compiler=()
command -v clang++ >/dev/null && compiler=(-DCMAKE_CXX_COMPILER=clang++)
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
  -DPALVORIN_CORE_ONLY=ON -DPALVORIN_SANITIZE=ON -DPALVORIN_FUZZ=ON "${compiler[@]}"
cmake --build build-sanitize -j2
ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1 \
  LSAN_OPTIONS="suppressions=$PWD/tests/lsan-occt.supp" \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-sanitize --output-on-failure -j2

# The mesh exports' threads (see docs/architecture.md) checked by ThreadSanitizer: a report ends the
# test program with an error.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
  -DPALVORIN_CORE_ONLY=ON -DPALVORIN_THREAD_SANITIZER=ON
cmake --build build-tsan -j2 --target test_mesh_export test_weld
for test in test_mesh_export test_weld; do
  TSAN_OPTIONS=halt_on_error=1:exitcode=66 "build-tsan/tests/meshexport/$test"
done
