#!/usr/bin/env bash
# Keeps the program in the tray for a long run and fails when its kernel handles,
# GDI objects, USER objects or private memory grow with the number of cycles.
#
#   scripts/soak.sh [MINUTES]        (default 10; "90s" for a run in seconds)
#
# Runs build/VantrySoak.exe (the program with a probe that writes its resource
# counts after every monitoring cycle to soak.log) from a folder of its own, in a
# fresh Wine prefix on a private Xvfb, started in the tray with a cycle every
# second, the deletion check and the change notice on. Meanwhile copies of the
# Sleeper helper start and end every few seconds, and now and then one under a
# new name starts, ends and is deleted, so the list grows, the balloon shows and
# the deletion path runs. The program writes its files while it runs (what a
# cycle found within a minute); the script notes each new ProcessList.dat it
# sees. At the end the program is closed the way "閉じる" does (the probe sees
# soak.stop) and the files it writes at the end are checked, and the run journal
# it wrote meanwhile. The run journal's handles on running processes are counted
# apart from the program's own: they come and go with the load, and must come
# back down once the load has ended.
#
# Output: the figures after the warm-up and at the end, in build/soak/ (or
# $VANTRY_SOAK_OUT) the full log (one line per cycle) and the files the program
# wrote.
set -euo pipefail
. "$(dirname "$0")/paths.sh"

length=${1:-10}
case "$length" in
  *s) seconds=${length%s} ;;
  *) seconds=$((length * 60)) ;;
esac
warmup=${VANTRY_SOAK_WARMUP:-30}  # cycles before the starting figures are taken
# Allowed growth from the starting to the closing figures. A leak of one object
# per cycle, or of one per ten cycles, goes far past 4 in a 600-cycle run; what
# stays below it is the noise of a process that Wine's own threads also use (a
# handle or object held for a moment while the counts are taken). Memory: the
# run adds about a dozen programs and thirty log entries (a few KiB), and the
# heaps grow in whole pages and blocks; 512 KiB lets that through and stops a
# leak of 1 KiB per cycle in a ten-minute run (longer runs catch smaller ones).
allow_handles=${VANTRY_SOAK_ALLOW_HANDLES:-4}
allow_gdi=${VANTRY_SOAK_ALLOW_GDI:-4}
allow_user=${VANTRY_SOAK_ALLOW_USER:-4}
allow_kib=${VANTRY_SOAK_ALLOW_KIB:-512}

"$root/scripts/setup.sh"
export VANTRY_BUILD_DIR="$build"
"$root/scripts/build.sh" >/dev/null

. "$root/scripts/wine-env.sh"
load_pids=()
cleanup() {
  for p in "${load_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  vantry_end_private_run
}
trap cleanup EXIT
vantry_begin_private_run soak
out=${VANTRY_SOAK_OUT:-$build/soak}
app_dir="$run_dir/app"
vantry_prepare_prefix
vantry_start_session "$build/tests/WarmUp.exe"

mkdir -p "$app_dir" "$out"
rm -f "$out"/*
cp "$build/VantrySoak.exe" "$app_dir/"
printf '%s\r\n' '[Information]' 'Version=1.30' '[Start]' 'TaskTorrey=1' 'StartUp=0' \
  '[Compare]' 'DeleteCheck=1' 'Notice=1' '[Integer]' 'Interval=1' 'Log=100' \
  '[Ignore]' 'ListCout=0' >"$app_dir/Inf.ini"
sleeper="$build/tests/Sleeper.exe"
churn_dir="$run_dir/churn"
mkdir -p "$churn_dir"
for k in 1 2 3 4; do cp "$sleeper" "$churn_dir/SoakChurn$k.exe"; done

log="$app_dir/soak.log"
started=$(date +%s)
echo "soak: $seconds s with a cycle every second; Wine prefix $WINEPREFIX, display $DISPLAY"
(cd "$app_dir" && exec wine "$app_dir/VantrySoak.exe") >/dev/null 2>&1 &
app_pid=$!

for _ in $(seq 120); do [ -s "$log" ] && break; sleep 1; done
[ -s "$log" ] || { echo "soak: the program did not start (no $log)"; exit 1; }

# The Linux side of the Wine process: its anonymous resident memory, read from
# outside as a check on the figure the probe reads from inside.
unix_pid=$(pgrep -f "^$app_dir/VantrySoak.exe" | head -n 1 || true)
rss_anon() { awk '/^RssAnon:/ { print $2 }' "/proc/$unix_pid/status" 2>/dev/null || true; }
outside_start=""
outside_start_cycle=""

# The load: every 3 s a known program starts for 2 s; every 30 s a program under a
# new name starts for 4 s, and 6 s later the file of every other one is deleted.
tick=0
new=0
pending_delete=""
# Each write renames a new file over the list: a new modification time.
list_writes=0
list_seen=""
deadline=$((started + seconds))
while [ "$(date +%s)" -lt "$deadline" ]; do
  kill -0 "$app_pid" 2>/dev/null || { echo "soak: the program ended early"; exit 1; }
  (cd "$churn_dir" && exec wine "SoakChurn$((tick % 4 + 1)).exe" 2) >/dev/null 2>&1 &
  load_pids+=($!)
  if [ -n "$pending_delete" ]; then rm -f "$pending_delete"; pending_delete=""; fi
  if [ $((tick % 10)) -eq 5 ]; then
    new=$((new + 1))
    name="SoakNew$new.exe"
    cp "$sleeper" "$churn_dir/$name"
    (cd "$churn_dir" && exec wine "$name" 4) >/dev/null 2>&1 &
    load_pids+=($!)
  fi
  # Every other new program is deleted again: the list grows, and the deletion
  # check finds something to remove.
  if [ $((tick % 10)) -eq 7 ] && [ $((new % 2)) -eq 1 ]; then
    pending_delete="$churn_dir/SoakNew$new.exe"
  fi
  tick=$((tick + 1))
  if [ -z "$outside_start" ] && [ -n "$unix_pid" ]; then
    c=$(awk '!/^#/ { n = $1 } END { print n + 0 }' "$log")
    if [ "$c" -ge "$warmup" ]; then outside_start=$(rss_anon); outside_start_cycle=$c; fi
  fi
  sleep 3
  list_now=$(stat -c %y "$app_dir/ProcessList.dat" 2>/dev/null || true)
  if [ -n "$list_now" ] && [ "$list_now" != "$list_seen" ]; then
    list_writes=$((list_writes + 1))
    list_seen=$list_now
  fi
  # Forget the load programs that have ended.
  alive=()
  for p in "${load_pids[@]}"; do kill -0 "$p" 2>/dev/null && alive+=("$p"); done
  load_pids=("${alive[@]}")
done
for p in "${load_pids[@]}"; do wait "$p" 2>/dev/null || true; done
load_pids=()

outside_end=""
[ -n "$unix_pid" ] && outside_end=$(rss_anon)
outside_end_cycle=$(awk '!/^#/ { n = $1 } END { print n + 0 }' "$log")

# The orderly end: the probe closes the main window after the next cycle.
touch "$app_dir/soak.stop"
closed=0
for _ in $(seq 120); do
  if ! kill -0 "$app_pid" 2>/dev/null; then closed=1; break; fi
  sleep 1
done
wait "$app_pid" 2>/dev/null || true
cp "$log" "$out/soak.log"
for f in ProcessList.dat Log.dat Inf.ini RunJournal.csv RunJournal.{1,2,3,4,5}.csv; do
  [ -f "$app_dir/$f" ] && cp "$app_dir/$f" "$out/"
done

failed=0
fail() { echo "soak: FAIL: $*"; failed=1; }
[ "$closed" = 1 ] || fail "the program did not end within 120 s of soak.stop"
grep -q '^# closing' "$log" || fail "the probe never saw soak.stop"

# The files written at the end: newer than the start, in their own forms.
for f in ProcessList.dat Log.dat Inf.ini; do
  path="$app_dir/$f"
  if [ ! -f "$path" ]; then fail "$f was not written"; continue; fi
  [ "$(stat -c %Y "$path")" -ge "$started" ] || fail "$f was not written at the end"
done
[ "$(head -c 7 "$app_dir/ProcessList.dat" 2>/dev/null)" = "Ver1.00" ] || fail "ProcessList.dat does not begin with Ver1.00"
[ "$(head -c 7 "$app_dir/Log.dat" 2>/dev/null)" = "Ver1.00" ] || fail "Log.dat does not begin with Ver1.00"
head -n 1 "$app_dir/Inf.ini" 2>/dev/null | grep -q '^\[Information\]' || fail "Inf.ini does not begin with [Information]"
grep -q 'Interval=1' "$app_dir/Inf.ini" 2>/dev/null || fail "Inf.ini lost the interval"
log_text=$(iconv -f CP932 -t UTF-8 "$app_dir/Log.dat" 2>/dev/null || true)
grep -q '追加' <<<"$log_text" || fail "Log.dat has no 追加 entry"
grep -q '削除' <<<"$log_text" || fail "Log.dat has no 削除 entry"
# The journal: every start and end of the load's programs, each line whole.
journal="$app_dir/RunJournal.csv"
if [ ! -f "$journal" ]; then
  fail "RunJournal.csv was not written"
else
  [ "$(head -c 3 "$journal" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "RunJournal.csv has no byte-order mark"
  ends=$(grep -c '^終了,.*SoakChurn' "$journal" || true)
  [ "$ends" -gt 0 ] || fail "RunJournal.csv has no end of a load program"
  [ "$(tail -c 2 "$journal" | od -An -tx1 | tr -d ' ')" = 0d0a ] || fail "RunJournal.csv ends in a cut line"
fi

# The figures. Columns: cycle handles gdi user private_bytes added updated
# deleted current programs log cycle_ms journal_handles. Start: the cycle after
# the warm-up; end: the last cycle. The handles row is the program's own, the
# journal's handles taken out.
methods=$(sed -n 's/^# methods: //p' "$log" | head -n 1)
summary=$(awk -v warm="$warmup" '
  /^#/ { next }
  { last = $0; n = $1
    if (n == warm) start = $0
    if ($6 > 0) adds++; if ($8 > 0) dels++
    if ($12 > maxms) maxms = $12 }
  END { print n, (start == "" ? "-" : start), last, adds + 0, dels + 0, maxms + 0 }' "$log" |
  tr -d '\r')
read -r cycles s_c s_h s_g s_u s_p _ _ _ _ s_prog s_log _ s_j e_c e_h e_g e_u e_p _ _ _ _ e_prog e_log _ e_j adds dels maxms <<<"$summary"
s_h=$((s_h - s_j))
e_h=$((e_h - e_j))
if [ "$s_c" = "-" ]; then
  fail "only $cycles cycles ran, fewer than the warm-up of $warmup"
else
  printf 'soak: %d cycles in %d s (%d cycles added a program, %d found a deletion; slowest cycle %d ms)\n' \
    "$cycles" "$seconds" "$adds" "$dels" "$maxms"
  echo "soak: measured from inside the process: $methods"
  printf 'soak: %-22s %12s %12s %10s %10s\n' "" "after cycle $s_c" "after cycle $e_c" "growth" "allowed"
  row() { printf 'soak: %-22s %12s %12s %10s %10s\n' "$1" "$2" "$3" "$(( $3 - $2 ))" "$4"; }
  row "kernel handles" "$s_h" "$e_h" "$allow_handles"
  row "journal's handles" "$s_j" "$e_j" "$allow_handles"
  row "GDI objects" "$s_g" "$e_g" "$allow_gdi"
  row "USER objects" "$s_u" "$e_u" "$allow_user"
  row "private memory (KiB)" "$((s_p / 1024))" "$((e_p / 1024))" "$allow_kib"
  if [ -n "$outside_start" ] && [ -n "$outside_end" ]; then
    printf 'soak: %-22s %12s %12s %10s   (/proc/%s/status of the Wine process, near cycles %s and %s)\n' \
      "RssAnon outside (KiB)" "$outside_start" "$outside_end" "$((outside_end - outside_start))" \
      "$unix_pid" "$outside_start_cycle" "$outside_end_cycle"
  fi
  row "programs listed" "$s_prog" "$e_prog" "-"
  row "log entries" "$s_log" "$e_log" "-"
  printf 'soak: ProcessList.dat written while it ran: %d times (looked at every 3 s)\n' "$list_writes"
  [ "$list_writes" -gt 0 ] || fail "the list was never written while the program ran"
  [ $((e_h - s_h)) -le "$allow_handles" ] || fail "kernel handles grew by $((e_h - s_h))"
  [ $((e_j - s_j)) -le "$allow_handles" ] || fail "the journal's handles grew by $((e_j - s_j))"
  [ $((e_g - s_g)) -le "$allow_gdi" ] || fail "GDI objects grew by $((e_g - s_g))"
  [ $((e_u - s_u)) -le "$allow_user" ] || fail "USER objects grew by $((e_u - s_u))"
  [ $(((e_p - s_p) / 1024)) -le "$allow_kib" ] || fail "private memory grew by $(((e_p - s_p) / 1024)) KiB"
  [ "$adds" -gt 0 ] || fail "no cycle added a program: the notice never had anything to show"
  [ "$dels" -gt 0 ] || fail "no cycle found a deletion: the deletion path did not run"
fi
echo "soak: log and files in $out"
[ "$failed" = 0 ] && echo "soak: PASS" || exit 1
