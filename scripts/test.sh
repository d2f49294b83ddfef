#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the normal build, the
# same tests under AddressSanitizer and UndefinedBehaviorSanitizer, the
# terminal's tests under ThreadSanitizer, the fuzz corpus replay and a bounded
# fuzzing run, and the benchmarks once.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-60}

echo "== build and test"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_BENCH=ON -DVANTREL_TESTS=ON -DVANTREL_GUI=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== sanitizers"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON -DVANTREL_BENCH=OFF
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== terminal under ThreadSanitizer"
# The terminal's workers and page, once more with TSan: only the terminal's
# test programs are built. See tests/tsan.supp for what is left unreported.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_BENCH=OFF \
  "-DCMAKE_C_FLAGS=-fsanitize=thread -fno-omit-frame-pointer" \
  "-DCMAKE_CXX_FLAGS=-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread
cmake --build build-tsan -j "$jobs" --target terminal_logic_tests terminal_page_tests
export TSAN_OPTIONS="halt_on_error=1 ignore_noninstrumented_modules=1 suppressions=$PWD/tests/tsan.supp"
build-tsan/tests/terminal/terminal_logic_tests
tests/run-with-xvfb.sh build-tsan/tests/terminal/terminal_page_tests
unset TSAN_OPTIONS

echo "== fuzzing"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVANTREL_FUZZ=ON -DVANTREL_GUI=OFF -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF
cmake --build build-fuzz -j "$jobs"
for target in build-fuzz/fuzz/fuzz_*; do
  name=$(basename "$target")
  work=build-fuzz/corpus-$name
  mkdir -p "$work"
  "$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 "$work" "fuzz/corpus/${name#fuzz_}"
done

echo "== benchmarks"
for bench in build/bench/bench_*; do
  [ -x "$bench" ] && "$bench" --benchmark_min_time=0.2
done
echo "all test stages passed"
