#!/usr/bin/env bash
# Start-up of the real quellmark.exe under Wine against a bare program that
# makes only the calls the Run key needs, with 0, 1,000 and 10,000 values in
# HKCU Run; then quellmark-report.exe, start to end, against a bare program
# that only enumerates and reads those values. Prints min / median / max of
# several runs, the ratio of the medians and the peak working set (for the
# report: the largest resident set of the Wine process, Wine's own share
# included). Called by ./quellmark.sh bench.
#   wine_bench.sh WIN32_BUILD_DIR [RUNS]
# QM_BENCH_ONLY=report (or window) runs that half alone: the window's series
# at 10,000 values takes several minutes. QM_BENCH_PIN=1 runs the Wine
# server, its services and the programs on the first CPU only: a registry
# call is a round trip to the server, and whether the two sides share a CPU
# or wake each other across two changes its cost several times over, run by
# run; on one CPU the series are steady.
set -uo pipefail
only=${QM_BENCH_ONLY:-}
pin=()
if [ "${QM_BENCH_PIN:-}" = 1 ]; then
  pin=(taskset -c 0)
  wineserver -k >/dev/null 2>&1
  "${pin[@]}" wineserver -p >/dev/null 2>&1 </dev/null
  "${pin[@]}" wine cmd /c exit >/dev/null 2>&1
fi
build=$(cd "$1" && pwd)
runs=${2:-5}
exe="$build/quellmark.exe" baseline="$build/qm_baseline.exe" probe="$build/qm_probe.exe"
report="$build/quellmark-report.exe" report_baseline="$build/qm_report_baseline.exe"
work="$build/bench"
mkdir -p "$work"
run_key='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'

fill_run_key() {  # fill_run_key COUNT
  local file="$work/run.reg" i
  {
    printf 'REGEDIT4\r\n\r\n[-%s]\r\n[%s]\r\n' "$run_key" "$run_key"
    for ((i = 0; i < $1; i++)); do
      printf '"Value%05d"="\\"C:\\\\Program Files\\\\App%d\\\\app.exe\\" -min"\r\n' "$i" "$i"
    done
  } > "$file"
  wine regedit /s "$(winepath -w "$file")" >/dev/null 2>&1
}

# measure PROGRAM CLASS: prints "seconds peakKiB" for one start to idle
measure() {
  local start end peak
  start=$(date +%s%N)
  "${pin[@]}" wine "$1" >/dev/null 2>&1 &
  local pid=$!
  wine "$probe" wait-idle "$2" 300000 >/dev/null 2>&1
  end=$(date +%s%N)
  peak=$(wine "$probe" peak-memory "$2" 2>/dev/null | tr -d '\r')
  wine "$probe" close-class "$2" >/dev/null 2>&1
  wait "$pid" 2>/dev/null
  echo "$(( (end - start) / 1000000 )) ${peak:-?}"
}

stats() {  # min median max of the numbers on stdin
  sort -n | awk '{a[NR]=$1} END {printf "%d %d %d", a[1], a[int((NR+1)/2)], a[NR]}'
}

# run_once PROGRAM [ARG...]: prints "milliseconds peakKiB" for one run to its
# end, its output thrown away; each run in a Python of its own, whose
# children's largest resident set is that run's.
run_once() {
  python3 -c '
import resource, subprocess, sys, time
start = time.monotonic()
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print(int((time.monotonic() - start) * 1000), resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' "${pin[@]}" wine "$@"
}
run_window() { measure "$exe" TMainForm; }
run_window_baseline() { measure "$baseline" TBaseline; }
run_report() { run_once "$report" --format json; }
run_report_baseline() { run_once "$report_baseline"; }

# series NAME BASELINE_NAME RUN RUN_BASELINE: at 0, 1,000 and 10,000 values,
# a run of each in turn, each printing "milliseconds peakKiB".
series() {
  printf '%-8s %-24s %-24s %s\n' values "$1 ms (min med max)" "$2 ms (min med max)" "ratio  peak KiB ($1/$2)"
  local count r ms peak qmin qmed qmax bmin bmed bmax ratio
  for count in 0 1000 10000; do
    fill_run_key "$count"
    local q=() b=() qpeak="" bpeak=""
    for ((r = 0; r < runs; r++)); do
      read -r ms peak < <("$3"); q+=("$ms"); qpeak=$peak
      read -r ms peak < <("$4"); b+=("$ms"); bpeak=$peak
    done
    read -r qmin qmed qmax < <(printf '%s\n' "${q[@]}" | stats)
    read -r bmin bmed bmax < <(printf '%s\n' "${b[@]}" | stats)
    ratio=$(awk -v a="$qmed" -v b="$bmed" 'BEGIN {printf "%.2f", b ? a / b : 0}')
    printf '%-8s %-24s %-24s %s  %s/%s\n' "$count" "$qmin $qmed $qmax" "$bmin $bmed $bmax" "$ratio" "$qpeak" "$bpeak"
  done
}

if [ "$only" != report ]; then
  series quellmark baseline run_window run_window_baseline
  echo
fi
[ "$only" != window ] && series report bare run_report run_report_baseline
fill_run_key 0
