#!/bin/sh
# Runs a sample script twice, in two processes, with its schedule kept in FILE:
#   keep_schedule.sh FILE KEY=OLD KEY=NEW COMMAND...
# The first run finds no file, sets its first schedule and keeps it. Between the runs the
# kept KEY=OLD line becomes KEY=NEW, as the user's change in the dialog would make it, so
# the second run's schedule can only have come back from the file. COMMAND gets the file's
# Windows path as its argument; each run's output is printed after a "== run N" line.
set -u
file=$1 old=$2 new=$3
shift 3
rm -f "$file"
echo "== run 1"
"$@" "Z:$(printf '%s' "$file" | tr / '\\')" || exit 1
# The scripts write Windows line ends.
tr -d '\r' <"$file" | grep -q -x -F "$old" || { echo "the kept schedule has no line $old"; cat "$file"; exit 1; }
sed -i "s/^$old\(\r\?\)\$/$new\1/" "$file"
echo "== run 2"
"$@" "Z:$(printf '%s' "$file" | tr / '\\')"
