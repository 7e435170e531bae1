#!/usr/bin/env bash
# Runs cadencer_soak --jump for each case side by side, each host process under libfaketime
# with its own timestamp file (re-read at every clock reading, FAKETIME_NO_CACHE=1), which
# the host rewrites to set its clock while the control runs; the monotonic clock (Wine's
# tick count, the timer) keeps real time. The daylight-saving cases run in Europe/Berlin,
# the others in UTC+1 all year. The Wine server and one warm-up program run unfaked.
#
#   soak_jumps.sh SOAK_EXE BITS
#
# Exit status 0 when every case reports CLOCK OK, 77 (skipped) when libfaketime is missing
# for the program's bitness.
set -uo pipefail
exe=$1
bits=$2
here=$(cd "$(dirname "$0")/../.." && pwd)
# The soak's own prefix when ./run test gives one (CADENCER_SOAK_WINEPREFIX), as for the
# calendar's moments.
export WINEPREFIX="${CADENCER_SOAK_WINEPREFIX:-${CADENCER_WINEPREFIX:-$here/build/wineprefix}}"
export WINEDEBUG=-all WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"

arch=x86_64-linux-gnu
[ "$bits" = 32 ] && arch=i386-linux-gnu
faketime_lib=/usr/lib/$arch/faketime/libfaketime.so.1
if [ ! -f "$faketime_lib" ]; then
  echo "clock jumps skipped: $faketime_lib is not installed"
  exit 77
fi

wineserver -p >/dev/null 2>&1 || true
wine "$exe" --probe 0 >/dev/null 2>&1 || true

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# case | zone
cases=("forward|Etc/GMT-1" "back-hour|Etc/GMT-1" "year|Etc/GMT-1" "dst-every|Europe/Berlin" "dst-daily|Europe/Berlin")
pids=()
started=$(date +%s)
for entry in "${cases[@]}"; do
  IFS='|' read -r name zone <<<"$entry"
  echo "+0" >"$work/$name.rc"
  LD_PRELOAD=$faketime_lib FAKETIME_TIMESTAMP_FILE="$work/$name.rc" FAKETIME_NO_CACHE=1 \
    FAKETIME_DONT_FAKE_MONOTONIC=1 TZ=$zone \
    wine "$exe" --jump "$name" --rc "Z:${work//\//\\}\\$name.rc" >"$work/$name.log" 2>&1 </dev/null &
  pids+=($!)
done
failed=0
for i in "${!pids[@]}"; do
  wait "${pids[$i]}"
  IFS='|' read -r name zone <<<"${cases[$i]}"
  if ! grep -q "CLOCK OK" "$work/$name.log"; then
    failed=$((failed + 1))
    echo "FAILED: $name"
  fi
  grep -v "^ERROR: ld.so" "$work/$name.log" | sed "s/^/  $name: /"
done
echo "clock jumps: ${#pids[@]} cases, $(($(date +%s) - started)) s; $failed failed"
[ "$failed" -eq 0 ]
