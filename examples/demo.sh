#!/usr/bin/env bash
# Runs the demo host (called by ./run demo once everything is built, with DISPLAY and the
# project's Wine prefix set): registers cadencer.ocx in the prefix, then either opens the
# demo window for a person at the screen, or, with --tour (the default when ./run had to
# start its own Xvfb), runs the scripted tour, prints the event log and saves a screenshot.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OCX="$ROOT/build/win64/src/component/cadencer.ocx"
DEMO="$ROOT/build/win64/examples/cadencer-demo.exe"
OUT="$ROOT/build/demo"
mkdir -p "$OUT"
[ -f "$OCX" ] && [ -f "$DEMO" ] || { echo "demo: $OCX or $DEMO is missing (build failed?)" >&2; exit 1; }

wine regsvr32 /s "$(winepath -w "$OCX")" >/dev/null 2>&1 || { echo "demo: regsvr32 cadencer.ocx failed" >&2; exit 1; }
echo "cadencer.ocx registered in $WINEPREFIX"
cd "$OUT"

if [ "${1:-}" != "--tour" ]; then
  echo "Opening the demo host; its properties are kept in $OUT/cadencer-demo.properties"
  exec wine "$(winepath -w "$DEMO")"
fi

rm -f demo-log.txt demo-screen.bmp demo-dialog.bmp demo-wine.txt
# The tour runs in a Wine virtual desktop of its own, 760x560, which gives the screenshots
# real title bars without a window manager. The desktop is chosen for the program in the
# prefix's registry, so Wine creates it as the program starts and `wine` returns only when
# the program has ended. (Started as `wine explorer /desktop=... program`, the command
# returned when explorer left its desktop, and wineserver closes a desktop that looks
# unused for a second: on a new prefix the program was still starting, and no log existed
# yet when this script looked for it.)
cat >demo-desktop.reg <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\AppDefaults\cadencer-demo.exe\Explorer]
"Desktop"="CadencerDemo"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"CadencerDemo"="760x560"
REG
wine regedit /S "$(winepath -w "$OUT/demo-desktop.reg")" >/dev/null 2>&1 \
  || { echo "demo: could not choose the demo's desktop in the Wine registry (wine regedit failed)" >&2; exit 1; }

limit=300
status=0
timeout "$limit" wine "$(winepath -w "$DEMO")" --tour >demo-wine.txt 2>&1 || status=$?

# On failure, say why: the program's own account first (it appends each line to its log
# as it happens), then what Wine printed.
fail() {
  echo "demo: $*" >&2
  if [ -s demo-wine.txt ]; then
    echo "---- last lines Wine printed ($OUT/demo-wine.txt) ----" >&2
    tail -n 15 demo-wine.txt >&2
  fi
  exit 1
}
if [ ! -s demo-log.txt ]; then
  [ "$status" -eq 124 ] && fail "cadencer-demo.exe ran for $limit s without writing a line of its log"
  fail "cadencer-demo.exe ended (exit status $status) before writing a line of its log"
fi
echo "---- demo host event log ----"
cat demo-log.txt
echo "-----------------------------"
for shot in demo-screen demo-dialog; do
  if [ -f $shot.bmp ]; then
    convert $shot.bmp -crop 760x560+0+0 +repage $shot.png 2>/dev/null && rm -f $shot.bmp
    echo "screenshot: $OUT/$shot.png"
  fi
done
grep -q "tour: done" demo-log.txt && [ "$status" -eq 0 ] && exit 0
reason=$(grep -o "tour: FAILED: .*" demo-log.txt | tail -n 1)
[ -n "$reason" ] && fail "${reason#tour: }"
[ "$status" -eq 124 ] && fail "the tour did not finish within $limit s; it stopped after: $(tail -n 1 demo-log.txt)"
fail "cadencer-demo.exe ended (exit status $status) during the tour, after: $(tail -n 1 demo-log.txt)"
