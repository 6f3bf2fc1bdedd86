#!/usr/bin/env bash
# `trovi query --json` answered by the running launcher against
# `fdfind . HOME --type d --max-depth 5 | fzf --filter QUERY` on one generated
# home of about COUNT folders (default 66,000): medians of RUNS runs each
# (default 21), alternating, the ratio ours/theirs and the targets (at most
# 20 ms, at most 0.1x). Also shown: a standalone run (the command line
# building its own engine) and `trovi --version`, the floor of any run of the
# executable. The launcher runs hidden and offscreen; its answer is checked to
# be the standalone run's before timing starts.
set -euo pipefail
build="${1:-build}"
count="${COUNT:-66000}"
runs="${RUNS:-21}"
query="${QUERY:-budget}"
trovi="$(cd "$(dirname "$build/app/trovi")" && pwd)/trovi"
[ -x "$trovi" ] || { echo "compare_query_resident: $trovi not built" >&2; exit 1; }
for tool in fdfind fzf; do
  command -v "$tool" >/dev/null || {
    echo "compare_query_resident: $tool missing (scripts/install-deps.sh installs it), skipped"
    exit 0
  }
done

tmp="$(mktemp -d)"
cleanup() { kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$tmp"; }
trap cleanup EXIT
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" XDG_DATA_HOME="$tmp/home/.local/share"
export XDG_DATA_DIRS="$tmp/system-share" XDG_RUNTIME_DIR="$tmp/runtime"
# The launcher needs a display to start; offscreen it needs no X server.
export DISPLAY=":none" QT_QPA_PLATFORM=offscreen
unset WAYLAND_DISPLAY
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

python3 "$(dirname "$0")/gen_folders.py" "$HOME" "$count"

# A first start shows onboarding; this home has done it, so the launcher stays hidden.
"$trovi" config set launcherPermissionsOnboardingCompleted true >/dev/null
"$trovi" --hide >"$tmp/launcher.log" 2>&1 &

python3 - "$trovi" "$HOME" "$query" "$runs" "$tmp/launcher.log" <<'PY'
import resource, statistics, subprocess, sys, time
trovi, home, query, runs, log = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4]), sys.argv[5]

# Wall time, and the CPU time of the processes run: on a loaded machine the
# second shows what the command itself costs.
def cpu():
    r = resource.getrusage(resource.RUSAGE_CHILDREN)
    return r.ru_utime + r.ru_stime

def timed(fn):
    c0, t0 = cpu(), time.perf_counter()
    out = fn()
    return time.perf_counter() - t0, out, cpu() - c0

def ours(*extra):
    p = subprocess.run([trovi, "query", "--json", *extra, query], capture_output=True)
    return p.stdout, p.stderr

def theirs():
    fd = subprocess.Popen(["fdfind", ".", home, "--type", "d", "--max-depth", "5"],
                          stdout=subprocess.PIPE)
    out = subprocess.run(["fzf", "--filter", query], stdin=fd.stdout, capture_output=True).stdout
    fd.stdout.close()
    fd.wait()
    return out

standalone, _ = ours("--standalone")
# Ready once the launcher answers (no note on stderr) with the standalone rows.
deadline = time.monotonic() + 120
while True:
    out, err = ours()
    if out == standalone and not err:
        break
    if time.monotonic() > deadline:
        sys.exit("compare_query_resident: the launcher never gave the standalone answer:\n%s\n%s"
                 % (err.decode(), open(log).read()))
    time.sleep(0.2)
rows = standalone.count(b'"fullPath"')

resident, yardstick, alone, floor = [], [], [], []
for i in range(runs):
    resident.append(timed(ours))
    yardstick.append(timed(theirs))
    floor.append(timed(lambda: subprocess.run([trovi, "--version"], capture_output=True)))
    if i % 3 == 0:
        alone.append(timed(lambda: ours("--standalone")))
matches = len(theirs().splitlines())

ms = lambda xs, k=0: statistics.median(x[k] for x in xs) * 1000
ratio = ms(resident) / ms(yardstick)
print("query '%s', %d rows from the launcher (the standalone rows); fzf keeps %d folders"
      % (query, rows, matches))
print("trovi query --json, running launcher: median %.1f ms of %d, CPU %.1f ms (target <= 20 ms: %s)"
      % (ms(resident), runs, ms(resident, 2), "met" if ms(resident) <= 20 else "missed"))
print("fdfind | fzf --filter: median %.1f ms of %d, CPU %.1f ms"
      % (ms(yardstick), runs, ms(yardstick, 2)))
print("ratio launcher/fzf %.3f (target <= 0.1: %s)" % (ratio, "met" if ratio <= 0.1 else "missed"))
print("for scale: trovi query --json --standalone median %.1f ms of %d, CPU %.1f ms; "
      "trovi --version (loading the executable) median %.1f ms, CPU %.1f ms"
      % (ms(alone), len(alone), ms(alone, 2), ms(floor), ms(floor, 2)))
PY
