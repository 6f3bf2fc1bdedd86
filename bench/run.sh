#!/usr/bin/env bash
# Runs every benchmark program and comparison script; figures are medians and
# ratios. Each program picks its own repetitions; the comparison scripts run
# our side and the tool a user would otherwise reach for on the same data.
# A part that fails is reported and the rest still run; the exit status says
# whether all of them finished. The end repeats every figure that has a
# target, with it.
set -uo pipefail
build="${1:-build}"
here="$(cd "$(dirname "$0")" && pwd)"
logs="$(mktemp -d)"
trap 'rm -rf "$logs"' EXIT
failed=()
run() {
  local name="$1"
  shift
  echo "== $name"
  "$@" 2>&1 | tee "$logs/$name.log"
  local status=${PIPESTATUS[0]}
  [ "$status" -eq 0 ] || { echo "!! $name failed (exit $status)"; failed+=("$name"); }
}
for b in "$build"/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  run "$(basename "$b")" "$b"
done
for s in "$here"/compare_*.sh "$here"/measure_gui_rss.sh; do
  [ -f "$s" ] || continue
  run "$(basename "$s")" bash "$s" "$build"
done

echo
echo "== figures against their targets"
# Google Benchmark prints counters, not targets: the search targets are these.
awk '
  /^BM_Search\/(100000|1000000)\/iterations/ {
    split($1, part, "/"); n = part[2]
    for (i = 1; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] }
    if (n == 100000)
      printf "bench_search 100k items: p50 %.3f ms (target <= 0.3), p99 %.3f ms (target <= 1.0); CPU p50 %.3f, p99 %.3f ms\n", v["p50_ms"], v["p99_ms"], v["cpu_p50_ms"], v["cpu_p99_ms"]
    else
      printf "bench_search 1M items: p50 %.3f ms (target <= 3), CPU p50 %.3f ms\n", v["p50_ms"], v["cpu_p50_ms"]
  }' "$logs/bench_search.log" 2>/dev/null
grep -h -i "target" "$logs"/*.log | grep -v "^bench_search" || true

if [ ${#failed[@]} -gt 0 ]; then
  echo "bench: failed: ${failed[*]}"
  exit 1
fi
echo "bench: every benchmark and comparison ran"
