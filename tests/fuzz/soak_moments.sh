#!/usr/bin/env bash
# Runs cadencer_soak across the calendar's hard moments, side by side: each moment and
# schedule in its own host process whose clock libfaketime starts a little before the
# moment (given as seconds since the epoch, so an hour that a daylight-saving change
# repeats is not ambiguous) and runs SPEED times faster than real time. The process sets
# its schedule 90 faked seconds before the moment (Wine's start-up takes faked time too:
# about 27 real seconds are allowed for it) and watches until AFTER faked seconds past it. Wine's timers keep real time, so the
# control's one-second tick comes every SPEED faked seconds; every due minute still sees
# several ticks. The Wine server and one warm-up program run unfaked.
#
#   soak_moments.sh SOAK_EXE BITS [SPEED] [AFTER_SECONDS]
#
# Exit status 0 when every process reports SOAK OK, 77 (skipped) when libfaketime is
# missing for the program's bitness.
set -uo pipefail
exe=$1
bits=$2
speed=${3:-10}
after=${4:-270}
here=$(cd "$(dirname "$0")/../.." && pwd)
# ./run test gives the soak a prefix of its own (CADENCER_SOAK_WINEPREFIX): the other tests'
# programs would wait for these processes in a shared one.
export WINEPREFIX="${CADENCER_SOAK_WINEPREFIX:-${CADENCER_WINEPREFIX:-$here/build/wineprefix}}"
export WINEDEBUG=-all WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"

arch=x86_64-linux-gnu
[ "$bits" = 32 ] && arch=i386-linux-gnu
faketime_lib=/usr/lib/$arch/faketime/libfaketime.so.1
if [ ! -f "$faketime_lib" ]; then
  echo "soak skipped: $faketime_lib is not installed"
  exit 77
fi

# Soaks of two bitnesses run at once (./run test runs the win64 and win32 suites side by
# side) take turns: the start-up of every host process has to fit its time allowance.
if command -v flock >/dev/null; then
  exec 9>"$here/build/soak.lock"
  flock 9
fi

# The server and the prefix's desktop start unfaked, from a program that opens a window.
# (The persistent server must not inherit the lock, or it would hold it after this script.)
wineserver -p >/dev/null 2>&1 9>&- || true
wine "$exe" --probe 0 >/dev/null 2>&1 9>&- || true
lead=$((90 + 27 * speed))

# SOAK_LOGS names a directory that keeps every process's log (each firing with its times).
logs=${SOAK_LOGS:-$(mktemp -d)}
mkdir -p "$logs"
[ -z "${SOAK_LOGS:-}" ] && trap 'rm -rf "$logs"' EXIT
# name | zone | the moment (local, with the zone's abbreviation where it is ambiguous) | kinds
moments=(
  "new-year|UTC|2028-01-01 00:00:00|every daily weekly monthly"
  "never-run-new-year|UTC|2028-01-01 00:00:00|neverrun"
  "leap-february|UTC|2028-03-01 00:00:00|every daily weekly monthly"
  "common-february|UTC|2027-03-01 00:00:00|every daily weekly monthly"
  "end-of-april|UTC|2027-05-01 00:00:00|every daily weekly monthly"
  "spring-forward|Europe/Berlin|2027-03-28 03:00:00 CEST|every daily weekly monthly daily@02:30"
  "fall-back|Europe/Berlin|2027-10-31 02:00:00 CET|every daily weekly monthly daily@02:00"
)
# One host process: moment name, zone, moment (epoch), run ("kind" or "kind@HH:MM").
start_run() {
  local name=$1 zone=$2 moment_at=$3 run=$4 kind=${4%@*} time_of_day=()
  [ "$kind" != "$run" ] && time_of_day=(--at "${run#*@}")
  LD_PRELOAD=$faketime_lib FAKETIME_DONT_FAKE_MONOTONIC=1 FAKETIME_FMT=%s FAKETIME="@$((moment_at - lead)) x$speed" \
    TZ=$zone wine "$exe" --kind "$kind" "${time_of_day[@]}" --setup $((moment_at - 90)) \
    --until $((moment_at + after)) --tick "$speed" >"$logs/$name-$run.log" 2>&1 </dev/null 9>&-
}

pids=()
names=()
runs=()
started=$(date +%s)
for moment in "${moments[@]}"; do
  IFS='|' read -r name zone start kinds <<<"$moment"
  moment_at=$(TZ=$zone date -d "$start" +%s)
  for run in $kinds; do
    start_run "$name" "$zone" "$moment_at" "$run" &
    pids+=($!)
    names+=("$name $run")
    runs+=("$name|$zone|$moment_at|$run")
  done
done

# A host that Wine started too late for its moment (a busy machine) runs again, alone.
statuses=()
for i in "${!pids[@]}"; do
  status=0
  wait "${pids[$i]}" || status=$?
  statuses+=("$status")
done
for i in "${!pids[@]}"; do
  if [ "${statuses[$i]}" = 75 ]; then
    IFS='|' read -r name zone moment_at run <<<"${runs[$i]}"
    echo "again, alone: ${names[$i]}"
    start_run "$name" "$zone" "$moment_at" "$run" || true
  fi
done

failed=0
for i in "${!pids[@]}"; do
  if ! grep -q "SOAK OK" "$logs/${names[$i]// /-}.log"; then
    failed=$((failed + 1))
    echo "FAILED: ${names[$i]}"
    grep -v "^ERROR: ld.so" "$logs/${names[$i]// /-}.log" | sed 's/^/  /'
  fi
done
for i in "${!names[@]}"; do
  printf '%-30s %s\n' "${names[$i]}" "$(grep -E 'SOAK (OK|FAILED)' "$logs/${names[$i]// /-}.log" | tail -1)"
done
echo "soak: ${#pids[@]} runs across ${#moments[@]} moments at ${speed}x, from 90 s before to $after s after each," \
  "$(($(date +%s) - started)) s; $failed failed"
[ "$failed" -eq 0 ]
