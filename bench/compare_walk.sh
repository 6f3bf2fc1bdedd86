#!/usr/bin/env bash
# The folder catalogue walk against `find` applying the same rules (depth 5,
# hidden entries and the 13 excluded names pruned) to one generated tree of
# more than 100,000 folders. Prints medians, the ratio ours/find, and checks
# that both count the same folders.
set -euo pipefail
build="${1:-build}"
runs="${RUNS:-7}"
walker="$build/bench/bench_walk"
[ -x "$walker" ] || { echo "compare_walk: $walker not built" >&2; exit 1; }

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
root="$tmp/home"

python3 - "$root" <<'PY'
import os, sys
root = sys.argv[1]
os.mkdir(root)
total = 0
def mkdir(path):
    global total
    os.mkdir(path)
    total += 1
def touch(path):
    open(path, "w").close()
# Folder fan-out per depth: 10, 10, 10, 8, 6, then one more level below the
# walk's depth limit and a seventh level under every other branch.
fanout = [10, 10, 10, 8, 6, 1, 1]
def grow(path, depth):
    if depth > 0:
        touch(os.path.join(path, "notes.txt"))
        touch(os.path.join(path, "Report %d.pdf" % depth))
    if depth == len(fanout):
        return
    if depth == 6 and len(path) % 2:
        return
    for i in range(fanout[depth]):
        child = os.path.join(path, "Folder %d" % i if i % 3 else "project-%d" % i)
        mkdir(child)
        grow(child, depth + 1)
    # Noise the walk must cut: hidden folders, excluded names in mixed case.
    if depth == 2:
        mkdir(os.path.join(path, ".git"))
        for i in range(20):
            mkdir(os.path.join(path, ".git", "obj%02d" % i))
        mkdir(os.path.join(path, "node_modules"))
        for i in range(40):
            mkdir(os.path.join(path, "node_modules", "pkg%d" % i))
            mkdir(os.path.join(path, "node_modules", "pkg%d" % i, "lib"))
    if depth == 3:
        mkdir(os.path.join(path, "Build"))
        mkdir(os.path.join(path, "Build", "out"))
        mkdir(os.path.join(path, ".cache"))
    if depth == 1:
        mkdir(os.path.join(path, "LIBRARY"))
        for i in range(30):
            mkdir(os.path.join(path, "LIBRARY", "Caches%d" % i))
grow(root, 0)
print("generated %d folders" % total)
PY

names=(library .git .svn .hg node_modules .next .turbo .cache .pnpm-store dist build target coverage)
prune=( -name '.*' )
for n in "${names[@]}"; do prune+=( -o -iname "$n" ); done
find_walk() { find "$root" -mindepth 1 -maxdepth 5 \( "${prune[@]}" \) -prune -o -type d -print; }

# Warm the page cache and dentry cache for both.
find "$root" > /dev/null
"$walker" --walk-root="$root" --runs=1 > /dev/null

find_count="$(find_walk | wc -l)"
ours_count="$("$walker" --walk-root="$root" --runs=1 | awk '{print $6}')"

find_times=()
for ((i = 0; i < runs; i++)); do
  start=$(date +%s%N)
  find_walk > /dev/null
  end=$(date +%s%N)
  find_times+=("$(awk -v ns=$((end - start)) 'BEGIN{printf "%.3f", ns / 1e6}')")
done
# Ours: the walk as timed inside the process (the launcher walks inside a
# long-running process), and the whole process for comparison.
mapfile -t ours_times < <("$walker" --walk-root="$root" --runs="$runs" | awk '{print $4}')
process_times=()
for ((i = 0; i < runs; i++)); do
  start=$(date +%s%N)
  "$walker" --walk-root="$root" --runs=1 > /dev/null
  end=$(date +%s%N)
  process_times+=("$(awk -v ns=$((end - start)) 'BEGIN{printf "%.3f", ns / 1e6}')")
done

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END{print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
find_median="$(median "${find_times[@]}")"
ours_median="$(median "${ours_times[@]}")"
process_median="$(median "${process_times[@]}")"

echo "folders listed: ours $ours_count, find $find_count"
echo "find (median of $runs):                 $find_median ms"
echo "discoverFolders (median of $runs):      $ours_median ms"
echo "discoverFolders + process start:        $process_median ms"
awk -v o="$ours_median" -v f="$find_median" -v p="$process_median" \
  'BEGIN{printf "ratio ours/find: %.2f (whole process: %.2f)\n", o / f, p / f}'
if [ "$ours_count" != "$find_count" ]; then
  echo "compare_walk: counts differ" >&2
  exit 1
fi
