# Progress for the run script (sourced by ./run): numbered steps with the time spent so far,
# and commands run as jobs whose output is condensed to its count (ninja's "[n/m]", CTest's
# "n/m Test #"): one updating line on a terminal, a line every 30 s in a log. Every other
# line of a job's output (compiler warnings and errors, failed tests) is shown in full.

PROGRESS_TTY=""
[ -t 2 ] && PROGRESS_TTY=1
# Set by a verb whose own output matters (./run next): only failures are shown.
PROGRESS_QUIET=""
PROGRESS_EVERY=30
STEP=0
STEPS=0
STEP_LABEL=""
STEP_START=$SECONDS
PROGRESS_SHOWN=""

declare -A JOB_PID JOB_LOG JOB_SEEN JOB_COUNT JOB_QUIET JOB_STATUS JOB_START JOB_TIME JOB_HEADER

# A message on the error output.
log() { printf '%s\n' "$*" >&2; }

# 75 -> 1m15s
duration() {
  local s=$1
  if [ "$s" -ge 60 ]; then printf '%dm%02ds' $((s / 60)) $((s % 60)); else printf '%ds' "$s"; fi
}

steps_begin() { STEPS=$1 STEP=0; }

# Starts the next step; its line is printed at once in a log, and kept updating on a terminal.
step() {
  STEP=$((STEP + 1)) STEP_LABEL=$1 STEP_START=$SECONDS
  [ -z "$PROGRESS_TTY$PROGRESS_QUIET" ] && printf '[%d/%d] %s\n' "$STEP" "$STEPS" "$STEP_LABEL" >&2
  return 0
}

# Ends the step with a closing line: "[2/5] configuring win64 … 12s" (and NOTE, if given).
step_done() {
  local note=${1:-}
  progress_clear
  [ -n "$PROGRESS_QUIET" ] && return 0
  printf '[%d/%d] %s … %s%s\n' "$STEP" "$STEPS" "$STEP_LABEL" "$(duration $((SECONDS - STEP_START)))" \
    "${note:+ ($note)}" >&2
}

# A step whose command runs in the foreground with its own output (the demo, a test run).
step_announce() {
  step "$1"
  [ -n "$PROGRESS_TTY" ] && printf '[%d/%d] %s\n' "$STEP" "$STEPS" "$STEP_LABEL" >&2
  return 0
}

progress_clear() {
  if [ -n "$PROGRESS_TTY" ] && [ -n "$PROGRESS_SHOWN" ]; then printf '\r\033[K' >&2; fi
  PROGRESS_SHOWN=""
}

# job_start NAME LOG [--quiet] COMMAND...: runs COMMAND in the background, its output in LOG.
# --quiet shows only the counts and failed tests of its output (the log keeps the rest).
job_start() {
  local name=$1 log=$2
  shift 2
  JOB_QUIET[$name]=""
  if [ "$1" = --quiet ]; then
    JOB_QUIET[$name]=1
    shift
  fi
  mkdir -p "$(dirname "$log")"
  : >"$log"
  "$@" >"$log" 2>&1 </dev/null &
  JOB_PID[$name]=$! JOB_LOG[$name]=$log JOB_SEEN[$name]=0 JOB_COUNT[$name]="" JOB_START[$name]=$SECONDS
  JOB_HEADER[$name]=""
  unset 'JOB_STATUS[$name]'
}

# One line of a job's output: a count, or a line to show in full.
job_line() {
  local name=$1 line=$2
  if [[ $line =~ ^\[([0-9]+/[0-9]+)\]\  ]]; then
    JOB_COUNT[$name]=${BASH_REMATCH[1]} JOB_HEADER[$name]=$line
    return 0
  fi
  if [[ $line =~ ^\ *([0-9]+/[0-9]+)\ Test\ +# ]]; then
    JOB_COUNT[$name]=${BASH_REMATCH[1]}
    [[ $line == *'***'* || $line == *Failed* || $line == *Timeout* ]] || return 0
  elif [ -n "${JOB_QUIET[$name]}" ]; then
    return 0
  fi
  case $line in
    'ninja: no work to do.' | 'ninja: Entering directory'* | '-- '* | '') return 0 ;;
  esac
  progress_clear
  # The build step a warning belongs to, once, before it.
  if [ -n "${JOB_HEADER[$name]}" ]; then
    printf '%s\n' "${JOB_HEADER[$name]}" >&2
    JOB_HEADER[$name]=""
  fi
  printf '%s\n' "$line" >&2
}

# The job's complete new lines (all of them, with a last unfinished one, once it has ended).
job_read() {
  local name=$1 all=${2:-} log=${JOB_LOG[$1]} seen=${JOB_SEEN[$1]} total line
  total=$(wc -l <"$log")
  if [ -n "$all" ] && [ -s "$log" ] && [ -n "$(tail -c 1 "$log")" ]; then total=$((total + 1)); fi
  [ "$total" -le "$seen" ] && return 0
  while IFS= read -r line || [ -n "$line" ]; do
    job_line "$name" "$line"
  done < <(sed -n "$((seen + 1)),${total}p" "$log")
  JOB_SEEN[$name]=$total
}

# The step's line: "[3/5] building win64: 143/210 … 1m40s"; with several jobs each is named.
progress_line() {
  local text="[$STEP/$STEPS] $STEP_LABEL" parts=() name state
  if [ $# -eq 1 ]; then
    [ -n "${JOB_COUNT[$1]}" ] && text+=": ${JOB_COUNT[$1]}"
  else
    for name in "$@"; do
      state=${JOB_COUNT[$name]}
      if [ -n "${JOB_STATUS[$name]:-}" ]; then
        state="done in $(duration "${JOB_TIME[$name]}")"
        [ "${JOB_STATUS[$name]}" != 0 ] && state="FAILED after $(duration "${JOB_TIME[$name]}")"
      fi
      parts+=("$name${state:+ $state}")
    done
    local IFS=,
    text+=": ${parts[*]}"
    text=${text//,/, }
  fi
  printf '%s … %s' "$text" "$(duration $((SECONDS - STEP_START)))"
}

# Waits for the named jobs, showing their progress; returns 1 when any of them failed.
jobs_watch() {
  local name running last=$SECONDS status=0 line width
  while :; do
    running=0
    for name in "$@"; do
      [ -n "${JOB_STATUS[$name]:-}" ] && continue
      if kill -0 "${JOB_PID[$name]}" 2>/dev/null; then
        running=1
        job_read "$name"
      else
        JOB_STATUS[$name]=0
        wait "${JOB_PID[$name]}" || JOB_STATUS[$name]=$?
        JOB_TIME[$name]=$((SECONDS - JOB_START[$name]))
        job_read "$name" all
      fi
    done
    [ "$running" = 0 ] && break
    line=$(progress_line "$@")
    if [ -n "$PROGRESS_QUIET" ]; then
      :
    elif [ -n "$PROGRESS_TTY" ]; then
      width=$(tput cols 2>/dev/null || echo 100)
      printf '\r\033[K%s' "${line:0:$((width - 1))}" >&2
      PROGRESS_SHOWN=1
    elif [ $((SECONDS - last)) -ge "$PROGRESS_EVERY" ]; then
      printf '%s\n' "$line" >&2
      last=$SECONDS
    fi
    sleep 0.5
  done
  progress_clear
  for name in "$@"; do [ "${JOB_STATUS[$name]}" = 0 ] || status=1; done
  return $status
}

# run_step LABEL LOG [--quiet] COMMAND...: one step that is one job.
run_step() {
  local label=$1 status=0
  shift
  step "$label"
  job_start step "$@"
  jobs_watch step || status=1
  step_done "${JOB_COUNT[step]}"
  if [ $status -ne 0 ]; then
    # A quiet step showed nothing of its output: its end says why it failed.
    [ -n "${JOB_QUIET[step]}" ] && tail -n 40 "${JOB_LOG[step]}" >&2
    printf '%s failed (exit status %s); its output: %s\n' "$label" "${JOB_STATUS[step]}" "${JOB_LOG[step]}" >&2
  fi
  return $status
}
