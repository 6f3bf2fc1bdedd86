#!/usr/bin/env bash
# Resident memory of the launcher window with a home of about COUNT folders
# (default 100,000): starts `trovi` under a private Xvfb, waits until the
# catalogues are in and the resident set has settled, and prints VmRSS and the
# peak (VmHWM) in megabytes.
set -euo pipefail
build="${1:-build}"
count="${2:-100000}"
trovi="$(cd "$build" && pwd)/app/trovi"
[ -x "$trovi" ] || { echo "measure_gui_rss: $trovi not built" >&2; exit 1; }

tmp="$(mktemp -d)"
display=":$((90 + RANDOM % 9))"
cleanup() {
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

python3 - "$tmp/home" "$count" <<'PY'
import os, random, sys
root, count = sys.argv[1], int(sys.argv[2])
words = ("project notes invoice budget report photos backup client design draft "
         "meeting team archive src docs assets old final taxes travel Research Data "
         "export Personal Work receipts music video thesis website api config").split()
rng = random.Random(7)
os.makedirs(root)
made = 0
level = [root]
while made < count:
    nxt = []
    for parent in level:
        for i in range(10):
            if made >= count:
                break
            name = " ".join(rng.choice(words) for _ in range(1 + rng.randrange(3))) + " %d" % i
            path = os.path.join(parent, name)
            os.mkdir(path)
            made += 1
            nxt.append(path)
    level = nxt
PY
mkdir -p "$tmp/home/.config" "$tmp/runtime"
chmod 700 "$tmp/runtime"

Xvfb "$display" -screen 0 1280x800x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" XDG_RUNTIME_DIR="$tmp/runtime" \
  XDG_DATA_HOME="$tmp/home/.local/share" DISPLAY="$display" "$trovi" >/dev/null 2>&1 &
app=$!

sleep 3
# Settled: the same resident set for ten seconds (a catalogue build can
# hold still for a few seconds while it sorts).
last=0; same=0
for _ in $(seq 1 360); do
  sleep 0.5
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$app/status")
  if [ "$rss" = "$last" ]; then same=$((same + 1)); else same=0; fi
  last=$rss
  [ "$same" -ge 20 ] && break
done
hwm=$(awk '/^VmHWM:/ {print $2}' "/proc/$app/status")
echo "folders=$count rss_MB=$((last / 1024)) peak_MB=$((hwm / 1024))"
