#!/usr/bin/env bash
# Runs every benchmark program and comparison script; figures are medians and
# ratios. Each program picks its own repetitions; the comparison scripts run
# our side and the tool a user would otherwise reach for on the same data.
set -euo pipefail
build="${1:-build}"
here="$(cd "$(dirname "$0")" && pwd)"
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
for s in "$here"/compare_*.sh; do
  [ -f "$s" ] || continue
  echo "== $(basename "$s")"
  bash "$s" "$build"
done
