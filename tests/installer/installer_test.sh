#!/usr/bin/env bash
# Installer tests: cadencer.msi in a fresh WoW64 Wine prefix.
#   tests/installer/installer_test.sh DIST BUILD64 BUILD32 TEMPLATE WORK
# DIST is a directory made by tools/package.sh (cadencer.msi, x64/ and x86/cadencer.ocx);
# BUILD64 and BUILD32 are the build trees with this directory's programs and the project's
# version; TEMPLATE is a prefix the run script made, copied to WORK/prefix for this run.
# Each check prints "ok - ..." or "not ok - ..." on the error output; the last line on the
# standard output is "N passed, F failed". Exits 1 when a check failed.
#
# The registry is compared through Wine's own registry files, read while the prefix's
# server is stopped: complete (both views, every key) and fast. A snapshot holds every key
# and value of HKLM and HKCU, without Wine's time stamps.
set -uo pipefail
[ $# -eq 5 ] || { echo "usage: installer_test.sh DIST BUILD64 BUILD32 TEMPLATE WORK" >&2; exit 2; }
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
DIST=$(cd "$1" && pwd) BUILD64=$(cd "$2" && pwd) BUILD32=$(cd "$3" && pwd) TEMPLATE=$4 WORK=$5
VERSION=$(cat "$BUILD64/cadencer-version.txt")

mkdir -p "$WORK"
WORK=$(cd "$WORK" && pwd)
export WINEPREFIX="$WORK/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
WINE64=/usr/lib/wine/wine64
[ -x "$WINE64" ] || WINE64=$(command -v wine64)
PROGRAMS64="C:\\Program Files\\Cadencer"
PROGRAMS32="C:\\Program Files (x86)\\Cadencer"
DIR64="$WINEPREFIX/drive_c/Program Files/Cadencer"
DIR32="$WINEPREFIX/drive_c/Program Files (x86)/Cadencer"

passed=0 failed=0
check() {  # NAME COMMAND...: one check
  local name=$1
  shift
  if "$@" >"$WORK/last.log" 2>&1; then
    passed=$((passed + 1))
    echo "ok - $name" >&2
  else
    failed=$((failed + 1))
    echo "not ok - $name" >&2
    sed 's/^/    /' "$WORK/last.log" | head -40 >&2
  fi
}
same() { diff -u "$1" "$2"; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# A fresh prefix: the template's system directories are hard links (nothing here writes to
# them), everything else a copy, but the file naming the template's own server.
fresh_prefix() {
  wineserver -k >/dev/null 2>&1
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  (cd "$TEMPLATE" && find . -mindepth 1 -maxdepth 1 ! -name drive_c ! -name wineserver -exec cp -a {} "$WINEPREFIX/" \;)
  mkdir -p "$WINEPREFIX/drive_c/windows"
  (cd "$TEMPLATE/drive_c" && find . -mindepth 1 -maxdepth 1 ! -name windows -exec cp -a {} "$WINEPREFIX/drive_c/" \;)
  local entry
  for entry in "$TEMPLATE/drive_c/windows/"*; do
    case "${entry##*/}" in
      system32 | syswow64) cp -al "$entry" "$WINEPREFIX/drive_c/windows/" ;;
      *) cp -a "$entry" "$WINEPREFIX/drive_c/windows/" ;;
    esac
  done
  start_server
}
start_server() {
  wineserver -p >/dev/null 2>&1
  wine cmd /c exit >/dev/null 2>&1
}

# Registry snapshot: "key" lines and "key|name=value" lines, sorted.
flatten() {
  awk '
    /^\[/ { key = $0; sub(/^\[/, "", key); sub(/\] [0-9]+$/, "", key); print "K " key; next }
    /^#/ || /^$/ || /^WINE REGISTRY/ || /^;;/ { next }
    { line = $0
      while (line ~ /\\$/ && (getline more) > 0) { sub(/\\$/, "", line); sub(/^ +/, "", more); line = line more }
      print "V " key "|" line }' "$1"
}
snapshot() {  # OUT: the registry as the server has it
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  { flatten "$WINEPREFIX/system.reg" | sed 's/^/HKLM /'; flatten "$WINEPREFIX/user.reg" | sed 's/^/HKCU /'; } |
    grep -v -E "$VOLATILE" | LC_ALL=C sort >"$1"
  start_server
}
# Left out of the comparisons: what Wine rewrites on every start whatever ran; the
# installer's own source list of a product, to which Wine's msi adds the same source again
# each time a package runs; and the empty folders of the installer's bookkeeping, which
# stay once it has run, as on Windows.
VOLATILE='^HKLM [KV] (System\\\\CurrentControlSet\\\\Control\\\\Session Manager\\\\Environment|Hardware\\\\DESCRIPTION|Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\Perflib)|^HKCU [KV] Volatile Environment'
VOLATILE+='|^HKLM [KV] System\\\\CurrentControlSet\\\\Control\\\\Class\\\\[{]4D36E968-E325-11CE-BFC1-08002BE10318[}]'
VOLATILE+='|^HKLM [KV] Software\\\\Classes\\\\Installer\\\\Products\\\\[0-9A-F]+\\\\SourceList'
VOLATILE+='|^HKLM K (Software\\\\Classes\\\\Installer\\\\(Features|Products|UpgradeCodes)|Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Installer\\\\(UpgradeCodes|UserData\\\\S-1-5-18\\\\(Components|Products)))$'
# The classes part of a snapshot (both views: the 32-bit one is Classes\Wow6432Node),
# without the installer's own bookkeeping of products.
classes() { grep -E '^HKLM [KV] Software\\\\Classes' "$1" | grep -v -E '^HKLM [KV] Software\\\\Classes\\\\Installer'; }
files() {  # OUT: every file of drive C: with its size, but the temporary ones and the
  # installer's own (empty) cache folder
  (cd "$WINEPREFIX/drive_c" && find . \( -path './windows/temp' -o -path './users/*/Temp' -o -path './users/*/AppData/Local/Temp' \) -prune -o -printf '%y %p %s\n' |
    grep -v '^d ./windows/Installer ' | LC_ALL=C sort) >"$1"
}

msiexec() { wine msiexec "$@" /qn; }
is_pe() {  # FILE MACHINE(8664 or 14c): a PE file for that machine
  local offset machine
  offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$1" | tr -d ' ')
  [ "$machine" = "$2" ]
}
installed_files() {
  cmp "$DIST/x64/cadencer.ocx" "$DIR64/cadencer.ocx" && is_pe "$DIR64/cadencer.ocx" 8664 &&
    cmp "$DIST/x86/cadencer.ocx" "$DIR32/cadencer.ocx" && is_pe "$DIR32/cadencer.ocx" 014c
}
script_client() {  # 64|32
  local host=x86 out
  [ "$1" = 64 ] && host=AMD64
  if [ "$1" = 64 ]; then
    out=$("$WINE64" cscript //nologo "$(winpath "$ROOT/tests/installer/installed_client.vbs")" 2>&1)
  else
    out=$(wine 'C:\windows\syswow64\cscript.exe' //nologo "$(winpath "$ROOT/tests/installer/installed_client.vbs")" 2>&1)
  fi
  echo "$out"
  grep -q "^host: $host" <<<"$out" && grep -q -E '^SUMMARY: [0-9]+ checks, 0 failed' <<<"$out"
}
clock() {  # 64|32
  if [ "$1" = 64 ]; then
    wine "$BUILD64/tests/installer/installed_clock.exe" "$PROGRAMS64\\cadencer.ocx"
  else
    wine "$BUILD32/tests/installer/installed_clock.exe" "$PROGRAMS32\\cadencer.ocx"
  fi
}
product_version() {  # MSI: its ProductVersion is the project's version
  [ "$(msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductVersion" {print $2}')" = "$VERSION" ]
}
registered_products() {  # SNAPSHOT: "ProductCode DisplayVersion" of each installed Cadencer
  grep -E '^HKLM V Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\\{[^\\]*\}\|"(DisplayName|DisplayVersion)"=' "$1" |
    sed -E 's/^HKLM V .*Uninstall\\\\(\{[^\\]*\})\|"(DisplayName|DisplayVersion)"="(.*)"$/\1 \2 \3/' |
    awk '$2 == "DisplayName" && $3 == "Cadencer" {named[$1] = 1} $2 == "DisplayVersion" {version[$1] = $3}
         END {for (p in named) print p, version[p]}'
}
regsvr32_both() {  # [/u]: the way a user registers both files where the package puts them
  "$WINE64" regsvr32 /s "$@" "$PROGRAMS64\\cadencer.ocx" && wine 'C:\windows\syswow64\regsvr32.exe' /s "$@" "$PROGRAMS32\\cadencer.ocx"
}

only_version() {  # SNAPSHOT VERSION: one Cadencer product installed, of that version
  [ "$(registered_products "$1" | cut -d' ' -f2)" = "$2" ]
}
refused() { ! "$@"; }
sums_complete() {  # SHA256SUMS checks out and names every other file
  (cd "$DIST" && sha256sum --quiet -c SHA256SUMS &&
    [ "$(wc -l <SHA256SUMS)" -eq "$(find . -type f ! -name SHA256SUMS | wc -l)" ])
}
stripped() {  # TOOLCHAIN DIR: a stripped OCX under 1.5 MB that names its symbols file
  local sections
  sections=$("$1-objdump" -h "$2/cadencer.ocx") || return 1
  echo "$sections" | grep -q ' \.gnu_debuglink ' && ! echo "$sections" | grep -q ' \.debug_info ' &&
    [ "$(stat -c %s "$2/cadencer.ocx")" -lt 1572864 ] &&
    "$1-objdump" -h "$2/cadencer.ocx.debug" | grep -q ' \.debug_info '
}
# Lines of a snapshot that name the control, its library, its interfaces or its package.
OURS='243AC4C2-0386-444A-9D31-F34D971A1CAB|3057AF13-3A41-4CD1-933B-9BA41F03F97D|6BDDB70A-8B3F-4181-91EE-6D01D995DA31|E962FE90-66FC-4A82-B06D-C69C043DEE76|CadencerLib|Cadencer'
nothing_of_ours() { ! grep -i -E "$OURS" "$1"; }
progids_kept() {  # SNAPSHOT: both ProgIDs, and the 64-bit class, still there
  grep -q -F 'HKLM V Software\\Classes\\CadencerLib.Cadencer\\CLSID|@="{243AC4C2-0386-444A-9D31-F34D971A1CAB}"' "$1" &&
    grep -q -F 'HKLM V Software\\Classes\\CadencerLib.Cadencer.1\\CLSID|@="{243AC4C2-0386-444A-9D31-F34D971A1CAB}"' "$1" &&
    grep -q -F 'HKLM K Software\\Classes\\CLSID\\{243AC4C2-0386-444A-9D31-F34D971A1CAB}\\InprocServer32' "$1"
}
# The Properties verb (in each view's class) and the library under the neutral locale (one
# entry per platform in the shared version key), as the package and regsvr32 write them.
# Key names are matched in any case, as the registry does (Wine's own key is "Typelib").
VERB_KEY='{243AC4C2-0386-444A-9D31-F34D971A1CAB}\\Verb'
NEUTRAL_LIBRARY='TypeLib\\{3057AF13-3A41-4CD1-933B-9BA41F03F97D}\\1.0\\0'
verb_and_neutral_library() {  # SNAPSHOT
  [ "$(grep -c -i -F "$VERB_KEY"'\\1|@="&Properties...,0,2"' "$1")" -eq 2 ] &&
    grep -q -i -F "$NEUTRAL_LIBRARY"'\\win64|@="C:\\Program Files\\Cadencer\\cadencer.ocx"' "$1" &&
    grep -q -i -F "$NEUTRAL_LIBRARY"'\\win32|@="C:\\Program Files (x86)\\Cadencer\\cadencer.ocx"' "$1"
}
no_verb_or_neutral_library() { ! grep -i -F -e "$VERB_KEY" -e "$NEUTRAL_LIBRARY" "$1"; }
log_step() { echo "# $*" >&2; }

log_step "fresh prefix from $TEMPLATE"
fresh_prefix
# Both cscripts register Windows Script Host's type library when they first run: the
# baseline is the system after that.
printf 'WScript.Echo "ready"\r\n' >"$WORK/ready.vbs"
"$WINE64" cscript //nologo "$(winpath "$WORK/ready.vbs")" >/dev/null 2>&1
wine 'C:\windows\syswow64\cscript.exe' //nologo "$(winpath "$WORK/ready.vbs")" >/dev/null 2>&1
snapshot "$WORK/baseline.reg"
files "$WORK/baseline.files"
check "the package's ProductVersion is the project's version $VERSION" product_version "$DIST/cadencer.msi"
check "x64/cadencer.ocx is stripped, under 1.5 MB, its symbols in cadencer.ocx.debug" \
  stripped x86_64-w64-mingw32 "$DIST/x64"
check "x86/cadencer.ocx is stripped, under 1.5 MB, its symbols in cadencer.ocx.debug" \
  stripped i686-w64-mingw32 "$DIST/x86"
check "SHA256SUMS holds every file of the package" sums_complete

# Installing, installing again, repairing and uninstalling, with nothing run in between:
# the registry and the files must come back exactly as they were.
log_step "msiexec /i cadencer.msi, again, a repair, msiexec /x"
check "msiexec /i installs" msiexec /i "$(winpath "$DIST/cadencer.msi")"
check "the x64 OCX is in ProgramFiles64Folder, the x86 OCX in ProgramFilesFolder" installed_files
snapshot "$WORK/installed.reg"
files "$WORK/installed.files"
check "the installed product is registered with version $VERSION" only_version "$WORK/installed.reg" "$VERSION"
check "the package enters the Properties verb and the library under the neutral locale for both bitnesses" \
  verb_and_neutral_library "$WORK/installed.reg"
check "msiexec /i of the installed package succeeds" msiexec /i "$(winpath "$DIST/cadencer.msi")"
snapshot "$WORK/again.reg"
files "$WORK/again.files"
check "installing again changes no key" same "$WORK/installed.reg" "$WORK/again.reg"
check "installing again changes no file" same "$WORK/installed.files" "$WORK/again.files"
rm "$DIR32/cadencer.ocx"
check "a repair (REINSTALL=ALL) succeeds" \
  msiexec /i "$(winpath "$DIST/cadencer.msi")" REINSTALL=ALL REINSTALLMODE=vamus
snapshot "$WORK/repaired.reg"
files "$WORK/repaired.files"
check "the repair puts back a deleted OCX" cmp "$DIST/x86/cadencer.ocx" "$DIR32/cadencer.ocx"
check "the repair leaves every key as installed" same "$WORK/installed.reg" "$WORK/repaired.reg"
check "the repair leaves every file as installed" same "$WORK/installed.files" "$WORK/repaired.files"
check "msiexec /x uninstalls" msiexec /x "$(winpath "$DIST/cadencer.msi")"
snapshot "$WORK/uninstalled.reg"
files "$WORK/uninstalled.files"
check "uninstalling leaves no key in either view, and removes nothing else" \
  same "$WORK/baseline.reg" "$WORK/uninstalled.reg"
check "uninstalling leaves no file, and removes nothing else" same "$WORK/baseline.files" "$WORK/uninstalled.files"
check "uninstalling removes the Properties verb and the neutral locale's library entries" \
  no_verb_or_neutral_library "$WORK/uninstalled.reg"

log_step "regsvr32 of both files where the package puts them"
mkdir -p "$DIR64" "$DIR32"
cp "$DIST/x64/cadencer.ocx" "$DIR64/"
cp "$DIST/x86/cadencer.ocx" "$DIR32/"
check "regsvr32 registers both bitnesses" regsvr32_both
snapshot "$WORK/regsvr32.reg"
classes "$WORK/installed.reg" >"$WORK/installed.classes"
classes "$WORK/regsvr32.reg" >"$WORK/regsvr32.classes"
check "the package writes exactly the keys regsvr32 writes, in both views" \
  same "$WORK/regsvr32.classes" "$WORK/installed.classes"
check "32-bit regsvr32 /u" wine 'C:\windows\syswow64\regsvr32.exe' /s /u "$PROGRAMS32\\cadencer.ocx"
snapshot "$WORK/half-registered.reg"
check "the shared ProgIDs stay for the 64-bit control" progids_kept "$WORK/half-registered.reg"
check "64-bit regsvr32 /u" "$WINE64" regsvr32 /s /u "$PROGRAMS64\\cadencer.ocx"
rm -rf "$DIR64" "$DIR32"
snapshot "$WORK/unregistered.reg"
check "regsvr32 /u of both leaves no key" same "$WORK/baseline.reg" "$WORK/unregistered.reg"

# The installed control in use, then replaced by a later version.
log_step "the installed control in both bitnesses; a later version replaces it"
check "msiexec /i installs again" msiexec /i "$(winpath "$DIST/cadencer.msi")"
check "64-bit cscript creates CadencerLib.Cadencer and reads its defaults" script_client 64
check "32-bit cscript creates CadencerLib.Cadencer and reads its defaults" script_client 32
check "the 64-bit control's clock fires ScheduledTime" clock 64
check "the 32-bit control's clock fires ScheduledTime" clock 32
NEXT_VERSION=$(awk -F. -v OFS=. '{$NF = $NF + 1; print}' <<<"$VERSION")
check "a package of version $NEXT_VERSION builds" \
  "$ROOT/tools/make-msi.sh" "$WORK/next.msi" "$NEXT_VERSION" "$DIST/x64/cadencer.ocx" "$DIST/x86/cadencer.ocx"
check "msiexec /i of $NEXT_VERSION over $VERSION" msiexec /i "$(winpath "$WORK/next.msi")"
snapshot "$WORK/upgraded.reg"
check "only $NEXT_VERSION is installed" only_version "$WORK/upgraded.reg" "$NEXT_VERSION"
check "the upgraded package keeps both controls" installed_files
check "64-bit cscript still creates the control" script_client 64
check "msiexec /i of $VERSION over $NEXT_VERSION is refused" refused msiexec /i "$(winpath "$DIST/cadencer.msi")"
check "msiexec /x of $NEXT_VERSION" msiexec /x "$(winpath "$WORK/next.msi")"
snapshot "$WORK/upgrade-removed.reg"
files "$WORK/upgrade-removed.files"
# Using the controls let the system register its own libraries for each bitness, so this
# last state is held against the baseline in what concerns the control and its package.
check "after the upgrade, uninstalling leaves no key of the control or its package" nothing_of_ours "$WORK/upgrade-removed.reg"
check "after the upgrade, uninstalling leaves no file" same "$WORK/baseline.files" "$WORK/upgrade-removed.files"

wineserver -k >/dev/null 2>&1
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
