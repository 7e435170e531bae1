# Configuring and building the CMake presets for the run script (sourced by ./run), each a
# numbered step.

# What a preset was configured with: CMakePresets.json (CMake re-runs by itself only for
# its own files) and whether GoogleTest's sources were there (./run demo configures
# without them; the test programs need them).
configure_stamp() {
  printf '%s googletest %s%s\n' "$(sha1sum CMakePresets.json | cut -d' ' -f1)" \
    "$(dpkg-query -W -f='${Version}' googletest 2>/dev/null)" "${CONFIGURE_ARGS[*]:+ ${CONFIGURE_ARGS[*]}}"
}
# Further cache settings for the presets configured (./run package's build number).
CONFIGURE_ARGS=()

# configure PRESET: a step, skipped when the preset is configured as it stands.
configure() {
  local preset=$1 stamp
  stamp=$(configure_stamp)
  if [ -f "build/$preset/build.ninja" ] && [ "$(cat "build/$preset/.cadencer-configured" 2>/dev/null)" = "$stamp" ]; then
    step "configuring $preset"
    step_done "configured already"
    return 0
  fi
  run_step "configuring $preset" "build/logs/configure-$preset.log" --quiet cmake --preset "$preset" "${CONFIGURE_ARGS[@]}" || return 1
  # CMake's warnings, in full.
  grep -A 8 '^CMake Warning' "build/logs/configure-$preset.log" >&2 || true
  printf '%s\n' "$stamp" >"build/$preset/.cadencer-configured"
}

# build PRESET LABEL [TARGET...]: a step showing ninja's progress.
build() {
  local preset=$1 label=$2
  shift 2
  run_step "$label" "build/logs/build-$preset.log" cmake --build --preset "$preset" ${1:+--target "$@"}
}

# configure_and_build PRESET [TARGET...]: two steps.
configure_and_build() {
  local preset=$1
  shift
  configure "$preset"
  build "$preset" "building $preset${1:+ ($*)}" "$@"
}

# Packages, then each preset configured and built: the phases of ./run build and ./run test.
build_all() {
  local preset
  phase packages ensure_packages
  for preset in native "${WINE_PRESETS[@]}"; do
    phase configure configure "$preset"
    phase "build $preset" build "$preset" "building $preset"
  done
}
