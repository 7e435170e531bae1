#!/usr/bin/env bash
# Regenerates the pictures in docs/images from the real windows, under the Xvfb display and
# Wine prefix that ./run prepares (./run screenshots calls this once everything is built):
# each window at 96 DPI, then again at 144 DPI (the prefix's LogPixels for the length of
# that pass; the value the prefix had is put back afterwards), as NAME-144dpi.png.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BIN="$ROOT/build/win64"
OUT="$ROOT/docs/images"
WORK="$ROOT/build/shots"
mkdir -p "$OUT" "$WORK"
BORDER=(-bordercolor '#3a6ea5' -border 6)
DESKTOP_KEY='HKCU\Control Panel\Desktop'
# The OCX is 64-bit: its script client must be the 64-bit cscript (in a WoW64 prefix plain
# `wine cscript` starts the 32-bit one, which cannot find the control).
WINE64=wine
[ -x /usr/lib/wine/wine64 ] && WINE64=/usr/lib/wine/wine64

# Everything but the Wine desktop's background, with a thin margin of it.
grab() { xwd -root -display "$DISPLAY" -silent | convert xwd:- -trim +repage "${BORDER[@]}" "$1" 2>/dev/null; }

# Waits (at most about 20 s: a loaded machine starts programs slowly) until what is shown
# is at least min_width pixels wide, lets it settle, then grabs it.
grab_shown() {
  local out=$1 min_width=$2 width _
  for _ in $(seq 1 80); do
    grab "$out" || true
    width=$(identify -format '%w' "$out" 2>/dev/null || echo 0)
    [ "${width:-0}" -ge "$min_width" ] && break
    sleep 0.25
  done
  sleep 0.7
  grab "$out"
}

# Ends the programs still shown in this prefix and restarts the server and its services
# with no terminal or pipe of ours open: a service started inside $(...) would keep the
# substitution waiting for ever.
restart_wine() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p >/dev/null 2>&1 || true
  wine cmd /c exit >/dev/null 2>&1 || true
}

shoot() {  # suffix: "" at 96 DPI, "-144dpi" at 144
  local suffix=$1 layout shown
  for layout in never daily weekly monthly every message; do
    "$ROOT/tools/wine-run" "$BIN/tools/shots/dialog_shots.exe" "$layout" 6 >/dev/null 2>&1 &
    shown=$!
    # The validation message stands apart from the dialog: the two together are wider.
    grab_shown "$OUT/dialog-$layout$suffix.png" "$([ "$layout" = message ] && echo 600 || echo 300)"
    wait "$shown" || true
    echo "docs/images/dialog-$layout$suffix.png"
  done

  printf 'Set c = CreateObject("CadencerLib.Cadencer")\r\nc.DisplayAboutBox\r\n' > "$WORK/about.vbs"
  "$WINE64" cscript //nologo "$(winepath -w "$WORK/about.vbs")" >/dev/null 2>&1 &
  shown=$!
  grab_shown "$OUT/about-box$suffix.png" 300
  kill "$shown" 2>/dev/null || true
  restart_wine  # ends the modal box still shown in this prefix
  echo "docs/images/about-box$suffix.png"

  local workdir
  workdir=$(winepath -w "$WORK" 2>/dev/null)
  rm -f "$WORK/digitfield-states.bmp"
  CADENCER_SCREENSHOT_DIR="$workdir" "$ROOT/tools/wine-run" "$BIN/tests/wine/numberentry_wine_tests.exe" \
    --gtest_filter='DigitfieldGallery.*' >/dev/null 2>&1 || true
  if [ -f "$WORK/digitfield-states.bmp" ]; then
    convert "$WORK/digitfield-states.bmp" "$OUT/digitfield-states$suffix.png"
    echo "docs/images/digitfield-states$suffix.png"
  fi
}

wine regsvr32 /s "$(winepath -w "$BIN/src/component/cadencer.ocx")"
shoot ""

# The dialog in other languages, as a container with that LocaleID opens it.
for language in 0x407:de 0x415:pl 0x411:ja; do
  "$ROOT/tools/wine-run" "$BIN/tools/shots/dialog_shots.exe" monthly 6 "${language%%:*}" >/dev/null 2>&1 &
  shown=$!
  grab_shown "$OUT/dialog-monthly-${language##*:}.png" 300
  wait "$shown" || true
  echo "docs/images/dialog-monthly-${language##*:}.png"
done

# Under a high-contrast scheme (the user's accessibility flag and a black scheme).
contrast_key='HKCU\Control Panel\Accessibility\HighContrast'
colors_key='HKCU\Control Panel\Colors'
scheme=("Window=0 0 0" "WindowText=255 255 255" "ButtonFace=0 0 0" "ButtonText=255 255 255"
        "Hilight=26 235 255" "HilightText=0 0 0" "GrayText=63 242 63" "HotTrackingColor=255 255 0")
wine reg add "$contrast_key" /v Flags /t REG_SZ /d 127 /f >/dev/null 2>&1
for entry in "${scheme[@]}"; do wine reg add "$colors_key" /v "${entry%%=*}" /t REG_SZ /d "${entry#*=}" /f >/dev/null 2>&1; done
restart_wine
"$ROOT/tools/wine-run" "$BIN/tools/shots/dialog_shots.exe" monthly 6 >/dev/null 2>&1 &
shown=$!
grab_shown "$OUT/dialog-monthly-high-contrast.png" 300
wait "$shown" || true
echo "docs/images/dialog-monthly-high-contrast.png"
wine reg delete "$contrast_key" /v Flags /f >/dev/null 2>&1
for entry in "${scheme[@]}"; do wine reg delete "$colors_key" /v "${entry%%=*}" /f >/dev/null 2>&1; done
restart_wine

# The property pages in their frame, at 96 DPI.
for page in schedule dialog; do
  "$ROOT/tools/wine-run" "$BIN/tools/shots/proppage_shots.exe" "$page" 6 >/dev/null 2>&1 &
  shown=$!
  grab_shown "$OUT/proppage-$page.png" 300
  wait "$shown" || true
  echo "docs/images/proppage-$page.png"
done

previous=$(wine reg query "$DESKTOP_KEY" /v LogPixels 2>/dev/null | awk '/LogPixels/ {print $3}' | tr -d '\r' || true)
wine reg add "$DESKTOP_KEY" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
restart_wine
trap 'if [ -n "$previous" ]; then wine reg add "$DESKTOP_KEY" /v LogPixels /t REG_DWORD /d "$((previous))" /f; else wine reg delete "$DESKTOP_KEY" /v LogPixels /f; fi >/dev/null 2>&1; restart_wine' EXIT
shoot "-144dpi"
