#!/usr/bin/env bash
# Resident memory of the launcher window with a home of about COUNT folders
# (default 100,000): starts `trovi` under a private Xvfb (onboarding marked
# done, as after the first launch), waits until the catalogues are in and the
# resident set has settled, and prints VmRSS and the peak (VmHWM) in megabytes.
set -euo pipefail
build="${1:-build}"
count="${2:-100000}"
trovi="$(cd "$build" && pwd)/app/trovi"
here="$(cd "$(dirname "$0")" && pwd)"
[ -x "$trovi" ] || { echo "measure_gui_rss: $trovi not built" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "measure_gui_rss: Xvfb missing, skipped"; exit 0; }

tmp="$(mktemp -d)"
cleanup() {
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  [ -n "${bus:-}" ] && kill "$bus" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

python3 "$here/gen_folders.py" "$tmp/home" "$count"
mkdir -p "$tmp/home/.config"
mkdir -m 700 "$tmp/runtime"
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" XDG_RUNTIME_DIR="$tmp/runtime" \
  XDG_DATA_HOME="$tmp/home/.local/share" XDG_SESSION_TYPE=x11 QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
"$trovi" config set launcherPermissionsOnboardingCompleted true >/dev/null

Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 3>"$tmp/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.05; done
# The desktop session's bus, as the launcher has it on a desktop.
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && command -v dbus-daemon >/dev/null; then
  dbus-daemon --session --nofork --print-address=4 4>"$tmp/bus" 2>/dev/null &
  bus=$!
  for _ in $(seq 100); do [ -s "$tmp/bus" ] && break; sleep 0.05; done
  export DBUS_SESSION_BUS_ADDRESS="$(head -n1 "$tmp/bus")"
fi
DISPLAY=":$(cat "$tmp/display")" "$trovi" >/dev/null 2>&1 &
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
echo "folders=$count rss_MB=$((last / 1024)) (target <= 40) peak_MB=$((hwm / 1024)) (target <= 80)"
