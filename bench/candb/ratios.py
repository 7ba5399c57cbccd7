#!/usr/bin/env python3
"""Ratios of each stage to the line scan of the same file in the same run.

Usage: bench_candb --benchmark_format=json > out.json; ratios.py out.json
"""
import json
import sys

runs = json.load(open(sys.argv[1]))["benchmarks"]
times = {}
for r in runs:
    if r.get("run_type") == "aggregate" and r.get("aggregate_name") != "median":
        continue
    name = r.get("run_name", r["name"])
    if "/" not in name:
        continue
    label, stage = name.split("/", 1)
    times.setdefault(label, {})[stage] = r["real_time"]
print("%-36s %10s %18s %18s %18s" % ("file", "scan us", "read", "read+convert", "rows"))
for label, t in times.items():
    if "Scan" not in t:
        continue
    scan = t["Scan"]
    cells = []
    for stage in ("Read", "Convert", "Rows"):
        cells.append("%9.0f (%5.1fx)" % (t[stage], t[stage] / scan) if stage in t else "%18s" % "-")
    print("%-36s %10.1f %s" % (label, scan, " ".join(cells)))
