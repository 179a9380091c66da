#!/usr/bin/env bash
# Builds Parvex 2000 natively (with AddressSanitizer and UBSan) and for Windows,
# then runs every test: native unit tests, fuzzers, benchmarks, and the Windows
# tests and end-to-end tests under Wine on a private Xvfb display.
# The 32-bit Windows program is the product and is always built, warnings as
# errors. The Windows tests run on it where this machine can run 32-bit Wine;
# elsewhere they run on the same sources built for x86_64 under 64-bit Wine.
# Installs whatever Debian packages are missing first.
set -u
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
scripts/install-deps || { echo "installing packages failed"; exit 1; }
. scripts/lib/windows-env.sh

jobs=${PARVEX_JOBS:-$(nproc)}
fuzz_seconds=${PARVEX_FUZZ_SECONDS:-10}
passed=0
failed=0
failures=()
step() {
  local name=$1
  shift
  local started=$SECONDS
  echo "=== $name"
  if "$@"; then
    passed=$((passed + 1))
    echo "--- $name: ok ($((SECONDS - started)) s)"
  else
    failed=$((failed + 1))
    failures+=("$name")
    echo "--- $name: FAILED ($((SECONDS - started)) s)"
  fi
}

native_tests() {
  cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPARVEX_SANITIZE=ON -DPARVEX_BENCH=OFF >/dev/null &&
    cmake --build build/native -j "$jobs" &&
    ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build/native --output-on-failure -j "$jobs"
}

# The programs a folder's sources promise, one per <prefix>*.cpp, so that a step
# cannot pass having run fewer than that.
expected_programs() {
  local src
  for src in "$1"/"$2"*.cpp; do
    if [ -f "$src" ]; then basename "$src" .cpp; fi
  done
}

# One fuzz target for fuzz_seconds over its corpus and its regressions.
fuzz_one() {
  local name=$1 f=build/fuzz/fuzz/$1 corpus=build/fuzz/corpus/$1
  [ -x "$f" ] || { echo "fuzz target $name was not built ($f)"; return 1; }
  mkdir -p "$corpus"
  if "$f" -max_total_time="$fuzz_seconds" -print_final_stats=0 -artifact_prefix=build/fuzz/ \
    "$corpus" fuzz/regressions/"$name" 2>build/fuzz/$name.log; then
    echo "fuzzed $name for ${fuzz_seconds}s: nothing found"
  else
    echo "fuzz target $name found a fault:"
    tail -40 build/fuzz/$name.log
    return 1
  fi
}

# The targets run side by side, as many as there are cores.
fuzzers() {
  local names
  names=$(expected_programs fuzz fuzz_)
  [ -n "$names" ] || { echo "no fuzz targets in fuzz/"; return 1; }
  CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARVEX_FUZZ=ON \
    -DPARVEX_TESTS=OFF -DPARVEX_BENCH=OFF >/dev/null &&
    cmake --build build/fuzz -j "$jobs" --target $names || return 1
  local ok=0 running=0 name
  for name in $names; do
    if [ "$running" -ge "$jobs" ]; then
      wait -n || ok=1
      running=$((running - 1))
    fi
    fuzz_one "$name" &
    running=$((running + 1))
  done
  while [ "$running" -gt 0 ]; do
    wait -n || ok=1
    running=$((running - 1))
  done
  return $ok
}

native_benchmarks() {
  cmake -S . -B build/native-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPARVEX_TESTS=OFF >/dev/null &&
    cmake --build build/native-release -j "$jobs" || return 1
  local b name ok=0
  for name in $(expected_programs bench bench_); do
    b=build/native-release/bench/$name
    [ -x "$b" ] || { echo "benchmark $name was not built ($b)"; ok=1; continue; }
    echo "running $name"
    "$b" $(bench_args "$b" "$root/build/bench-tree") || ok=1
  done
  return $ok
}

# The snapshot benchmark's 200,000 files are made once, natively (far faster than
# under Wine), and measured again by the Windows build.
bench_args() {
  case "$(basename "$1")" in
    bench_snapshot*) echo "--tree $2" ;;
  esac
}

# The one configure line of the Windows builds: the tests, the release and the
# product all build from folders configured alike.
windows_configure() { parvex_configure_windows "$1" "$(parvex_build_dir "$1")" -DPARVEX_WERROR=ON; }

# Usage: windows_build ARCH [cmake --build options...]
windows_build() {
  local arch=$1
  shift
  windows_configure "$arch" && cmake --build "$(parvex_build_dir "$arch")" -j "$jobs" "$@"
}

# The product, tests included, so that 32-bit-only faults cannot creep in even
# where 32-bit programs cannot run.
product_build() { windows_build i686; }

windows_tests() {
  windows_build "$PARVEX_WIN_ARCH" || return 1
  parvex_start_xvfb || return 1
  parvex_start_wine || return 1
  ctest --test-dir "$(parvex_build_dir "$PARVEX_WIN_ARCH")" --output-on-failure
}

windows_benchmarks() {
  local b name ok=0 dir
  dir=$(parvex_build_dir "$PARVEX_WIN_ARCH")
  parvex_start_xvfb && parvex_start_wine || return 1
  for name in $(expected_programs bench bench_); do
    b=$dir/bench/$name.exe
    [ -f "$b" ] || { echo "benchmark $name was not built ($b)"; ok=1; continue; }
    echo "running $name ($PARVEX_WIN_ARCH) under Wine"
    scripts/wine-run "$b" $(bench_args "$b" "Z:${root//\//\\}\\build\\bench-tree") || ok=1
  done
  rm -rf build/bench-tree
  return $ok
}

# The release files need both builds: the product and the x86_64 one, which only
# machines that cannot run 32-bit programs have built by now.
release() {
  windows_build i686 --target parvex &&
    windows_build x86_64 --target parvex &&
    scripts/make-release &&
    PARVEX_JOBS=$jobs tests/release/test-release.sh
}

parvex_choose_windows_build
echo "Windows tests run on the $PARVEX_WIN_ARCH build: $PARVEX_WIN_REASON."

step "native unit tests (ASan+UBSan)" native_tests
step "fuzzers" fuzzers
step "native benchmarks" native_benchmarks
step "Windows product build (i686, warnings as errors)" product_build
step "Windows tests under Wine ($PARVEX_WIN_ARCH build)" windows_tests
step "Windows benchmarks under Wine ($PARVEX_WIN_ARCH build)" windows_benchmarks
step "Release: zips and installer, installer tested under Wine" release

echo
[ ${#failures[@]} -gt 0 ] && printf 'failed step: %s\n' "${failures[@]}"
echo "Steps: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
