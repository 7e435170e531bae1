#!/usr/bin/env bash
# Regenerates the pictures in docs/images from the real windows, under the Xvfb display and
# Wine prefix that ./run prepares (./run screenshots calls this once everything is built).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BIN="$ROOT/build/win64"
OUT="$ROOT/docs/images"
WORK="$ROOT/build/shots"
mkdir -p "$OUT" "$WORK"
BORDER=(-bordercolor '#3a6ea5' -border 6)

# Everything but the Wine desktop's background, with a thin margin of it.
grab() { xwd -root -display "$DISPLAY" -silent | convert xwd:- -trim +repage "${BORDER[@]}" "$1"; }

for layout in never daily weekly monthly every message; do
  "$ROOT/tools/wine-run" "$BIN/tests/wine/dialog_shots.exe" "$layout" 4 >/dev/null 2>&1 &
  shown=$!
  sleep 2.5
  grab "$OUT/dialog-$layout.png"
  wait "$shown" || true
  echo "docs/images/dialog-$layout.png"
done

wine regsvr32 /s "$(winepath -w "$BIN/src/component/cadencer.ocx")"
printf 'Set c = CreateObject("CadencerLib.Cadencer")\r\nc.DisplayAboutBox\r\n' > "$WORK/about.vbs"
"$ROOT/tools/wine-cscript" 64 //nologo "$(winepath -w "$WORK/about.vbs")" >/dev/null 2>&1 &
shown=$!
sleep 3
grab "$OUT/about-box.png"
kill "$shown" 2>/dev/null || true
wineserver -k >/dev/null 2>&1 || true   # ends the modal box still shown in this prefix
wineserver -w >/dev/null 2>&1 || true
# Restart the server and its services with no terminal or pipe of ours open: a service
# started inside $(...) below would keep the substitution waiting for ever.
wineserver -p >/dev/null 2>&1 || true
wine cmd /c exit >/dev/null 2>&1 || true
echo "docs/images/about-box.png"

for page in schedule dialog; do
  "$ROOT/tools/wine-run" "$BIN/tests/wine/proppage_shots.exe" "$page" 6 >/dev/null 2>&1 &
  shown=$!
  sleep 4
  grab "$OUT/proppage-$page.png"
  wait "$shown" || true
  echo "docs/images/proppage-$page.png"
done

workdir=$(winepath -w "$WORK" 2>/dev/null)
CADENCER_SCREENSHOT_DIR="$workdir" "$ROOT/tools/wine-run" "$BIN/tests/wine/numberentry_wine_tests.exe" \
  --gtest_filter='DigitfieldGallery.*' >/dev/null 2>&1 || true
if [ -f "$WORK/digitfield-states.bmp" ]; then
  convert "$WORK/digitfield-states.bmp" "$OUT/digitfield-states.png"
  echo "docs/images/digitfield-states.png"
fi
