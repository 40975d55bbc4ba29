#!/usr/bin/env bash
# Builds Quellmark and runs it or its tests on Debian 12.
#   ./quellmark.sh run    build, then run quellmark.exe under Wine
#   ./quellmark.sh test   build, then run every test (host, contract, Wine)
#   ./quellmark.sh bench  build, then measure start-up and refresh cost (sim and Wine)
# Installs what it lacks on the first run; quick when everything is there.
# Where Linux runs no 32-bit programs (or QM_NO_I386=1 is set), only the
# x86_64 program runs, in the 64-bit prefix: each command says so.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build="$top/build"
# Every Wine start goes through tests/wine/bin/wine, which picks the loader.
export PATH="$top/tests/wine/bin:$PATH"
export QM_WINEPREFIX="$build/wineprefix"
# 64-bit Windows with its 32-bit subsystem, for the tests of both executables there.
prefix64="$build/wineprefix64"
export WINEPREFIX="$QM_WINEPREFIX" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
jobs=$(nproc)

say() { printf '== %s\n' "$*"; }

install_packages() {
  local need=()
  command -v cmake >/dev/null || need+=(cmake)
  command -v g++ >/dev/null || need+=(g++)
  command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-i686-posix mingw-w64-tools)
  command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
  [ -e /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
  [ -e /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
  command -v wine >/dev/null || need+=(wine)
  dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine32:i386)
  [ -x /usr/lib/wine/wine64 ] || need+=(wine64)
  command -v Xvfb >/dev/null || need+=(xvfb)
  command -v xwd >/dev/null || need+=(x11-apps)
  [ -x /usr/bin/convert ] || need+=(imagemagick)
  command -v python3 >/dev/null || need+=(python3)
  [ ${#need[@]} -eq 0 ] && return
  say "installing ${need[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo dpkg --add-architecture i386
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}" >/dev/null
}

# Whether this machine runs 32-bit programs, decided once per command by
# starting one: the 32-bit Wine loader printing its version. QM_NO_I386=1
# skips the try and answers no. The answer is exported for every script and
# test below (tests/wine/bin/wine refuses 32-bit programs under it).
decide_i386() {
  if [ "${QM_NO_I386:-}" = 1 ]; then
    no_i386_reason="QM_NO_I386=1 is set"
  elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
    export QM_NO_I386=""
    return
  else
    no_i386_reason="/usr/lib/wine/wine --version did not run: Linux here runs no 32-bit programs"
  fi
  export QM_NO_I386=1
}

build_host() {
  say "building for the host"
  cmake -S "$top" -B "$build/host" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build/host" -j "$jobs"
}

# The host tests run with AddressSanitizer and UndefinedBehaviorSanitizer:
# any report fails the run.
build_host_sanitized() {
  say "building for the host with sanitizers"
  cmake -S "$top" -B "$build/host-sanitized" -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
  cmake --build "$build/host-sanitized" -j "$jobs" --target unit_tests contract_tests_sim
}

# Two executables from one source: build/win32/quellmark.exe (i686, for
# 32-bit and 64-bit Windows) and build/win64/quellmark.exe (x86_64).
build_windows() {  # build_windows [TARGET...]
  say "building for Windows (i686)"
  cmake -S "$top" -B "$build/win32" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" -DQM_WINEPREFIX64="$prefix64" >/dev/null
  cmake --build "$build/win32" -j "$jobs" ${1:+--target "$@"}
  say "building for Windows (x86_64)"
  cmake -S "$top" -B "$build/win64" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-x86_64.cmake" -DQM_WINEPREFIX64="$prefix64" >/dev/null
  cmake --build "$build/win64" -j "$jobs" ${1:+--target "$@"}
}

# Xvfb of our own when there is no display; stopped on exit.
xvfb_pids=()
new_display() {  # new_display VARIABLE: an Xvfb of our own, its name in VARIABLE
  local n
  while n=$((90 + RANDOM % 400)); [ -e "/tmp/.X11-unix/X$n" ]; do :; done
  Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pids+=($!)
  printf -v "$1" ':%s' "$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
}
start_display() {
  if [ -n "${DISPLAY:-}" ]; then return; fi
  new_display DISPLAY
  export DISPLAY
}

stop_all() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${server64:-}" ] && { WINEPREFIX="$prefix64" wineserver -k >/dev/null 2>&1 || true; }
  [ ${#xvfb_pids[@]} -eq 0 ] || kill "${xvfb_pids[@]}" 2>/dev/null || true
}

prepare_wine() {
  "$top/tests/wine/prefix.sh" "$QM_WINEPREFIX"
  # One server for the whole run, detached from our output.
  wineserver -p >/dev/null 2>&1 </dev/null &
  wine cmd /c exit >/dev/null 2>&1 || true
}

prepare_wine64() {
  "$top/tests/wine/prefix.sh" "$prefix64" win64
  server64=1
  WINEPREFIX="$prefix64" WINEARCH=win64 wineserver -p >/dev/null 2>&1 </dev/null &
  WINEPREFIX="$prefix64" WINEARCH=win64 wine cmd /c exit >/dev/null 2>&1 || true
}

# The 64-bit prefix for what runs from here on: where no 32-bit program runs.
use_prefix64() {
  prepare_wine64
  export WINEPREFIX="$prefix64" WINEARCH=win64
}

# Names each test of a build's ctest that was not run and why, in lines a
# reader cannot miss; nothing named here counts as passed.
not_run_tests=()
note_not_run() {  # note_not_run BUILD_DIR REASON CTEST_ARGS...
  local dir=$1 reason=$2 name; shift 2
  while read -r name; do
    not_run_tests+=("NOT RUN  $(basename "$dir")/$name: $reason")
  done < <(cd "$dir" && ctest -N "$@" | sed -n 's/^ *Test *#[0-9]*: //p')
}
report_not_run() {
  [ ${#not_run_tests[@]} -eq 0 ] && return
  echo
  echo "!! ${#not_run_tests[@]} tests were NOT RUN (neither passed nor failed):"
  printf '!! %s\n' "${not_run_tests[@]}"
}

case "${1:-}" in
  run)
    install_packages
    build_windows quellmark qm_probe
    decide_i386
    trap stop_all EXIT
    own_display=${DISPLAY:-}
    start_display
    program_dir="$build/win32"
    if [ "$QM_NO_I386" = 1 ]; then
      say "no 32-bit programs run here ($no_i386_reason): running the x86_64 build/win64/quellmark.exe in the 64-bit prefix build/wineprefix64"
      use_prefix64
      program_dir="$build/win64"
    else
      prepare_wine
    fi
    if [ -n "$own_display" ]; then
      say "starting quellmark.exe under Wine"
      wine "$program_dir/quellmark.exe"
    else
      say "starting quellmark.exe under Wine on Xvfb $DISPLAY"
      wine "$program_dir/quellmark.exe" &
      program=$!
      wine "$program_dir/qm_probe.exe" wait-main 30000 >/dev/null
      sleep 2
      xwd -root -silent -display "$DISPLAY" | /usr/bin/convert xwd:- "$build/quellmark.png"
      wine "$program_dir/qm_probe.exe" close >/dev/null || true
      wait "$program" || true
      say "screenshot: $build/quellmark.png"
    fi
    ;;
  test)
    install_packages
    build_host_sanitized
    build_windows
    decide_i386
    trap stop_all EXIT
    start_display
    [ "$QM_NO_I386" = 1 ] || prepare_wine
    prepare_wine64
    failed=0
    say "host tests (sanitized)"
    (cd "$build/host-sanitized" && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$jobs") || failed=1
    if [ "$QM_NO_I386" = 1 ]; then
      say "no 32-bit programs run here ($no_i386_reason): of the i686 program only its imports are checked"
      (cd "$build/win32" && ctest --output-on-failure -R '^imports[.]') || failed=1
      note_not_run "$build/win32" "the i686 program in the 32-bit prefix, which cannot be made where no 32-bit program runs" -R '^wine[.]'
      note_not_run "$build/win32" "the i686 program under WOW64 in the 64-bit prefix, which needs 32-bit programs to run" -R '^wine64[.]'
      note_not_run "$build/win32" "the i686 program cannot run where no 32-bit program runs" -E '^(imports|wine|wine64)[.]'
      say "Windows tests under Wine (the x86_64 program, all in the 64-bit prefix)"
      (cd "$build/win64" && ctest --output-on-failure) || failed=1
    else
      # The two prefixes have a Wine server each, and each suite an X display
      # of its own: the i686 program's tests in the 32-bit prefix run while
      # the x86_64 program's run in the 64-bit one, and the i686 program's
      # tests in the 64-bit prefix follow. Each suite's output is shown whole.
      say "Windows tests under Wine: the i686 program in the 32-bit prefix, beside the x86_64 program in the 64-bit prefix"
      new_display display32
      (cd "$build/win32" && DISPLAY=$display32 ctest --output-on-failure -E '^wine64[.]') >"$build/win32-tests.log" 2>&1 &
      suite32=$!
      (cd "$build/win64" && ctest --output-on-failure) >"$build/win64-tests.log" 2>&1 || failed=1
      wait "$suite32" || failed=1
      say "the i686 program (wine.*: in the 32-bit prefix)"
      cat "$build/win32-tests.log"
      say "the x86_64 program (all in the 64-bit prefix)"
      cat "$build/win64-tests.log"
      say "the i686 program in the 64-bit prefix, under WOW64 (wine64.*)"
      (cd "$build/win32" && ctest --output-on-failure -R '^wine64[.]') || failed=1
    fi
    report_not_run
    exit $failed
    ;;
  bench)
    install_packages
    dpkg -s libbenchmark-dev >/dev/null 2>&1 || { [ "$(id -u)" -eq 0 ] && apt-get install -y -qq libbenchmark-dev >/dev/null; }
    build_host
    build_windows quellmark qm_probe qm_baseline quellmark_report qm_report_baseline
    decide_i386
    trap stop_all EXIT
    start_display
    say "the simulated machine (Google Benchmark)"
    "$build/host/quellmark_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
    if [ "$QM_NO_I386" = 1 ]; then
      use_prefix64
      say "the real x86_64 programs under Wine, in the 64-bit prefix, against their x86_64 baselines (no 32-bit programs run here: $no_i386_reason)"
      "$top/bench/wine_bench.sh" "$build/win64" "${QM_BENCH_RUNS:-5}"
    else
      prepare_wine
      say "the real i686 programs under Wine, in the 32-bit prefix, against their i686 baselines"
      "$top/bench/wine_bench.sh" "$build/win32" "${QM_BENCH_RUNS:-5}"
    fi
    ;;
  *)
    echo "usage: $0 run|test|bench" >&2
    exit 2
    ;;
esac
