#!/usr/bin/env python3
"""Ratios of each stage to the line scan of the same file in the same run.

Usage:
  bench_candb --benchmark_repetitions=8 --benchmark_enable_random_interleaving=true \
      --benchmark_format=json [--all_corpus] > out.json
  ratios.py out.json [before.json]

Each stage takes its fastest single run (the figure least disturbed by other
work on the machine), or without that counter the smallest CPU time of its
repetitions. Interleaving the repetitions spreads a busy spell of the machine
over every stage, where in order it may fall on one stage of one file alone.
With a second file, its ratios are printed beside, as "before -> after".
"""
import json
import sys


def stages(path):
    times = {}
    for r in json.load(open(path))["benchmarks"]:
        if r.get("run_type") == "aggregate":
            continue
        name = r.get("run_name", r["name"])
        if "/" not in name or r.get("error_occurred"):
            continue
        label, stage = name.rsplit("/", 1)
        t = times.setdefault(label, {})
        value = r.get("fastest_us", r["cpu_time"])
        t[stage] = min(t.get(stage, float("inf")), value)
    return times


after = stages(sys.argv[1])
before = stages(sys.argv[2]) if len(sys.argv) > 2 else None
cols = ("Read", "Convert", "Rows")
print("%-30s %9s  %s" % ("file", "scan us", "  ".join("%-22s" % c for c in ("read", "read+convert", "rows"))))
for label, t in after.items():
    if "Scan" not in t:
        continue
    cells = []
    for c in cols:
        if c not in t:
            cells.append("%-22s" % "-")
            continue
        now = "%.1fx" % (t[c] / t["Scan"])
        if before and label in before and c in before[label] and "Scan" in before[label]:
            now = "%.1fx -> %s" % (before[label][c] / before[label]["Scan"], now)
        cells.append("%-22s" % now)
    print("%-30s %9.1f  %s" % (label, t["Scan"], "  ".join(cells)))
