#!/usr/bin/env bash
# Document index search: the launcher's IndexedDocumentSearch::search against
# the sqlite3 shell running the same two statements on the same index file.
#
#   bench/compare_index.sh BUILD_DIR [DOCUMENTS]      (RUNS=n sets the rounds)
#
# Builds a 100,000-document index (cached beside the build), then runs rounds
# that alternate between the two sides, so load from elsewhere on the machine
# falls on both alike, and reports per-query medians. The shell runs all
# statements in one session with ".timer on", so its process start-up is not
# charged to any query. Wall-clock and CPU (user + sys) times are both shown;
# on a busy machine the CPU figures are the steadier comparison. Use a
# Release build.
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
documents="${2:-100000}"
here="$(cd "$(dirname "$0")" && pwd)"
bench="$build/bench/bench_index"

for tool in sqlite3 python3; do
  command -v "$tool" >/dev/null || { echo "compare_index: $tool not found, skipped"; exit 0; }
done
[ -x "$bench" ] || { echo "compare_index: $bench not built, skipped"; exit 0; }
if grep -q '^CMAKE_BUILD_TYPE:STRING=Debug' "$build/CMakeCache.txt" 2>/dev/null; then
  echo "compare_index: warning: $build is a Debug build; figures will flatter the shell"
fi

index="$build/bench-data/index-$documents.db"
if [ ! -f "$index" ]; then
  mkdir -p "$(dirname "$index")"
  echo "building $documents-document index at $index ..."
  python3 "$here/gen_index.py" "$index.tmp" "$documents"
  mv "$index.tmp" "$index"
fi

queries=("report" "budget 2024" "meeting notes" "inv" "quarterly report" "50% off" "zzqx" "")

python3 - "$bench" "$index" "${RUNS:-7}" "${queries[@]}" <<'PY'
import json, re, statistics, subprocess, sys, unicodedata

bench, index, runs, queries = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4:]

# The statements exactly as IndexedDocumentSearch runs them, with the bound
# values written in as literals.
NAME_SQL = ("SELECT f.id, f.filename, f.directory, f.open_count, NULL as snippet, "
            "(CASE WHEN f.filename LIKE {p} THEN 1 ELSE 0 END) as exact_name_match "
            "FROM files f WHERE f.filename LIKE {p} OR f.id IN "
            "(SELECT file_id FROM file_tags WHERE tag LIKE {p}) GROUP BY f.id "
            "ORDER BY exact_name_match DESC, (CASE WHEN f.filename LIKE {p} THEN f.open_count "
            "ELSE 0 END) DESC, f.open_count DESC, f.indexed_at DESC LIMIT 250;")
FTS_SQL = ("SELECT f.id, f.filename, f.directory, f.open_count, "
           "snippet(files_fts, -1, '<mark>', '</mark>', '...', 24) as snippet, "
           "(CASE WHEN f.filename LIKE {p} THEN 1 ELSE 0 END) as exact_name_match "
           "FROM files_fts JOIN files f ON f.id = files_fts.rowid WHERE files_fts MATCH {m} "
           "ORDER BY exact_name_match DESC, files_fts.rank ASC, f.open_count DESC, "
           "f.indexed_at DESC LIMIT 250;")
TIMER = re.compile(r"Run Time: real ([0-9.]+) user ([0-9.]+) sys ([0-9.]+)")

def literal(text):
    return "'" + text.replace("'", "''") + "'"

def fts_query(query):
    trimmed = query.strip()
    if not trimmed:
        return None
    for ch in trimmed:
        category = unicodedata.category(ch)
        if ch != "\t" and category[0] not in "LMN" and category != "Zs":
            return None
    return '"' + trimmed + '"*'

def statements_for(query):
    pattern = literal("%" + query.lower() + "%")
    statements = [NAME_SQL.format(p=pattern)]
    match = fts_query(query)
    if match is not None:
        statements.append(FTS_SQL.format(p=pattern, m=literal(match)))
    return statements

def shell_round(per_query):
    """One session: a warm-up pass, then every query's statements once.
    Per query, (wall ms, cpu ms)."""
    body = "".join("\n".join(statements) + "\n" for statements in per_query)
    script = ".timer on\n.output /dev/null\n" + body + body
    out = subprocess.run(["sqlite3", "-batch", index], input=script.encode(),
                         capture_output=True, check=True).stdout.decode()
    times = [tuple(float(x) for x in m.groups()) for m in TIMER.finditer(out)]
    count = sum(len(statements) for statements in per_query)
    if len(times) != 2 * count:
        sys.exit("compare_index: unexpected shell timer output:\n" + out)
    times = times[count:]
    result = []
    for statements in per_query:
        chunk, times = times[:len(statements)], times[len(statements):]
        result.append((sum(t[0] for t in chunk) * 1e3, sum(t[1] + t[2] for t in chunk) * 1e3))
    return result

def ours_round():
    """One pass of the benchmark program: per query, (wall ms, cpu ms, rows)."""
    args = [bench, "--index=" + index, "--benchmark_format=json", "--benchmark_min_time=0.2"]
    args += ["--query=" + q for q in queries]
    out = subprocess.run(args, capture_output=True, check=True).stdout.decode()
    found = {}
    for b in json.loads(out)["benchmarks"]:
        number = int(b["run_name"].split("/", 1)[1].split(":", 1)[0])
        found[number] = (b["real_time"], b["cpu_time"], int(b.get("rows", 0)))
    return [found[i] for i in range(len(queries))]

per_query = [statements_for(q) for q in queries]
ours_rounds, shell_rounds = [], []
for _ in range(runs):
    ours_rounds.append(ours_round())
    shell_rounds.append(shell_round(per_query))

print(f"index: {index}")
print(f"rounds: {runs}; per-query medians in milliseconds (wall clock and CPU)")
print(f"{'query':<20} {'rows':>5} {'ours wall':>10} {'shell wall':>11} {'ratio':>6}"
      f" {'ours cpu':>9} {'shell cpu':>10} {'ratio':>6}")
wall_ratios, cpu_ratios = [], []
for number, query in enumerate(queries):
    ours_wall = statistics.median(r[number][0] for r in ours_rounds)
    ours_cpu = statistics.median(r[number][1] for r in ours_rounds)
    shell_wall = statistics.median(r[number][0] for r in shell_rounds)
    shell_cpu = statistics.median(r[number][1] for r in shell_rounds)
    rows = ours_rounds[0][number][2]
    wall_ratio = ours_wall / shell_wall if shell_wall > 0 else float("nan")
    cpu_ratio = ours_cpu / shell_cpu if shell_cpu > 0 else float("nan")
    wall_ratios.append(wall_ratio)
    cpu_ratios.append(cpu_ratio)
    label = repr(query) if query else "(empty)"
    print(f"{label:<20} {rows:>5} {ours_wall:>10.2f} {shell_wall:>11.2f} {wall_ratio:>6.2f}"
          f" {ours_cpu:>9.2f} {shell_cpu:>10.2f} {cpu_ratio:>6.2f}")
print(f"median ratio ours/shell: wall {statistics.median(wall_ratios):.2f}, "
      f"cpu {statistics.median(cpu_ratios):.2f} (target <= 1.2)")
PY
