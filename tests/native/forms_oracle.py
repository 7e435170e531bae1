#!/usr/bin/python3
"""Checks the schedule forms against programs we did not write.

Runs forms_oracle_cases (path as the first argument) and compares, case by case:
- each RRULE (also the one read back from the task definition) with python-dateutil's
  rrulestr in its RFC mode (DTSTART is the first run): its first 200 times must be the
  engine's next 200 runs;
- each cron line with croniter: its first 200 times after the present minute must be the
  engine's runs (a line installed during a minute first runs at the next one);
- each RRULE text and cron line read into keys: the engine's runs from those keys must be
  the text's own times from the present minute on (cron: after it).
Every refusal must carry a reason. Prints the counts and exits non-zero on any disagreement.
"""
import collections
import itertools
import json
import re
import subprocess
import sys
from datetime import datetime, timedelta

from croniter import croniter
from dateutil.rrule import rrulestr

RUNS = 200


def parse(text):
    return datetime.strptime(text, "%Y-%m-%dT%H:%M:%S")


def rrule_times(text, present=None):
    rule = rrulestr(text, compatible=True)
    if present is None:
        return list(itertools.islice(rule, RUNS))
    return list(rule.xafter(present.replace(second=0), count=RUNS, inc=True))


def cron_times(line, present):
    it = croniter(line, present.replace(second=0))
    return [it.get_next(datetime) for _ in range(RUNS)]


def plain_cron_times(line, present, until):
    """The line's times after the present minute up to until, day by day from croniter's own
    expansion of the fields, with cron's day rule (both day fields restricted: either)."""
    minutes, hours, doms, months, dows = croniter(line).expanded[:5]
    fields = line.split()
    either = not fields[2].startswith("*") and not fields[4].startswith("*")
    hours = range(24) if "*" in hours else hours
    minutes = range(60) if "*" in minutes else minutes
    times = sorted(h * 60 + m for h in hours for m in minutes)
    start = present.replace(second=0)
    day = start.replace(hour=0, minute=0)
    found = []
    while day <= until:
        dom_ok = "*" in doms or day.day in doms
        dow_ok = "*" in dows or day.isoweekday() % 7 in dows or (day.isoweekday() % 7 == 0 and 7 in dows)
        month_ok = "*" in months or day.month in months
        if month_ok and ((dom_ok or dow_ok) if either else (dom_ok and dow_ok)):
            for t in times:
                moment = day + timedelta(minutes=t)
                if start < moment <= until:
                    found.append(moment)
        day += timedelta(days=1)
    return found


def croniter_skipped_march(line, present, mine, theirs):
    """croniter before 2025 steps from February to a day it lacks (29 to 31) and overshoots
    into March, skipping the first days of March (fixed upstream in "Fix skipping first of
    March"). True when that is the whole difference: a plain reading of the same line gives
    the engine's runs, and croniter only left out days of March."""
    if not mine:
        return False
    if plain_cron_times(line, present, mine[-1]) != mine:
        return False
    it = croniter(line, present.replace(second=0))
    theirs_long = []
    while not theirs_long or theirs_long[-1] < mine[-1]:
        theirs_long.append(it.get_next(datetime))
    missing = set(mine) - set(theirs_long)
    return bool(missing) and set(theirs_long[:-1]) <= set(mine) and all(m.month == 3 for m in missing)


def reason_kind(reason):
    """A short name for a refusal, for the counts: its first words up to a number or date."""
    return re.split(r"[0-9'(:]", reason, maxsplit=1)[0].strip()[:70]


def main():
    count = sys.argv[2] if len(sys.argv) > 2 else "1200"
    out = subprocess.run([sys.argv[1], count], check=True, capture_output=True, text=True).stdout
    counts = collections.Counter()
    refusals = collections.Counter()
    failures = []

    def check(label, case, mine, theirs, cron_line=None):
        if mine != theirs and cron_line and croniter_skipped_march(cron_line, parse(case["present"]), mine, theirs):
            counts[label + ": croniter skipped early March"] += 1
            return
        counts[label + " agreed"] += 1
        if mine != theirs:
            at = next((i for i, (m, t) in enumerate(zip(mine, theirs)) if m != t), min(len(mine), len(theirs)))
            failures.append("%s disagrees at run %d: %s %s\n  engine: %s\n  oracle: %s" % (
                label, at, case["present"], case.get("text") or case[label]["text"],
                [m.isoformat() for m in mine[at:at + 3]], [t.isoformat() for t in theirs[at:at + 3]]))

    def refused(label, reason):
        counts[label + " refused"] += 1
        if not reason.strip():
            failures.append("%s refused without a reason" % label)
        refusals[label + ": " + reason_kind(reason)] += 1

    for line in out.splitlines():
        case = json.loads(line)
        present = parse(case["present"])
        kind = case["case"]
        if kind == "schedule":
            counts["schedules"] += 1
            runs = [parse(t) for t in case["runs"]]
            for form in ("rrule", "taskxml"):
                if case[form]["ok"]:
                    check(form, case, runs, rrule_times(case[form]["text"]))
                else:
                    refused(form, case[form]["text"])
            if case["cron"]["ok"]:
                check("cron", case, runs, cron_times(case["cron"]["text"], present), case["cron"]["text"])
            else:
                refused("cron", case["cron"]["text"])
        else:
            counts[kind + " texts"] += 1
            if not case["ok"]:
                refused("from " + kind, case["reason"])
                continue
            runs = [parse(t) for t in case["runs"]]
            if kind == "rrule":
                check("from rrule", case, runs, rrule_times(case["text"], present))
            else:
                check("from cron", case, runs, cron_times(case["text"], present), case["text"])

    for key in sorted(counts):
        print("%-22s %d" % (key, counts[key]))
    print("refusals by reason:")
    for key, n in sorted(refusals.items()):
        print("  %5d  %s" % (n, key))
    for failure in failures[:20]:
        print(failure)
    print("ORACLE %s: %d disagreements" % ("FAILED" if failures else "CLEAN", len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
