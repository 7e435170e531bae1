# What ./run test reports (sourced by ./run): the time of each phase against its budget
# (PHASE_BUDGETS below), the cases and programs each suite passed and failed, and the
# closing SUMMARY line.

# What a fresh ./run test may spend on each phase on 2 cores, in seconds: 15 minutes in all.
# A phase over its budget is named in the summary. (Measured on a just-installed 2-core
# machine: packages 57-71 s, the native build 131 s and each Windows build 180 to 220 s
# with both cores busy, prefixes 36 s, the suites side by side 141 s.)
PHASE_BUDGETS=(packages:80 configure:10 "build native:160" "build win64:225" "build win32:225"
               "wine prefixes:40" tests:160)

# The phases of a run, the time each took and the processor time its programs used (which a
# machine busy with other work does not stretch: on 2 free cores a phase takes at least half
# of it), for the closing table.
PHASES=()
declare -A PHASE_TIME=() PHASE_CPU=()
# The processor seconds of this script's ended child processes so far.
# (`times` reports the shell it runs in: not in a $(...) subshell, whose children are none.)
cpu_seconds() {
  local file="$ROOT/build/logs/times.txt"
  mkdir -p "$ROOT/build/logs"
  times >"$file"
  CPU_SECONDS=$(awk 'NR == 2 { split($1, u, /[ms]/); split($2, s, /[ms]/); printf "%d\n", u[1] * 60 + u[2] + s[1] * 60 + s[2] }' "$file")
}
phase_add() {  # NAME SECONDS [CPU_SECONDS]
  [ -n "${PHASE_TIME[$1]+set}" ] || { PHASES+=("$1"); PHASE_TIME[$1]=0; PHASE_CPU[$1]=0; }
  PHASE_TIME[$1]=$((PHASE_TIME[$1] + $2))
  PHASE_CPU[$1]=$((PHASE_CPU[$1] + ${3:-0}))
}
# phase NAME COMMAND...: runs COMMAND, its time counted to the phase NAME.
phase() {
  local name=$1 start=$SECONDS cpu status=0
  cpu_seconds
  cpu=$CPU_SECONDS
  shift
  "$@" || status=$?
  cpu_seconds
  phase_add "$name" $((SECONDS - start)) $((CPU_SECONDS - cpu))
  return $status
}

# Counts test cases from a CTest run's log: GoogleTest programs report their cases,
# other tests (scripts) count as one each.
count_cases() {
  local dir=$1 passed=0 failed=0 file tests failures errors
  # Each GoogleTest program writes <name>.gtest.xml next to it: its cases, from the root
  # element's counts.
  while IFS= read -r file; do
    read -r tests failures errors < <(xml_counts "$file" testsuites tests failures errors)
    passed=$((passed + tests - failures - errors))
    failed=$((failed + failures + errors))
  done < <(find "$dir" -name '*.gtest.xml' 2>/dev/null)
  echo "$passed $failed"
}

# The named attributes of the first <element ...> of an XML file, in order (0 when absent).
xml_counts() {
  local file=$1 element=$2 attribute head
  shift 2
  head=$(tr '\n\t' '  ' <"$file" | grep -o "<$element [^>]*>" | head -n 1)
  for attribute in "$@"; do
    printf '%s ' "$(printf '%s' "$head" | grep -oE "[[:space:]]$attribute=\"[0-9]+\"" | grep -o '[0-9]\+' || echo 0)"
  done
  echo
}

# What a preset's test run leaves to read: the failed tests, then the fuzz passes (the fresh
# seed reproduces a failure with ./run fuzz) and the soak.
report_ctest() {
  local preset=$1
  grep -E 'tests passed|\*\*\*|Failed|Timeout|Not Run' "build/$preset/ctest-console.log" >&2 || true
  # A failed case's assertion and name, so that a log shows what failed, not only where.
  grep -h -A4 -E ': Failure$|^\[  FAILED  \] [A-Za-z_0-9/.]+\.[A-Za-z_0-9/]+ \(' \
    "build/$preset/Testing/Temporary/LastTest.log" 2>/dev/null | cut -c1-240 | head -n 40 >&2 || true
  grep -h -E '^(fuzz seed [0-9]+|soak: |FAULT|SOAK FAULT)' "build/$preset/Testing/Temporary/LastTest.log" 2>/dev/null |
    cut -c1-200 >&2 || true
}

# "N passed, F failed (programs: P of T passed)" for one preset's CTest run: the cases from
# each GoogleTest program's report, the programs (the script clients and the soak among
# them) from CTest's JUnit report.
preset_summary() {
  local preset=$1 passed failed programs=0 program_failures=0
  if [ -f "build/$preset/ctest-junit.xml" ]; then
    read -r programs program_failures < <(xml_counts "build/$preset/ctest-junit.xml" testsuite tests failures)
  fi
  read -r passed failed < <(count_cases "build/$preset")
  # A program that fails without a report of its own (a script client, the fuzz, the soak,
  # a crash) counts as at least one failure.
  [ "$program_failures" -gt "$failed" ] && failed=$program_failures
  echo "$passed passed, $failed failed (programs: $((programs - program_failures)) of $programs passed)"
}

# Budget of a phase in seconds (0: none).
phase_budget() {
  local entry
  for entry in "${PHASE_BUDGETS[@]}"; do
    [ "${entry%:*}" = "$1" ] && { echo "${entry##*:}"; return 0; }
  done
  echo 0
}

# The closing table: each phase's time against its budget (on the error output); the phases
# over budget go to OVER_BUDGET.
phase_table() {
  local name job time budget total=0 total_budget=0 total_cpu=0 mark
  OVER_BUDGET=()
  printf '%-16s %8s %8s %8s\n' phase time cpu budget >&2
  for name in "${PHASES[@]}"; do
    time=${PHASE_TIME[$name]} budget=$(phase_budget "$name") mark=""
    total=$((total + time)) total_budget=$((total_budget + budget)) total_cpu=$((total_cpu + PHASE_CPU[$name]))
    if [ "$budget" -gt 0 ] && [ "$time" -gt "$budget" ]; then
      mark=" over"
      OVER_BUDGET+=("$name $(duration "$time") of $(duration "$budget")")
    fi
    printf '%-16s %8s %8s %8s%s\n' "$name" "$(duration "$time")" "$(duration "${PHASE_CPU[$name]}")" \
      "$(duration "$budget")" "$mark" >&2
    # The suites that ran side by side, each on its own.
    if [ "$name" = tests ]; then
      for job in format native "${WINE_PRESETS[@]}" installer; do
        printf '  %-14s %8s\n' "$job" "$(duration "${JOB_TIME[$job]:-0}")" >&2
      done
    fi
  done
  printf '%-16s %8s %8s %8s\n' total "$(duration "$total")" "$(duration "$total_cpu")" "$(duration "$total_budget")" >&2
}

# After the suites: what failed, the phase table and the SUMMARY line (on the standard
# output); fails when any suite failed.
report_tests() {
  local status=0 preset summary=() name
  for name in format native "${WINE_PRESETS[@]}" installer; do
    [ "${JOB_STATUS[$name]}" = 0 ] || status=1
  done
  summary+=("format $(tail -n 1 build/logs/format.log | grep 'not formatted' || echo clean)")
  grep -v 'files not formatted' build/logs/format.log >&2 || true
  for preset in native "${WINE_PRESETS[@]}"; do
    report_ctest "$preset"
    summary+=("$preset $(preset_summary "$preset")")
  done
  cat build/msi-test/installer-test-win*.log 2>/dev/null | grep -E '^not ok|^    ' >&2 || true
  summary+=("installer $(grep -E '^[0-9]+ passed, [0-9]+ failed' build/logs/installer.log | tail -n 1 || echo '0 passed, 1 failed')")
  phase_table
  [ ${#OVER_BUDGET[@]} -gt 0 ] && summary+=("over budget: $(IFS=,; echo "${OVER_BUDGET[*]}" | sed 's/,/, /g')")
  local line="SUMMARY:" separator=" " item
  for item in "${summary[@]}"; do line+="$separator$item"; separator="; "; done
  echo "$line"
  return $status
}
