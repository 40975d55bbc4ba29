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

if [ "$only" != report ]; then
printf '%-8s %-24s %-24s %s\n' values "quellmark ms (min med max)" "baseline ms (min med max)" "ratio  peak KiB (quellmark/baseline)"
for count in 0 1000 10000; do
  fill_run_key "$count"
  q=() b=() qpeak="" bpeak=""
  for ((r = 0; r < runs; r++)); do
    read -r ms peak < <(measure "$exe" TMainForm); q+=("$ms"); qpeak=$peak
    read -r ms peak < <(measure "$baseline" TBaseline); b+=("$ms"); bpeak=$peak
  done
  read -r qmin qmed qmax < <(printf '%s\n' "${q[@]}" | stats)
  read -r bmin bmed bmax < <(printf '%s\n' "${b[@]}" | stats)
  ratio=$(awk -v a="$qmed" -v b="$bmed" 'BEGIN {printf "%.2f", b ? a / b : 0}')
  printf '%-8s %-24s %-24s %s  %s/%s\n' "$count" "$qmin $qmed $qmax" "$bmin $bmed $bmax" "$ratio" "$qpeak" "$bpeak"
done
echo
fi
[ "$only" = window ] && { fill_run_key 0; exit 0; }
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

printf '%-8s %-24s %-24s %s\n' values "report ms (min med max)" "bare read ms (min med max)" "ratio  peak KiB (report/bare)"
for count in 0 1000 10000; do
  fill_run_key "$count"
  q=() b=() qpeak="" bpeak=""
  for ((r = 0; r < runs; r++)); do
    read -r ms peak < <(run_once "$report" --format json); q+=("$ms"); qpeak=$peak
    read -r ms peak < <(run_once "$report_baseline"); b+=("$ms"); bpeak=$peak
  done
  read -r qmin qmed qmax < <(printf '%s\n' "${q[@]}" | stats)
  read -r bmin bmed bmax < <(printf '%s\n' "${b[@]}" | stats)
  ratio=$(awk -v a="$qmed" -v b="$bmed" 'BEGIN {printf "%.2f", b ? a / b : 0}')
  printf '%-8s %-24s %-24s %s  %s/%s\n' "$count" "$qmin $qmed $qmax" "$bmin $bmed $bmax" "$ratio" "$qpeak" "$bpeak"
done
fill_run_key 0
