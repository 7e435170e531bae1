#!/usr/bin/env bash
# Installer tests: the packages of tools/package.sh in a fresh Wine prefix of one
# architecture.
#   tests/installer/installer_test.sh ARCH DIST BUILD64 BUILD32 TEMPLATE WORK
# ARCH is the prefix's architecture: win64 (a WoW64 prefix, 64-bit Windows: cadencer-x64.msi
# in full, and how it meets cadencer-x86.msi) or win32 (WINEARCH=win32, 32-bit Windows:
# cadencer-x86.msi, and the refusal of the x64 package). DIST is a directory made by
# tools/package.sh; BUILD64 and BUILD32 are the build trees with this directory's programs
# and the project's version; TEMPLATE is a prefix of that architecture that the run script
# made, copied to WORK/prefix for this run. Each check prints "ok - ..." or "not ok - ..."
# on the error output; the last line on the standard output is "N passed, F failed". Exits
# 1 when a check failed.
#
# The registry is compared through Wine's own registry files, read while the prefix's
# server is stopped: complete (both views, every key) and fast. A snapshot holds every key
# and value of HKLM and HKCU, without Wine's time stamps.
set -uo pipefail
[ $# -eq 6 ] || { echo "usage: installer_test.sh win64|win32 DIST BUILD64 BUILD32 TEMPLATE WORK" >&2; exit 2; }
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
ARCH=$1
DIST=$(cd "$2" && pwd) BUILD64=$(cd "$3" && pwd) BUILD32=$(cd "$4" && pwd) TEMPLATE=$5 WORK=$6
VERSION=$(cat "$BUILD64/cadencer-version.txt")
BUILD_NUMBER=$(sed -n 's/^CADENCER_BUILD_NUMBER:[A-Z]*=//p' "$BUILD32/CMakeCache.txt")
# The packages' ProductVersion: major.minor.build, the fields Windows Installer compares.
PRODUCT_VERSION="${VERSION%.*}.$BUILD_NUMBER"
PACKAGE64="$DIST/cadencer-x64.msi" PACKAGE32="$DIST/cadencer-x86.msi"

mkdir -p "$WORK"
WORK=$(cd "$WORK" && pwd)
export WINEPREFIX="$WORK/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
WINE64=/usr/lib/wine/wine64
[ -x "$WINE64" ] || WINE64=$(command -v wine64)
# Where each bitness's programs and the package's files are: on 64-bit Windows the 32-bit
# ones live in syswow64 and Program Files (x86)\Common Files, on 32-bit Windows in system32
# and Program Files\Common Files.
PROGRAMS64="C:\\Program Files\\Common Files\\Cadencer"
DIR64="$WINEPREFIX/drive_c/Program Files/Common Files/Cadencer"
case "$ARCH" in
  win64)
    SYSTEM32='C:\windows\syswow64'
    PROGRAMS32="C:\\Program Files (x86)\\Common Files\\Cadencer"
    DIR32="$WINEPREFIX/drive_c/Program Files (x86)/Common Files/Cadencer"
    ;;
  win32)
    export WINEARCH=win32
    SYSTEM32='C:\windows\system32'
    PROGRAMS32="C:\\Program Files\\Common Files\\Cadencer"
    DIR32="$WINEPREFIX/drive_c/Program Files/Common Files/Cadencer"
    ;;
  *) echo "installer_test.sh: ARCH is win64 or win32" >&2; exit 2 ;;
esac

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
# The classes part of a snapshot (both views: the 32-bit one is Classes\Wow6432Node) and
# the list of registered copies, without the installer's own bookkeeping of products.
classes() {
  grep -E '^HKLM [KV] Software\\\\(Classes|(Wow6432Node\\\\)?Cadencer)' "$1" |
    grep -v -E '^HKLM [KV] Software\\\\Classes\\\\Installer'
}
files() {  # OUT: every file of drive C: with its size, but the temporary ones and the
  # installer's own (empty) cache folder
  (cd "$WINEPREFIX/drive_c" && find . \( -path './windows/temp' -o -path './users/*/Temp' -o -path './users/*/AppData/Local/Temp' \) -prune -o -printf '%y %p %s\n' |
    grep -v '^d ./windows/Installer ' | LC_ALL=C sort) >"$1"
}

# Every package runs as docs/redistributing.md tells vendors to run it: silently, without a
# restart, with a verbose log, through "start /wait" so that the caller gets msiexec's own
# exit code (read from cmd's ERRORLEVEL: a Linux exit status keeps 8 bits only).
MSI_LOG="$WORK/msiexec.log"
msiexec_code() {  # ARGS...: runs msiexec, prints its exit code
  local line="start /wait msiexec" arg
  for arg in "$@"; do
    case "$arg" in *" "*) line+=" \"$arg\"" ;; *) line+=" $arg" ;; esac
  done
  rm -f "$MSI_LOG"
  printf '@echo off\r\n%s /qn /norestart /l*v "%s"\r\necho exit %%ERRORLEVEL%%\r\n' "$line" "$(winpath "$MSI_LOG")" >"$WORK/msiexec.cmd"
  wine cmd /c "$(winpath "$WORK/msiexec.cmd")" 2>/dev/null | tr -d '\r' | sed -n 's/^exit //p'
}
msiexec_exits() {  # CODE ARGS...: msiexec ends with that exit code
  local expected=$1 code
  shift
  code=$(msiexec_code "$@")
  echo "msiexec $* ended with ${code:-nothing}, expected $expected"
  [ "$code" = "$expected" ]
}
msiexec() { msiexec_exits 0 "$@"; }
is_pe() {  # FILE MACHINE(8664 or 14c): a PE file for that machine
  local offset machine
  offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$1" | tr -d ' ')
  [ "$machine" = "$2" ]
}
installed_files() {  # both OCXs where the x64 package puts them
  cmp "$DIST/x64/cadencer.ocx" "$DIR64/cadencer.ocx" && is_pe "$DIR64/cadencer.ocx" 8664 && installed_x86
}
installed_x86() {  # the 32-bit OCX where both packages put it, its VB6 dependency file beside it
  cmp "$DIST/x86/cadencer.ocx" "$DIR32/cadencer.ocx" && is_pe "$DIR32/cadencer.ocx" 014c &&
    cmp "$DIST/x86/cadencer.dep" "$DIR32/cadencer.dep"
}
script_client() {  # 64|32 [FILE-VERSION]: the installed control from a script host
  local host=x86 out version=${2:-}
  [ "$1" = 64 ] && host=AMD64
  if [ "$1" = 64 ]; then
    out=$("$WINE64" cscript //nologo "$(winpath "$ROOT/tests/installer/installed_client.vbs")" 2>&1)
  else
    out=$(wine "$SYSTEM32\\cscript.exe" //nologo "$(winpath "$ROOT/tests/installer/installed_client.vbs")" 2>&1)
  fi
  echo "$out"
  grep -q "^host: $host" <<<"$out" && grep -q -E '^SUMMARY: [0-9]+ checks, 0 failed' <<<"$out" &&
    { [ -z "$version" ] || grep -q "^ocx: $version " <<<"$out"; }
}
clock() {  # 64|32
  if [ "$1" = 64 ]; then
    wine "$BUILD64/tests/installer/installed_clock.exe" "$PROGRAMS64\\cadencer.ocx"
  else
    wine "$BUILD32/tests/installer/installed_clock.exe" "$PROGRAMS32\\cadencer.ocx"
  fi
}
table() { msiinfo export "$1" "$2" | tr -d '\r' | tail -n +4; }  # MSI TABLE: its rows
property() { table "$1" Property | awk -F'\t' -v name="$2" '$1 == name {print $2}'; }
# MSI TEMPLATE FILE-ID=OCX...: the package's tables as Windows Installer must see them.
package_tables() {
  local msi=$1 template=$2 upgrade_code row file_id ocx file_version language
  shift 2
  upgrade_code=$(property "$msi" UpgradeCode)
  echo "ProductVersion $(property "$msi" ProductVersion), UpgradeCode $upgrade_code"
  [ "$(property "$msi" ProductVersion)" = "$PRODUCT_VERSION" ] || return 1
  msiinfo suminfo "$msi" | grep -q -x "Template: $template;1033" || { echo "not Template $template"; return 1; }
  # The File table holds exactly the given OCXs, each with its version resource's version
  # and language, and without a hash, and the x86 OCX's dependency file.
  [ "$(table "$msi" File | wc -l)" -eq $(($# + 1)) ] || { table "$msi" File; return 1; }
  table "$msi" File | grep -q "^dep32	Ocx32	cadencer.dep	" || { table "$msi" File; return 1; }
  for row in "$@"; do
    file_id=${row%%=*} ocx=${row#*=}
    read -r file_version language < <("$ROOT/tools/pe-version.py" "$ocx")
    [ "$file_version" = "$VERSION.$BUILD_NUMBER" ] || { echo "$ocx has version $file_version"; return 1; }
    table "$msi" File | awk -F'\t' -v id="$file_id" -v v="$file_version" -v l="$language" \
      '$1 == id && $5 == v && $6 == l {found = 1} END {exit !found}' || { table "$msi" File; return 1; }
    ! table "$msi" MsiFileHash | grep -q "^$file_id	" || { echo "$file_id has a MsiFileHash row"; return 1; }
  done
  # A rebuild of this version replaces the installed one: attributes 513, version inclusive.
  table "$msi" Upgrade | grep -q -x "$upgrade_code		$PRODUCT_VERSION		513		WIX_UPGRADE_DETECTED" ||
    { table "$msi" Upgrade; return 1; }
  [ "$(property "$msi" ARPNOMODIFY)" = 1 ] && [ -n "$(property "$msi" ARPHELPLINK)" ] &&
    [ -n "$(property "$msi" ARPURLINFOABOUT)" ]
}
dep_file() {  # the VB6 dependency file: the OCX's section as the wizard reads it
  [ "$(tr -d '\r' <"$DIST/x86/cadencer.dep" | sed -n '/^\[cadencer.ocx\]$/,/^$/p')" = "[cadencer.ocx]
Dest=\$(CommonFiles)\\Cadencer
Register=\$(DLLSelfRegister)
Version=$FILE_VERSION
Uses1=" ]
}
# The rows by which the packages meet: each removes (x64) or detects (x86) the other up to
# its own version inclusive (attributes 768 and 770), and detects a newer one of either.
# Wine's msi writes no log line for a failed launch condition and shows no message in a
# silent run, so the messages are checked here, in the table Windows Installer shows them
# from.
cross_package_rows() {
  local code64 code32 msi newer
  code64=$(property "$PACKAGE64" UpgradeCode) code32=$(property "$PACKAGE32" UpgradeCode)
  table "$PACKAGE64" Upgrade | grep -q -x "$code32	0.0.0	$PRODUCT_VERSION		768		CADENCER_X86_PACKAGE" &&
    table "$PACKAGE64" Upgrade | grep -q -x "$code32	$PRODUCT_VERSION			2		CADENCER_NEWER_X86" &&
    table "$PACKAGE32" Upgrade | grep -q -x "$code64	0.0.0	$PRODUCT_VERSION		770		CADENCER_X64_PACKAGE" &&
    table "$PACKAGE32" Upgrade | grep -q -x "$code64	$PRODUCT_VERSION			2		CADENCER_NEWER_X64" &&
    table "$PACKAGE32" LaunchCondition |
    grep -q -x 'Installed OR NOT CADENCER_X64_PACKAGE	The 64-bit Cadencer package (cadencer-x64.msi) is installed; it already holds the 32-bit control. Install cadencer-x64.msi instead.' || return 1
  for msi in "$PACKAGE64" "$PACKAGE32"; do
    newer=CADENCER_NEWER_X86
    [ "$msi" = "$PACKAGE32" ] && newer=CADENCER_NEWER_X64
    table "$msi" LaunchCondition |
      grep -q -x "Installed OR UILevel = 2 OR NOT (WIX_DOWNGRADE_DETECTED OR $newer)	A newer version of Cadencer is already installed." &&
      property "$msi" SecureCustomProperties | grep -q "$newer" || return 1
  done
  property "$PACKAGE64" SecureCustomProperties | grep -q CADENCER_X86_PACKAGE &&
    property "$PACKAGE32" SecureCustomProperties | grep -q CADENCER_X64_PACKAGE
}
UNINSTALL='HKLM V Software\\\\(Wow6432Node\\\\)?Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\'
registered_products() {  # SNAPSHOT: "ProductCode DisplayVersion" of each installed Cadencer
  grep -E "^$UNINSTALL"'\{[^\\]*\}\|"(DisplayName|DisplayVersion)"=' "$1" |
    sed -E 's/^HKLM V .*Uninstall\\\\(\{[^\\]*\})\|"(DisplayName|DisplayVersion)"="(.*)"$/\1 \2 \3/' |
    awk '$2 == "DisplayName" && $3 == "Cadencer" {named[$1] = 1} $2 == "DisplayVersion" {version[$1] = $3}
         END {for (p in named) print p, version[p]}'
}
only_version() {  # SNAPSHOT VERSION: one Cadencer product installed, of that version
  registered_products "$1"
  [ "$(registered_products "$1" | cut -d' ' -f2)" = "$2" ]
}
only_package() {  # SNAPSHOT MSI: one Cadencer product installed, the one of that package
  registered_products "$1"
  [ "$(registered_products "$1" | cut -d' ' -f1)" = "$(property "$2" ProductCode)" ]
}
arp_entry() {  # SNAPSHOT: Add/Remove Programs offers no Modify, and links to help and about
  local key
  key=$(registered_products "$1" | cut -d' ' -f1)
  grep -E "^$UNINSTALL\\$key\\|" "$1"
  grep -q -E "^$UNINSTALL\\$key\\|\"NoModify\"=dword:00000001" "$1" &&
    grep -q -E "^$UNINSTALL\\$key\\|\"HelpLink\"=\"https?://" "$1" &&
    grep -q -E "^$UNINSTALL\\$key\\|\"URLInfoAbout\"=\"https?://" "$1"
}
regsvr32_both() {  # [/u]: the way a user registers both files where the package puts them
  "$WINE64" regsvr32 /s "$@" "$PROGRAMS64\\cadencer.ocx" && wine "$SYSTEM32\\regsvr32.exe" /s "$@" "$PROGRAMS32\\cadencer.ocx"
}
refused() { ! "$@"; }
sums_complete() {  # SHA256SUMS checks out and names every other file
  (cd "$DIST" && sha256sum --quiet -c SHA256SUMS &&
    [ "$(wc -l <SHA256SUMS)" -eq "$(find . -type f ! -name SHA256SUMS | wc -l)" ])
}
stripped() {  # TOOLCHAIN DIR: a stripped OCX under 2 MB that names its symbols file
  local sections
  sections=$("$1-objdump" -h "$2/cadencer.ocx") || return 1
  echo "$sections" | grep -q ' \.gnu_debuglink ' && ! echo "$sections" | grep -q ' \.debug_info ' &&
    [ "$(stat -c %s "$2/cadencer.ocx")" -lt 2097152 ] &&
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
    grep -q -i -F "$NEUTRAL_LIBRARY"'\\win64|@="C:\\Program Files\\Common Files\\Cadencer\\cadencer.ocx"' "$1" &&
    grep -q -i -F "$NEUTRAL_LIBRARY"'\\win32|@="C:\\Program Files (x86)\\Common Files\\Cadencer\\cadencer.ocx"' "$1"
}
no_verb_or_neutral_library() { ! grep -i -F -e "$VERB_KEY" -e "$NEUTRAL_LIBRARY" "$1"; }
log_step() { echo "# $*" >&2; }
FILE_VERSION="$VERSION.$BUILD_NUMBER"

log_step "fresh $ARCH prefix from $TEMPLATE"
fresh_prefix
# The cscripts register Windows Script Host's type library when they first run: the
# baseline is the system after that.
printf 'WScript.Echo "ready"\r\n' >"$WORK/ready.vbs"
[ "$ARCH" = win64 ] && "$WINE64" cscript //nologo "$(winpath "$WORK/ready.vbs")" >/dev/null 2>&1
wine "$SYSTEM32\\cscript.exe" //nologo "$(winpath "$WORK/ready.vbs")" >/dev/null 2>&1
snapshot "$WORK/baseline.reg"
files "$WORK/baseline.files"

if [ "$ARCH" = win32 ]; then
  check "the x86 package's tables: Template Intel, the OCX versioned $FILE_VERSION, same-version upgrade, ARP" \
    package_tables "$PACKAGE32" Intel "ocx32=$DIST/x86/cadencer.ocx"
  check "32-bit Windows refuses the x64 package (exit code 1633)" msiexec_exits 1633 /i "$(winpath "$PACKAGE64")"
  log_step "msiexec /i cadencer-x86.msi, again, a rebuild of the same version, msiexec /x"
  check "msiexec /i cadencer-x86.msi installs (exit code 0)" msiexec /i "$(winpath "$PACKAGE32")"
  check "the x86 OCX is in CommonFilesFolder, its dependency file beside it" installed_x86
  snapshot "$WORK/installed.reg"
  files "$WORK/installed.files"
  check "the installed product is registered with version $PRODUCT_VERSION" only_version "$WORK/installed.reg" "$PRODUCT_VERSION"
  check "Add/Remove Programs: no Modify, a help link and an about link" arp_entry "$WORK/installed.reg"
  check "32-bit cscript creates CadencerLib.Cadencer, reads its defaults, the file is $FILE_VERSION" \
    script_client 32 "$FILE_VERSION"
  check "the 32-bit control's clock fires ScheduledTime" clock 32
  check "msiexec /i of the installed package succeeds" msiexec /i "$(winpath "$PACKAGE32")"
  check "a rebuild of $PRODUCT_VERSION builds" "$ROOT/tools/make-msi.sh" x86 "$WORK/rebuild.msi" "$PRODUCT_VERSION" "$DIST/x86/cadencer.ocx"
  check "msiexec /i of the rebuild over the installed $PRODUCT_VERSION" msiexec /i "$(winpath "$WORK/rebuild.msi")"
  snapshot "$WORK/rebuilt.reg"
  check "the rebuild replaced the installed product: one product, the rebuild's" only_package "$WORK/rebuilt.reg" "$WORK/rebuild.msi"
  check "the rebuild keeps the control" script_client 32 "$FILE_VERSION"
  check "msiexec /x uninstalls" msiexec /x "$(winpath "$WORK/rebuild.msi")"
  snapshot "$WORK/uninstalled.reg"
  files "$WORK/uninstalled.files"
  # Using the control let the system register its own libraries, so the registry is held
  # against the baseline in what concerns the control and its package.
  check "uninstalling leaves no key of the control or its package" nothing_of_ours "$WORK/uninstalled.reg"
  check "uninstalling leaves no file" same "$WORK/baseline.files" "$WORK/uninstalled.files"
  wineserver -k >/dev/null 2>&1
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
fi

check "the x64 package's tables: Template x64, both OCXs versioned $FILE_VERSION, same-version upgrade, ARP" \
  package_tables "$PACKAGE64" x64 "ocx64=$DIST/x64/cadencer.ocx" "ocx32=$DIST/x86/cadencer.ocx"
check "the x86 package's tables: Template Intel, its OCX versioned $FILE_VERSION, same-version upgrade, ARP" \
  package_tables "$PACKAGE32" Intel "ocx32=$DIST/x86/cadencer.ocx"
check "the two packages have their own UpgradeCodes" \
  test "$(property "$PACKAGE64" UpgradeCode)" != "$(property "$PACKAGE32" UpgradeCode)"
check "the x64 package removes any x86 package; the x86 package detects the x64 one and says why it stops" \
  cross_package_rows
check "x64/cadencer.ocx is stripped, under 2 MB, its symbols in cadencer.ocx.debug" \
  stripped x86_64-w64-mingw32 "$DIST/x64"
check "x86/cadencer.ocx is stripped, under 2 MB, its symbols in cadencer.ocx.debug" \
  stripped i686-w64-mingw32 "$DIST/x86"
check "SHA256SUMS holds every file of the package" sums_complete
check "x86/cadencer.dep names the OCX's version $FILE_VERSION, the common files folder, self-registering" dep_file

# Installing, installing again, repairing and uninstalling, with nothing run in between:
# the registry and the files must come back exactly as they were.
log_step "msiexec /i cadencer-x64.msi, again, a repair, msiexec /x"
check "msiexec /i cadencer-x64.msi installs (exit code 0)" msiexec /i "$(winpath "$PACKAGE64")"
check "the x64 OCX is in CommonFiles64Folder, the x86 OCX and its dependency file in CommonFilesFolder" installed_files
snapshot "$WORK/installed.reg"
files "$WORK/installed.files"
check "the installed product is registered with version $PRODUCT_VERSION" only_version "$WORK/installed.reg" "$PRODUCT_VERSION"
check "the package enters the Properties verb and the library under the neutral locale for both bitnesses" \
  verb_and_neutral_library "$WORK/installed.reg"
check "Add/Remove Programs: no Modify, a help link and an about link" arp_entry "$WORK/installed.reg"
check "msiexec /i of the installed package succeeds" msiexec /i "$(winpath "$PACKAGE64")"
snapshot "$WORK/again.reg"
files "$WORK/again.files"
check "installing again changes no key" same "$WORK/installed.reg" "$WORK/again.reg"
check "installing again changes no file" same "$WORK/installed.files" "$WORK/again.files"
rm "$DIR32/cadencer.ocx"
check "a repair (REINSTALL=ALL) succeeds" \
  msiexec /i "$(winpath "$PACKAGE64")" REINSTALL=ALL REINSTALLMODE=vamus
snapshot "$WORK/repaired.reg"
files "$WORK/repaired.files"
check "the repair puts back a deleted OCX" cmp "$DIST/x86/cadencer.ocx" "$DIR32/cadencer.ocx"
check "the repair leaves every key as installed" same "$WORK/installed.reg" "$WORK/repaired.reg"
check "the repair leaves every file as installed" same "$WORK/installed.files" "$WORK/repaired.files"
check "msiexec /x uninstalls" msiexec /x "$(winpath "$PACKAGE64")"
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
check "32-bit regsvr32 /u" wine "$SYSTEM32\\regsvr32.exe" /s /u "$PROGRAMS32\\cadencer.ocx"
snapshot "$WORK/half-registered.reg"
check "the shared ProgIDs stay for the 64-bit control" progids_kept "$WORK/half-registered.reg"
check "64-bit regsvr32 /u" "$WINE64" regsvr32 /s /u "$PROGRAMS64\\cadencer.ocx"
rm -rf "$DIR64" "$DIR32"
snapshot "$WORK/unregistered.reg"
check "regsvr32 /u of both leaves no key" same "$WORK/baseline.reg" "$WORK/unregistered.reg"

# The installed control in use, replaced by a rebuild of its version, then the packages of
# other versions over it.
log_step "the installed control in both bitnesses; a rebuild replaces it; other versions over it"
check "msiexec /i installs again" msiexec /i "$(winpath "$PACKAGE64")"
check "64-bit cscript creates CadencerLib.Cadencer, reads its defaults, the file is $FILE_VERSION" \
  script_client 64 "$FILE_VERSION"
check "32-bit cscript creates CadencerLib.Cadencer, reads its defaults, the file is $FILE_VERSION" \
  script_client 32 "$FILE_VERSION"
check "the 64-bit control's clock fires ScheduledTime" clock 64
check "the 32-bit control's clock fires ScheduledTime" clock 32
check "a rebuild of $PRODUCT_VERSION builds" \
  "$ROOT/tools/make-msi.sh" x64 "$WORK/rebuild.msi" "$PRODUCT_VERSION" "$DIST/x64/cadencer.ocx" "$DIST/x86/cadencer.ocx"
check "msiexec /i of the rebuild over the installed $PRODUCT_VERSION" msiexec /i "$(winpath "$WORK/rebuild.msi")"
snapshot "$WORK/rebuilt.reg"
check "the rebuild replaced the installed product: one product, the rebuild's" only_package "$WORK/rebuilt.reg" "$WORK/rebuild.msi"
check "the rebuild keeps both controls" installed_files
# Windows Installer orders packages by major.minor.build. The table's packages are the OCXs
# of dist/ under other ProductVersions: this version's later builds, and an earlier
# major version whose build number is higher. "replaced": the package is then the one
# product installed, with both controls; "kept": nothing changed.
IFS=. read -r major minor _ <<<"$VERSION"
BUILD1="$major.$minor.$((BUILD_NUMBER + 1))" BUILD2="$major.$minor.$((BUILD_NUMBER + 2))"
EARLIER="$((major - 1)).$minor.$((BUILD_NUMBER + 9))"
VERSION_CASES=(
  # installing                    exit  afterwards
  "x64 $BUILD1 a higher build of the installed version|0|replaced"
  "x64 $PRODUCT_VERSION a lower build (an older x64), silently|0|kept"
  "x64 $EARLIER an earlier version with a higher build number, silently|0|kept"
  "x86 $PRODUCT_VERSION an older x86, silently|0|kept"
  "x86 $BUILD2 a newer x86 (refused: it would take away the 64-bit control)|1603|kept"
  "x64 $BUILD2 a higher build again|0|replaced"
)
version_case() {  # ARCH VERSION EXIT AFTER BEFORE.reg AFTER.reg
  # Made anew each run: a package kept from an earlier run would hold that run's OCXs.
  local msi="$WORK/$1-$2.msi"
  if [ "$1" = x64 ]; then
    "$ROOT/tools/make-msi.sh" x64 "$msi" "$2" "$DIST/x64/cadencer.ocx" "$DIST/x86/cadencer.ocx"
  else
    "$ROOT/tools/make-msi.sh" x86 "$msi" "$2" "$DIST/x86/cadencer.ocx"
  fi || return 1
  msiexec_exits "$3" /i "$(winpath "$msi")" || return 1
  snapshot "$6"
  case "$4" in
    kept) same "$5" "$6" ;;
    replaced) only_package "$6" "$msi" && installed_files ;;
  esac
}
before="$WORK/rebuilt.reg"
for row in "${VERSION_CASES[@]}"; do
  IFS='|' read -r what code after <<<"$row"
  read -r arch version _ <<<"$what"
  check "over the installed x64 package: $what ($arch $version): exit code $code, $after" \
    version_case "$arch" "$version" "$code" "$after" "$before" "$WORK/case-$arch-$version.reg"
  before="$WORK/case-$arch-$version.reg"
done
check "64-bit cscript still creates the control" script_client 64
check "msiexec /x of $BUILD2" msiexec /x "$(winpath "$WORK/x64-$BUILD2.msi")"
snapshot "$WORK/upgrade-removed.reg"
files "$WORK/upgrade-removed.files"
# Using the controls let the system register its own libraries for each bitness, so this
# state is held against the baseline in what concerns the control and its package.
check "after the upgrade, uninstalling leaves no key of the control or its package" nothing_of_ours "$WORK/upgrade-removed.reg"
check "after the upgrade, uninstalling leaves no file" same "$WORK/baseline.files" "$WORK/upgrade-removed.files"

# The x86 package on 64-bit Windows, then the x64 package over it, then the x86 package
# again, which must leave the x64 one alone.
log_step "cadencer-x86.msi on 64-bit Windows; cadencer-x64.msi replaces it; x86 refused over x64"
check "msiexec /i cadencer-x86.msi installs on 64-bit Windows" msiexec /i "$(winpath "$PACKAGE32")"
check "the x86 OCX alone is in CommonFilesFolder, its dependency file beside it" eval 'installed_x86 && [ ! -e "$DIR64/cadencer.ocx" ]'
snapshot "$WORK/x86-installed.reg"
check "an older x64 package ($EARLIER) over the newer x86 one: exit code 0, kept" \
  version_case x64 "$EARLIER" 0 kept "$WORK/x86-installed.reg" "$WORK/x86-kept.reg"
check "32-bit cscript creates the x86 package's control" script_client 32 "$FILE_VERSION"
check "msiexec /i cadencer-x64.msi over the x86 package" msiexec /i "$(winpath "$PACKAGE64")"
snapshot "$WORK/replaced.reg"
check "the x64 package replaced the x86 one: one product, the x64 package's" only_package "$WORK/replaced.reg" "$PACKAGE64"
check "the x64 package put both controls in place" installed_files
check "msiexec /i cadencer-x86.msi where the x64 package is installed is refused (exit code 1603)" \
  msiexec_exits 1603 /i "$(winpath "$PACKAGE32")"
snapshot "$WORK/refused.reg"
check "the refusal leaves the x64 package as it was" same "$WORK/replaced.reg" "$WORK/refused.reg"
check "the refusal leaves both controls in place" installed_files
check "64-bit cscript still creates the control" script_client 64 "$FILE_VERSION"
check "msiexec /x cadencer-x64.msi" msiexec /x "$(winpath "$PACKAGE64")"
snapshot "$WORK/all-removed.reg"
files "$WORK/all-removed.files"
check "uninstalling leaves no key of the control or its package" nothing_of_ours "$WORK/all-removed.reg"
check "uninstalling leaves no file" same "$WORK/baseline.files" "$WORK/all-removed.files"

wineserver -k >/dev/null 2>&1
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
