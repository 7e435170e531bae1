# The test suites of ./run test, side by side (sourced by ./run): the format check, the
# native tests, each Windows preset's tests in a prefix and on a display of its own, and the
# installer tests.

# One preset's tests, two at a time (tests that share a window station or the registration
# hold a CTest resource lock); CTest's output to the standard output.
run_ctest() {
  local preset=$1
  find "build/$preset" -name '*.gtest.xml' -delete 2>/dev/null || true
  rm -f "build/$preset/ctest-junit.xml"
  CADENCER_WINE_CAPTURE=1 ctest --preset "$preset" -j2 --timeout 600 --output-junit ctest-junit.xml
}

# The Windows presets' prefixes and displays for ./run test: the first preset's suite uses
# the project's prefix and display, every other one a prefix (build/wineprefix-PRESET) and
# an Xvfb display of its own, so that neither registrations nor windows meet.
# The soak's host processes run in a prefix of their own too (build/wineprefix-soak-PRESET):
# their clocks are faked, and the other tests' Wine programs there waited for them.
declare -A SUITE_DISPLAY SUITE_PREFIX
suite_displays() {
  local preset
  for preset in "${WINE_PRESETS[@]}"; do
    SUITE_DISPLAY[$preset]=$DISPLAY SUITE_PREFIX[$preset]=$WINEPREFIX
    STARTED_SERVERS+=("$ROOT/build/wineprefix-soak-$preset")
    [ "$preset" = "${WINE_PRESETS[0]}" ] && continue
    start_xvfb
    SUITE_DISPLAY[$preset]=$XVFB_DISPLAY SUITE_PREFIX[$preset]="$ROOT/build/wineprefix-$preset"
    STARTED_SERVERS+=("${SUITE_PREFIX[$preset]}")
  done
}

# Every prefix ./run test uses, made and warmed (the installer tests' template too).
prepare_test_prefixes() {
  local preset
  for preset in "${WINE_PRESETS[@]}"; do
    (export DISPLAY=${SUITE_DISPLAY[$preset]} WINEPREFIX=${SUITE_PREFIX[$preset]} && prepare_prefix)
    (WINEPREFIX="$ROOT/build/wineprefix-soak-$preset" make_prefix)
  done
  (WINEPREFIX="$ROOT/build/msi-template-win64" make_prefix win64)
  (WINEPREFIX="$ROOT/build/msi-template-win32" make_prefix win32)
}

# One Windows preset's tests in its prefix and on its display.
wine_suite() {
  local preset=$1
  export DISPLAY=${SUITE_DISPLAY[$preset]} WINEPREFIX=${SUITE_PREFIX[$preset]}
  export CADENCER_WINEPREFIX=$WINEPREFIX CADENCER_SOAK_WINEPREFIX="$ROOT/build/wineprefix-soak-$preset"
  run_ctest "$preset"
}

# The test suites side by side: the format check, the native tests, each Windows preset's
# tests and the installer tests (in copies of a prefix of their own).
run_suites() {
  local preset
  job_start format build/logs/format.log check_format
  job_start native "build/native/ctest-console.log" --quiet run_ctest native
  for preset in "${WINE_PRESETS[@]}"; do
    job_start "$preset" "build/$preset/ctest-console.log" --quiet wine_suite "$preset"
  done
  job_start installer build/logs/installer.log --quiet installer_tests build/win64 build/win32 build/msi-test
  jobs_watch format native "${WINE_PRESETS[@]}" installer || true
}

# Lists the tracked C++ files that the pinned clang-format would change ("N files not
# formatted"); fails when there are any. One run over every file.
check_format() {
  local files=() other
  other=$(clang-format --version 2>/dev/null | grep -o 'version [0-9]*' || true)
  if [ -n "$other" ] && [ "$other" != "version 14" ]; then
    log "clang-format on PATH is $other; the check uses $CLANG_FORMAT, the version the tree is formatted with"
  fi
  mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests tools bench examples -name '*.cpp' -o -name '*.h')
  mapfile -t files < <("$CLANG_FORMAT" --dry-run -Werror "${files[@]}" 2>&1 >/dev/null |
    sed -n 's/^\([^: ]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u)
  [ ${#files[@]} -eq 0 ] && return 0
  log "Not formatted ($CLANG_FORMAT -i fixes them): ${files[*]}"
  echo "${#files[@]} files not formatted"
  return 1
}

# The installer tests (tests/installer/installer_test.sh) on the packages made from the two
# build trees: once in a WoW64 prefix (64-bit Windows) and once in a 32-bit-only prefix
# (32-bit Windows), each a fresh copy of a prefix kept for them (build/msi-template-ARCH).
# Prints "N passed, F failed" over both.
installer_tests() {
  local build64=$1 build32=$2 out=$3 dist=${4:-} arch result passed=0 failed=0 status=0
  mkdir -p "$out"
  if [ -z "$dist" ]; then
    dist=$out/dist
    tools/package.sh "$dist" "$build64" "$build32" >/dev/null || { echo "0 passed, 1 failed"; return 1; }
  fi
  for arch in win64 win32; do
    (WINEPREFIX="$ROOT/build/msi-template-$arch" make_prefix "$arch")
    result=$(tests/installer/installer_test.sh "$arch" "$dist" "$build64" "$build32" "$ROOT/build/msi-template-$arch" \
      "$out/$arch" 2> >(tee "$out/installer-test-$arch.log" | grep -E '^not ok|^    ' >&2)) || status=1
    result=$(tail -n 1 <<<"$result")
    if [[ "$result" =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
      passed=$((passed + BASH_REMATCH[1])) failed=$((failed + BASH_REMATCH[2]))
    else
      failed=$((failed + 1)) status=1
    fi
  done
  echo "$passed passed, $failed failed"
  return $status
}

# ./run package's last step: the installer tests on the packages in dist/.
release_installer_tests() {
  step "installer tests on dist/cadencer-x64.msi and dist/cadencer-x86.msi"
  local result status=0
  mkdir -p build/msi-release
  job_start installer build/logs/installer-release.log installer_tests build/win64-release build/win32-release build/msi-release dist
  jobs_watch installer || status=1
  step_done
  result=$(tail -n 1 build/logs/installer-release.log)
  echo "installer tests: $result"
  return $status
}
