# Debian packages for the run script (sourced by ./run, whose PACKAGES and DEMO_PACKAGES
# list them): what is missing is installed with apt as one step.

# The listed packages (default: all) that are not installed.
missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

install_packages() {
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  # 32-bit Wine comes from the i386 architecture.
  if printf '%s\n' "$@" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq >/dev/null
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

# ensure_packages [PACKAGE...]: installs those missing (default: every package) as one step.
ensure_packages() {
  local missing
  [ $# -eq 0 ] && set -- "${PACKAGES[@]}"
  mapfile -t missing < <(missing_packages "$@")
  if [ ${#missing[@]} -eq 0 ]; then
    step "packages"
    step_done "all $# installed"
    return 0
  fi
  # A terminal sees apt's questions (sudo's password); a log sees the step's progress.
  if [ -n "$PROGRESS_TTY" ] && [ "$(id -u)" -ne 0 ]; then sudo -v; fi
  run_step "installing ${#missing[@]} packages (apt)" build/logs/apt.log install_packages "${missing[@]}"
}
