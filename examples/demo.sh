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

rm -f demo-log.txt demo-screen.bmp demo-dialog.bmp
# A Wine desktop window gives the screenshot real title bars without a window manager.
wine explorer /desktop=CadencerDemo,760x560 "$(winepath -w "$DEMO")" --tour >/dev/null 2>&1 || true
[ -f demo-log.txt ] || { echo "demo: the tour wrote no log" >&2; exit 1; }
echo "---- demo host event log ----"
cat demo-log.txt
echo "-----------------------------"
for shot in demo-screen demo-dialog; do
  if [ -f $shot.bmp ]; then
    convert $shot.bmp -crop 760x560+0+0 +repage $shot.png 2>/dev/null && rm -f $shot.bmp
    echo "screenshot: $OUT/$shot.png"
  fi
done
grep -q "tour: done" demo-log.txt
