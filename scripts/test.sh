#!/usr/bin/env bash
# The one test command: installs what is missing, checks the layers of the
# source tree, then native build and tests, a Release build and its tests,
# sanitizer builds and tests, Win32 cross build, the end-to-end tests again
# against korven.exe under Wine, and a short run of each fuzz target;
# warnings are errors in every build.
# Ends with one line "N passed, N failed" and a non-zero status when anything
# failed, a file the tests left in the checkout included.
set -uo pipefail

cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
checkout_before=$(git status --porcelain 2>/dev/null)

passed=0
failed=0

# A stage that is not a test run (configure, build) counts as one failure
# when it fails, so a broken build never reads as "0 failed".
step() {
  echo "== $*"
  if ! "$@"; then
    echo "== FAILED: $*"
    failed=$((failed + 1))
    return 1
  fi
}

# Runs ctest in a build directory and adds its totals.
run_ctest() {
  local dir=$1
  echo "== ctest --test-dir $dir"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  local totals
  totals=$(sed -n 's/.*tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1 \2/p' "$log" | tail -n 1)
  if [ -n "$totals" ]; then
    set -- $totals
    failed=$((failed + $1))
    passed=$((passed + $2 - $1))
    if [ "$status" -ne 0 ] && [ "$1" -eq 0 ]; then failed=$((failed + 1)); fi
  elif [ "$status" -ne 0 ]; then
    failed=$((failed + 1))
  fi
}

# Runs a GoogleTest binary directly and adds its totals.
run_gtest() {
  echo "== $*"
  "$@" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  local ok bad
  ok=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\..*/\1/p' "$log" | tail -n 1)
  bad=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\{0,1\}, listed below.*/\1/p' "$log" | tail -n 1)
  passed=$((passed + ${ok:-0}))
  failed=$((failed + ${bad:-0}))
  if [ "$status" -ne 0 ] && [ "${bad:-0}" -eq 0 ]; then failed=$((failed + 1)); fi
}

# Installs a build into a fresh prefix and checks that each of the given
# files (relative to the prefix) is there.
check_install() {
  local dir=$1 prefix status=0
  shift
  prefix=$(mktemp -d)
  echo "== cmake --install $dir"
  if cmake --install "$dir" --prefix "$prefix" > /dev/null; then
    for file in "$@"; do
      if [ ! -f "$prefix/$file" ]; then echo "== not installed: $file"; status=1; fi
    done
  else
    status=1
  fi
  rm -rf "$prefix"
  if [ "$status" -ne 0 ]; then
    echo "== FAILED: cmake --install $dir"
    failed=$((failed + 1))
  fi
}

# What the builds and tests need, installed where missing.
step bash scripts/setup.sh

# No include runs from a lower layer of the source tree to a higher one.
step bash scripts/check_layers.sh

# Native build and its unit and end-to-end tests.
if step cmake -S . -B build -G Ninja -DKORVEN_WERROR=ON && step cmake --build build; then
  run_ctest build
  native_built=1
else
  native_built=0
fi

# The Release build a packager makes, with the optimiser's own warnings, and its tests.
# Optimised across files, which also finds a name defined two ways in two of them.
if step cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVEN_WERROR=ON \
     -DCMAKE_INTERPROCEDURAL_OPTIMIZATION=ON &&
   step cmake --build build-release; then
  run_ctest build-release
  check_install build-release bin/korven share/man/man1/korven.1
fi

# The same under AddressSanitizer and UndefinedBehaviorSanitizer.
if step cmake -S . -B build-asan -G Ninja -DKORVEN_WERROR=ON -DKORVEN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug &&
   step cmake --build build-asan; then
  run_ctest build-asan
fi

# The tests of what runs on several threads, under ThreadSanitizer: the
# read-ahead's unit tests, and the program itself on directories of many files.
if step cmake -S . -B build-tsan -G Ninja -DKORVEN_WERROR=ON -DKORVEN_THREAD_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug &&
   step cmake --build build-tsan --target korven_unit_tests korven_e2e_tests; then
  TSAN_OPTIONS=halt_on_error=1 run_gtest build-tsan/korven_unit_tests --gtest_filter='CrcReadAhead*:FileCrc*'
  TSAN_OPTIONS=halt_on_error=1 run_gtest build-tsan/korven_e2e_tests --gtest_filter='ManyFiles*:Smoke*:Threads*'
fi

# The Win32 program, and the end-to-end tests run against it under Wine.
if step cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DKORVEN_TESTS=OFF -DKORVEN_WERROR=ON &&
   step cmake --build build-win; then
  check_install build-win bin/korven.exe
  if [ "$native_built" -eq 1 ]; then
    KORVEN_E2E_TARGET=wine KORVEN_EXE="$root/build-win/korven.exe" run_gtest "$root/build/korven_e2e_tests"
  else
    echo "== no native e2e test binary: the Wine stage cannot run"
    failed=$((failed + 1))
  fi
fi

# Each fuzz target (fuzz/, built by clang with libFuzzer and the address and
# undefined-behaviour sanitizers) for a while from its committed seeds. A
# crash, a broken property or a hang fails it and leaves the input in build-fuzz/.
fuzz_seconds=20
if step cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DKORVEN_FUZZ=ON -DKORVEN_TESTS=OFF -DKORVEN_WERROR=ON &&
   step cmake --build build-fuzz; then
  corpus=$(mktemp -d)
  for seeds in "$root"/fuzz/corpus/*/; do
    target=$(basename "$seeds")
    mkdir "$corpus/$target"
    echo "== fuzz $target for $fuzz_seconds s"
    # Absolute paths: the targets work in a scratch directory of their own.
    if "$root/build-fuzz/fuzz/${target}_fuzzer" -max_total_time="$fuzz_seconds" -timeout=10 \
         -artifact_prefix="$root/build-fuzz/$target-" "$corpus/$target" "$seeds" > /dev/null 2> "$log"; then
      tail -n 1 "$log"
      passed=$((passed + 1))
    else
      tail -n 40 "$log"
      echo "== FAILED: fuzz $target"
      failed=$((failed + 1))
    fi
  done
  rm -rf "$corpus"
fi

# The tests write only in temporary directories of their own: the checkout
# holds nothing new.
left=$(comm -13 <(echo "$checkout_before" | sort) <(git status --porcelain 2>/dev/null | sort))
if [ -n "$left" ]; then
  echo "== FAILED: the tests left files in the checkout:"
  echo "$left"
  failed=$((failed + 1))
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
