#!/usr/bin/env bash
# The companion indexer against recollindex (Debian's recoll) on one generated
# corpus: 20,000 text and Markdown files, 200 PDFs and 200 ODF/OOXML files.
#
#   bench/compare_indexer.sh BUILD_DIR [TEXT_FILES]      (RUNS=n sets the rounds)
#
# Each round indexes the corpus from nothing and then once more with nothing
# changed, with both tools, alternating, so load from elsewhere on the machine
# falls on both alike. Reports medians of wall-clock and CPU (user + sys)
# time and their ratios. recollindex lowers its own priority (nice 19), so on
# a busy machine its wall-clock time stretches: the CPU figures are the fair
# comparison there.
# recollindex is installed here (recollcmd, with the PDF helper it uses) when
# missing; without it the script reports our figures alone.
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
texts="${2:-20000}"
here="$(cd "$(dirname "$0")" && pwd)"
indexer="$build/indexer/trovi-index"
[ -x "$indexer" ] || { echo "compare_indexer: $indexer not built, skipped"; exit 0; }
command -v python3 >/dev/null || { echo "compare_indexer: python3 not found, skipped"; exit 0; }

if ! command -v recollindex >/dev/null; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo -n"
  echo "installing recollindex (recollcmd) for the comparison ..."
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
    --no-install-recommends recollcmd python3-recoll poppler-utils >/dev/null 2>&1 ||
    echo "compare_indexer: could not install recollcmd; our side only"
fi

corpus="$build/bench-data/documents-$texts"
if [ ! -d "$corpus" ]; then
  echo "writing the corpus to $corpus ..."
  python3 "$here/gen_documents.py" "$corpus.tmp" "$texts" 200 200
  mv "$corpus.tmp" "$corpus"
fi

python3 - "$indexer" "$corpus" "${RUNS:-3}" <<'PY'
import json, os, resource, shutil, statistics, subprocess, sys, tempfile, time

indexer, corpus, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
recoll = shutil.which("recollindex")
scratch = tempfile.mkdtemp(prefix="compare-indexer-")

cpu = {}

def timed(command, env=None, label=None):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    done = subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    elapsed = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if done.returncode != 0:
        sys.exit(f"compare_indexer: {command[0]} failed: {done.stderr.decode()[-400:]}")
    cpu.setdefault(label, []).append(after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)
    return elapsed, done.stdout

def ours():
    home = os.path.join(scratch, "home")
    shutil.rmtree(home, ignore_errors=True)
    os.makedirs(home)
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"))
    full, out = timed([indexer, "--json", "--add", corpus], env, "trovi-index full")
    summary = json.loads(out)
    again, _ = timed([indexer, "--json"], env, "trovi-index re-run")
    return full, again, summary

def theirs():
    conf = os.path.join(scratch, "recoll")
    shutil.rmtree(conf, ignore_errors=True)
    os.makedirs(conf)
    with open(os.path.join(conf, "recoll.conf"), "w") as f:
        f.write(f"topdirs = {corpus}\nloglevel = 1\nnoaspell = 1\n")
    full, _ = timed([recoll, "-c", conf], None, "recollindex full")
    again, _ = timed([recoll, "-c", conf], None, "recollindex re-run")
    return full, again

rows = {"trovi-index full": [], "trovi-index re-run": [], "recollindex full": [], "recollindex re-run": []}
summary = {}
for round in range(runs):
    full, again, summary = ours()
    rows["trovi-index full"].append(full)
    rows["trovi-index re-run"].append(again)
    if recoll:
        full, again = theirs()
        rows["recollindex full"].append(full)
        rows["recollindex re-run"].append(again)
shutil.rmtree(scratch, ignore_errors=True)

print(f"corpus: {summary.get('files')} files ({corpus}); "
      f"{summary.get('nameOnly')} indexed by name only; {runs} rounds")
median = {name: statistics.median(times) for name, times in rows.items() if times}
cpu_median = {name: statistics.median(times) for name, times in cpu.items()}
for name, value in median.items():
    print(f"  {name:22s} median wall {value:8.2f} s   cpu {cpu_median[name]:8.2f} s")
if "recollindex full" in median:
    for what in ("full", "re-run"):
        ours_, theirs_ = f"trovi-index {what}", f"recollindex {what}"
        print(f"  {what} ratio trovi-index / recollindex: wall "
              f"{median[ours_] / median[theirs_]:.2f}x, cpu "
              f"{cpu_median[ours_] / max(cpu_median[theirs_], 1e-9):.2f}x"
              + (" (target <= 1.0)" if what == "full" else ""))
print(f"  no-change re-run {median['trovi-index re-run']:.2f} s wall (target <= 1 s)")
PY
