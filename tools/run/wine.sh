# Wine and the display for the run script (sourced by ./run): the project's prefix and the
# copies made of a clean one, private Xvfb displays, and what ends with the script.

export WINEPREFIX="$ROOT/build/wineprefix"
export CADENCER_WINEPREFIX="$WINEPREFIX"
export WINEDEBUG=-all
# winedbg disabled: a crashing program ends at once instead of waiting for a debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
# Every prefix is a copy of this one, made by wineboot once per set-up.
CLEAN_PREFIX="$ROOT/build/wineprefix-clean"
STARTED_XVFB=()
# Prefixes whose server this script started and ends (the project's own prefix only when
# its display is one this script started).
STARTED_SERVERS=()

cleanup() {
  progress_clear
  local prefix pid
  for prefix in "${STARTED_SERVERS[@]}"; do WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true; done
  # The Wine programs of the project's prefix end with the display they were shown on.
  if [ ${#STARTED_XVFB[@]} -gt 0 ]; then
    wineserver -k >/dev/null 2>&1 || true
    for pid in "${STARTED_XVFB[@]}"; do kill "$pid" 2>/dev/null || true; done
  fi
}
trap cleanup EXIT

# Starts a private Xvfb display; its name goes to XVFB_DISPLAY.
start_xvfb() {
  local n pid
  for n in $(seq 91 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    # Another program may have taken the number in the meantime: then this Xvfb has ended.
    kill -0 "$pid" 2>/dev/null || continue
    STARTED_XVFB+=("$pid")
    XVFB_DISPLAY=":$n"
    return 0
  done
  log "no free X display number"
  exit 1
}

ensure_display() {
  if [ -n "${DISPLAY:-}" ] && [ -z "${CADENCER_OWN_DISPLAY:-}" ]; then return 0; fi
  start_xvfb
  export DISPLAY=$XVFB_DISPLAY
}

# 32-bit Wine is installed: prefixes are then WoW64 ones (64-bit and 32-bit programs).
have_wine32() { [ -n "$(dpkg-query -W -f='${Version}' wine32:i386 2>/dev/null)" ]; }

# What a prefix is made for: the set-up steps below and the Wine it was made with.
# Installing 32-bit Wine (or another Wine) makes an older prefix unusable, so a prefix
# whose mark differs is made again: ./run demo makes a 64-bit prefix when only 64-bit Wine
# is installed, and ./run test, having installed 32-bit Wine, a WoW64 one.
prefix_setup() {
  # A WoW64 prefix keeps the mark it always had; a 32-bit-only one says so.
  local arch=${1:-win64} only32=""
  [ "$arch" = win32 ] && only32="; 32-bit only"
  printf 'cadencer-prefix 4; %s; wine32 %s%s\n' "$(wine --version 2>/dev/null)" \
    "$(dpkg-query -W -f='${Version}' wine32:i386 2>/dev/null)" "$only32"
}

# Removes the prefix $1 when it was made for another set-up than $2.
drop_stale_prefix() {
  local prefix=$1 setup=$2
  if [ -d "$prefix" ] && [ "$(cat "$prefix/.cadencer-setup" 2>/dev/null)" != "$setup" ]; then
    log "The Wine prefix $prefix was made for another set-up; making it again"
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX=$prefix wineserver -w >/dev/null 2>&1 || true
    rm -rf "$prefix"
  fi
}

# wineboot into $WINEPREFIX and the project's set-up; writes the mark $1 last. The
# architecture $2: win64 (the default) is WoW64 where 32-bit Wine is installed (64-bit and
# 32-bit programs, as 64-bit Windows); win32 runs 32-bit programs only (WINEARCH=win32, as
# 32-bit Windows).
boot_prefix() {
  local setup=$1 arch=${2:-win64}
  log "Creating the Wine prefix $WINEPREFIX (once)"
  rm -rf "$WINEPREFIX"
  if [ "$arch" = win32 ]; then
    WINEARCH=win32 wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
    if [ -d "$WINEPREFIX/drive_c/windows/syswow64" ] || [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
      log "$WINEPREFIX is not a 32-bit prefix: is wine32:i386 installed?"
      exit 1
    fi
  else
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
    if have_wine32 && [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
      log "$WINEPREFIX is not a WoW64 prefix (no syswow64) although wine32:i386 is installed"
      exit 1
    fi
  fi
  # Programs run inside a Wine virtual desktop: windows get Wine-drawn title bars, and
  # hiding a window no longer waits (about 2 s each time) for a window manager that Xvfb
  # does not have. Wine's own fonts (Tahoma, Marlett for the caption buttons) go into the
  # prefix, so dialogs are laid out with the metrics they are designed for.
  wineserver -p >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || true
  if [ -d /usr/share/wine/fonts ]; then
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  printf '%s\n' "$setup" >"$WINEPREFIX/.cadencer-setup"
}

# Wine's dialog fonts have no Japanese, Chinese or Korean glyphs, and Wine falls back only
# to the faces it links to them (those of a Windows of that language, missing here). So the
# dialog fonts are linked to the CJK font the run script installs (fonts-wqy-microhei):
# texts in those languages show their glyphs instead of boxes. Choosing that face as the
# dialog font itself is no way out: Wine fails inside when a dialog is made with it.
link_cjk_font() {
  local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' face
  [ -f /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ] || return 0
  for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "MS Sans Serif"; do
    wine reg add "$key" /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1 || true
  done
}

# Copies the stopped prefix $1 to $2: the system directories as hard links (nothing writes
# to them once made), the rest (registry, user folders) as files of its own.
clone_prefix() {
  local from=$1 to=$2 entry
  rm -rf "$to" "$to.new"
  mkdir -p "$to.new/drive_c/windows"
  (cd "$from" && find . -mindepth 1 -maxdepth 1 ! -name drive_c -exec cp -a {} "$to.new/" \;)
  (cd "$from/drive_c" && find . -mindepth 1 -maxdepth 1 ! -name windows -exec cp -a {} "$to.new/drive_c/" \;)
  for entry in "$from/drive_c/windows/"*; do
    case "${entry##*/}" in
      system32 | syswow64) cp -al "$entry" "$to.new/drive_c/windows/" ;;
      *) cp -a "$entry" "$to.new/drive_c/windows/" ;;
    esac
  done
  mv "$to.new" "$to"
}

# Makes $WINEPREFIX, when it is missing or was made for another set-up, as a copy of the
# clean prefix (made first when needed); a 32-bit-only one ($1 win32) is booted on its own.
# Its server is not left running.
make_prefix() {
  mkdir -p "$ROOT/build"
  local arch=${1:-win64} setup
  setup=$(prefix_setup "$arch")
  drop_stale_prefix "$WINEPREFIX" "$setup"
  [ -f "$WINEPREFIX/.cadencer-setup" ] && return 0
  if [ "$arch" = win32 ]; then
    boot_prefix "$setup" win32
    return 0
  fi
  drop_stale_prefix "$CLEAN_PREFIX" "$setup"
  [ -f "$CLEAN_PREFIX/.cadencer-setup" ] || (WINEPREFIX=$CLEAN_PREFIX boot_prefix "$setup")
  clone_prefix "$CLEAN_PREFIX" "$WINEPREFIX"
}

# A prefix in use, with a persistent server: one warm-up program makes every later start
# fast.
warm_prefix() {
  wineserver -p >/dev/null 2>&1 || true
  wine cmd /c exit >/dev/null 2>&1 || true
  # After the first program: Wine puts its own links for Tahoma back when it first starts
  # in a copied prefix.
  link_cjk_font
}

prepare_prefix() {
  make_prefix
  warm_prefix
}

# The project's prefix, ready, as a step.
ensure_prefix() {
  run_step "Wine prefix" build/logs/prefix.log prepare_prefix
}

# A display (a private Xvfb one when there is none) and the project's prefix, ready.
ensure_wine() {
  ensure_display
  ensure_prefix
}
