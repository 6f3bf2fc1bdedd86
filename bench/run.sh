#!/usr/bin/env bash
# Runs every benchmark program and comparison script; figures are medians and
# ratios. Each program picks its own repetitions; the comparison scripts run
# our side and the tool a user would otherwise reach for on the same data.
# A part that fails is reported and the rest still run; the exit status says
# whether all of them finished.
set -uo pipefail
build="${1:-build}"
here="$(cd "$(dirname "$0")" && pwd)"
failed=()
run() {
  local name="$1"
  shift
  echo "== $name"
  "$@" || { echo "!! $name failed (exit $?)"; failed+=("$name"); }
}
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  run "$(basename "$b")" "$b"
done
for s in "$here"/compare_*.sh "$here"/measure_gui_rss.sh; do
  [ -f "$s" ] || continue
  run "$(basename "$s")" bash "$s" "$build"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "bench: failed: ${failed[*]}"
  exit 1
fi
echo "bench: every benchmark and comparison ran"
