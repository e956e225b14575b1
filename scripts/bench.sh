#!/usr/bin/env bash
# Builds, then runs every benchmark under Wine in one run, in a private prefix on a
# private Xvfb, and prints one table of the results (least, median and most over
# the repeats) with the machine they came from.
#
#   scripts/bench.sh [--repeat N] [--idle-minutes M] [--rows R]
#
#   --repeat N        runs of each timing benchmark (default 3)
#   --idle-minutes M  how long the program sits in the tray for its CPU use, once
#                     with the deletion check off and once with it on over
#                     100,000 programs in 5,000 folders (default 3; 0 skips both)
#   --rows R          listed programs for start-up and exit (default 100000)
#
# Every line a benchmark prints goes to $build/bench-results/bench.log; the table
# is also written to $build/bench-results/table.txt.
set -euo pipefail
. "$(dirname "$0")/paths.sh"

repeat=3
idle_minutes=3
rows=100000
while [ $# -gt 0 ]; do
  case "$1" in
    --repeat) repeat=$2; shift 2 ;;
    --idle-minutes) idle_minutes=$2; shift 2 ;;
    --rows) rows=$2; shift 2 ;;
    *) echo "usage: $0 [--repeat N] [--idle-minutes M] [--rows R]" >&2; exit 2 ;;
  esac
done

"$root/scripts/setup.sh"
export VANTRY_BUILD_DIR="$build"
"$root/scripts/build.sh" >/dev/null

. "$root/scripts/wine-env.sh"
trap vantry_end_private_run EXIT
vantry_begin_private_run bench
vantry_prepare_prefix
vantry_start_session "$build/tests/WarmUp.exe"

# 100,000 programs, 20 in each of 5,000 folders, for the deletion check: made here
# on the Linux side of the prefix's drive C:, which takes seconds instead of the
# minutes that as many files made through Wine take.
spread_unix="$WINEPREFIX/drive_c/vantry-bench-spread"
spread='C:\vantry-bench-spread'
python3 - "$spread_unix" <<'PY'
import os, sys
root = sys.argv[1]
for f in range(5000):
    folder = os.path.join(root, "d%04d" % f)
    os.makedirs(folder, exist_ok=True)
    for i in range(20):
        open(os.path.join(folder, "p%02d.exe" % i), "wb").close()
PY

# From here on a failed measurement is reported in the log and the run goes on, so
# that whatever was measured still reaches the table.
set +e
out="$build/bench-results"
mkdir -p "$out"
log="$out/bench.log"
: >"$log"

# Runs one benchmark program, bounded in time; its lines go to the log and the
# terminal in UTF-8.
bench() {
  local seconds=$1; shift
  echo "== $*" | tee -a "$log"
  timeout --kill-after=10 "$seconds" wine "$build/bench/$1" "${@:2}" 2>/dev/null \
    | iconv -f CP932 -t UTF-8 | tr -d '\r' | tee -a "$log" || echo "!! $1 failed" | tee -a "$log"
}

for ((i = 1; i <= repeat; i++)); do
  echo "---- run $i of $repeat" | tee -a "$log"
  bench 300 SnapshotBench.exe 20
  bench 300 FileTestBench.exe 20 2000
  bench 600 ComparisonBench.exe 20 --no-linear
  bench 1800 CycleBench.exe 20 30 "$spread"
  bench 900 StartupBench.exe "$rows"
  bench 900 StartupBench.exe --during-checks "$spread" 2
  bench 300 ListViewBench.exe 100000
  bench 600 JournalBench.exe 20 30
  bench 600 SaveBench.exe 10
done

# CPU of the program sitting in the tray: GetProcessTimes from the driver, and the
# Wine process's own utime + stime from /proc, read when the driver says it
# begins and ends. The Wine process of a Windows program carries its path on its
# command line, and the folder's name is unique.
unix_pid_of() {
  local token=$1 p
  for p in /proc/[0-9]*; do
    if tr '\0' ' ' <"$p/cmdline" 2>/dev/null | grep -qF "$token"; then
      basename "$p"
      return 0
    fi
  done
  return 1
}
# utime + stime of the given processes together, in clock ticks.
cpu_ticks() {
  local p total=0
  for p in "$@"; do total=$((total + $(awk '{ print $14 + $15 }' "/proc/$p/stat"))); done
  echo $total
}
# The wineserver of our prefix: its working folder is named after the prefix's
# device and inode. It does the work of many calls the program makes (opening
# processes, reading another process's memory, timers), so its share is shown too.
wineserver_pids() {
  local dir p
  dir=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
  for p in /proc/[0-9]*; do
    case "$(cat "$p/comm" 2>/dev/null)" in wineserver*) ;; *) continue ;; esac
    case "$(readlink "$p/cwd" 2>/dev/null)" in */"$dir") basename "$p" ;; esac
  done
}

# The program in the tray for $1 seconds, its CPU read from /proc; $2 names the
# results, and what follows goes to the driver after the rows.
idle_run() {
  local seconds=$1 key=$2
  shift 2
  echo "== StartupBench.exe --idle $seconds $rows $*" | tee -a "$log"
  idle_out="$run_dir/idle-$key.txt"
  timeout --kill-after=10 $((seconds + 300)) wine "$build/bench/StartupBench.exe" --idle \
    "$seconds" "$rows" "$@" 2>/dev/null >"$idle_out" &
  idle_job=$!
  wait_line() {
    local tag=$1 waited=0
    until grep -q "^$tag|" "$idle_out" 2>/dev/null; do
      sleep 0.2
      waited=$((waited + 1))
      [ $waited -lt $(((seconds + 240) * 5)) ] || return 1
      kill -0 "$idle_job" 2>/dev/null || return 1
    done
  }
  if wait_line IDLE-BEGIN; then
    folder=$(grep '^IDLE-BEGIN|' "$idle_out" | cut -d'|' -f2 | tr -d '\r')
    token=${folder##*\\}
    pid=$(unix_pid_of "$token") || pid=
    servers=$(wineserver_pids | tr '\n' ' ')
    begin_ticks=$([ -n "$pid" ] && cpu_ticks "$pid" || echo)
    begin_server=$(cpu_ticks $servers)
    begin_time=$(date +%s.%N)
    if wait_line IDLE-END && [ -n "$pid" ] && [ -n "$begin_ticks" ]; then
      end_ticks=$(cpu_ticks "$pid")
      end_server=$(cpu_ticks $servers)
      end_time=$(date +%s.%N)
      hz=$(getconf CLK_TCK)
      awk -v b="$begin_ticks" -v e="$end_ticks" -v sb="$begin_server" -v se="$end_server" \
        -v t0="$begin_time" -v t1="$end_time" -v hz="$hz" -v pid="$pid" -v key="$key" 'BEGIN {
          cpu = (e - b) / hz; server = (se - sb) / hz; wall = t1 - t0;
          printf "%s in the tray: unix process %d, %.2f s of CPU in %.1f s, %.3f %% of one core (/proc/%d/stat)\n",
                 key, pid, cpu, wall, 100 * cpu / wall, pid;
          printf "the prefix'"'"'s wineserver meanwhile (the program'"'"'s calls, the desktop, the driver): %.2f s, %.3f %%\n",
                 server, 100 * server / wall;
          printf "RESULT|%s.proc.cpu_percent|%.4f|%%\n", key, 100 * cpu / wall;
          printf "RESULT|%s.wineserver.cpu_percent|%.4f|%%\n", key, 100 * server / wall;
          printf "RESULT|%s.both.cpu_percent|%.4f|%%\n", key, 100 * (cpu + server) / wall }' | tee -a "$log"
    else
      echo "!! $key: the program's Wine process was not found in /proc" | tee -a "$log"
    fi
  else
    echo "!! $key: the driver did not begin" | tee -a "$log"
  fi
  wait "$idle_job" || echo "!! $key driver failed" | tee -a "$log"
  iconv -f CP932 -t UTF-8 "$idle_out" | tr -d '\r' | grep -v '^IDLE-' | tee -a "$log"
}

if [ "$idle_minutes" -gt 0 ]; then
  idle_run $((idle_minutes * 60)) idle
  idle_run $((idle_minutes * 60)) idle.check 30 "$spread"
fi

table="$out/table.txt"
{
  echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')," \
       "$(awk '/MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo) memory," \
       "$(wine --version 2>/dev/null), $(date -u '+%Y-%m-%d %H:%M UTC');" \
       "$repeat runs, idle $idle_minutes min, $rows rows"
  echo
  printf '| %-40s | %12s | %12s | %12s | %-4s | %s |\n' measurement least median most unit runs
  printf '|%s|%s|%s|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..42})" "$(printf -- '-%.0s' {1..14})" \
    "$(printf -- '-%.0s' {1..14})" "$(printf -- '-%.0s' {1..14})" "------" "------"
  grep '^RESULT|' "$log" | awk -F'|' '
    { if (!($2 in n)) order[++k] = $2; v[$2, ++n[$2]] = $3; unit[$2] = $4 }
    END {
      for (i = 1; i <= k; i++) {
        m = order[i]; c = n[m];
        for (a = 1; a <= c; a++) x[a] = v[m, a];
        for (a = 2; a <= c; a++) { t = x[a]; b = a - 1; while (b >= 1 && x[b] > t) { x[b + 1] = x[b]; b-- } x[b + 1] = t }
        med = (c % 2) ? x[(c + 1) / 2] : (x[c / 2] + x[c / 2 + 1]) / 2;
        printf "| %-40s | %12.3f | %12.3f | %12.3f | %-4s | %4d |\n", m, x[1], med, x[c], unit[m], c
      }
    }'
} >"$table"
echo
cat "$table"
if grep -q '^!!' "$log" || grep -q 'NOT WHAT THE PROGRAM HELD' "$log"; then
  echo "some benchmarks failed: see $log" >&2
  exit 1
fi
