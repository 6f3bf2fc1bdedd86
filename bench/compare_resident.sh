#!/usr/bin/env bash
# The resident launcher under a private X server (Xvfb, no window manager):
#  (a) hotkey press (XTEST Ctrl+Space) to the window mapped and focused, median of 20;
#  (b) cold start to a mapped window, trovi against `rofi -show drun` on the
#      same home, alternating, median of 7 each and the ratio trovi/rofi: once
#      with an empty home and once with a home of FOLDERS folders (default
#      66,000); onboarding is marked done, as it is after the first launch;
#  (b') the real first start, which shows the onboarding window instead;
#  (c) wake-ups (context switches of every thread) of the idle, hidden
#      launcher over 30 seconds.
# A private session bus stands in for the desktop session's.
set -euo pipefail
build="${1:-build}"
folders="${FOLDERS:-66000}"
trovi="$(cd "$(dirname "$build/app/trovi")" && pwd)/trovi"
here="$(cd "$(dirname "$0")" && pwd)"
[ -x "$trovi" ] || { echo "compare_resident: $trovi not built" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "compare_resident: Xvfb missing, skipped"; exit 0; }
command -v rofi >/dev/null || echo "compare_resident: rofi missing (bash scripts/install-deps.sh); (b) runs trovi alone"

tmp="$(mktemp -d)"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 3>"$tmp/display" 2>/dev/null &
xvfb=$!
cleanup() { kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$tmp"; }
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$tmp/display")"
# A desktop session has a session bus; without one, libdbus in Qt forks to
# look for dbus-launch during start-up, which no person's launcher pays.
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && command -v dbus-daemon >/dev/null; then
  dbus-daemon --session --nofork --print-address=4 4>"$tmp/bus" 2>/dev/null &
  for _ in $(seq 100); do [ -s "$tmp/bus" ] && break; sleep 0.05; done
  export DBUS_SESSION_BUS_ADDRESS="$(head -n1 "$tmp/bus")"
fi
export XDG_SESSION_TYPE=x11 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$tmp/runtime"
unset WAYLAND_DISPLAY
mkdir -m 700 "$tmp/runtime"
# Two homes, each past its first launch.
for home in "$tmp/empty" "$tmp/folders"; do
  mkdir -p "$home/.config"
  HOME="$home" XDG_CONFIG_HOME="$home/.config" \
    "$trovi" config set launcherPermissionsOnboardingCompleted true >/dev/null
done
python3 "$here/gen_folders.py" "$tmp/folders" "$folders"

python3 - "$trovi" "$tmp" "$folders" <<'PY'
import ctypes, os, signal, shutil, statistics, subprocess, sys, time

trovi = sys.argv[1]
x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XPending.argtypes = [ctypes.c_void_p]
x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]

MAP_NOTIFY, UNMAP_NOTIFY, FOCUS_IN = 19, 18, 9
STRUCTURE, SUBSTRUCTURE, FOCUS = 1 << 17, 1 << 19, 1 << 21

class XAnyEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong)]

dpy = x11.XOpenDisplay(None)
root = x11.XDefaultRootWindow(dpy)
buf = ctypes.create_string_buffer(256)
ev = ctypes.cast(buf, ctypes.POINTER(XAnyEvent)).contents

def next_event(timeout=10.0):
    deadline = time.monotonic() + timeout
    while not x11.XPending(dpy):
        if time.monotonic() > deadline:
            raise TimeoutError
        import select
        select.select([x11.XConnectionNumber(dpy)], [], [], 0.05)
    x11.XNextEvent(dpy, buf)
    return ev.type, ev.window

def wait_for(wanted, window=None):
    seen = set()
    while not wanted <= seen:
        t, w = next_event()
        if window is None or w == window:
            seen.add(t)
        if t == MAP_NOTIFY and window is None:
            return w

def median_ms(xs):
    return statistics.median(xs) * 1000

tmp, folders = sys.argv[2], int(sys.argv[3])
def home_env(home):
    env = dict(os.environ)
    env.update(HOME=home, XDG_CONFIG_HOME=home + "/.config", XDG_DATA_HOME=home + "/.local/share")
    return env
# (b) first: cold starts, alternating.
x11.XSelectInput(dpy, root, SUBSTRUCTURE)
x11.XSync(dpy, 0)
def cold(cmd, env):
    while x11.XPending(dpy):
        x11.XNextEvent(dpy, buf)
    t0 = time.perf_counter()
    p = subprocess.Popen(cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for({MAP_NOTIFY})
    dt = time.perf_counter() - t0
    p.send_signal(signal.SIGKILL)
    p.wait()
    return dt
rofi = shutil.which("rofi")
for label, home in (("empty home", tmp + "/empty"), ("%d-folder home" % folders, tmp + "/folders")):
    env = home_env(home)
    ours, theirs = [], []
    for i in range(7):
        ours.append(cold([trovi], env))
        if rofi:
            theirs.append(cold([rofi, "-show", "drun"], env))
    line = "(b) cold start to mapped window, %s: trovi median %.1f ms" % (label, median_ms(ours))
    if theirs:
        line += ", rofi -show drun median %.1f ms, ratio trovi/rofi %.2f (target <= 1.00)" % (
            median_ms(theirs), statistics.median(ours) / statistics.median(theirs))
    print(line, flush=True)

# (b') the first launch in a home shows onboarding: its own figure.
first = []
for i in range(5):
    home = tmp + "/first%d" % i
    os.makedirs(home + "/.config")
    first.append(cold([trovi], home_env(home)))
    shutil.rmtree(home)
print("(b') first start (onboarding window) to mapped window: trovi median %.1f ms of 5"
      % median_ms(first), flush=True)

env = home_env(tmp + "/folders")
# (a) the resident launcher, hidden, woken by the hotkey.
p = subprocess.Popen([trovi], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
win = int(subprocess.check_output(["xdotool", "search", "--sync", "--onlyvisible", "--name", "Trovi"],
                                  timeout=60,
                                  env=env).split()[0])
x11.XSelectInput(dpy, root, 0)
x11.XSelectInput(dpy, win, STRUCTURE | FOCUS)
x11.XSync(dpy, 0)
subprocess.check_call([trovi, "--hide"], env=env)
wait_for({UNMAP_NOTIFY}, win)
time.sleep(2)  # settle: catalogues built
ctrl = x11.XKeysymToKeycode(dpy, 0xffe3)
space = x11.XKeysymToKeycode(dpy, 0x20)
def press():
    for code, down in ((ctrl, 1), (space, 1), (space, 0), (ctrl, 0)):
        xtst.XTestFakeKeyEvent(dpy, code, down, 0)
    x11.XFlush(dpy)
shown = []
for i in range(20):
    t0 = time.perf_counter()
    press()
    wait_for({MAP_NOTIFY, FOCUS_IN}, win)
    shown.append(time.perf_counter() - t0)
    time.sleep(0.05)
    press()
    wait_for({UNMAP_NOTIFY}, win)
    time.sleep(0.05)
print("(a) hotkey to window mapped and focused: median %.2f ms of 20 (min %.2f, max %.2f)" % (
    median_ms(shown), min(shown) * 1000, max(shown) * 1000), flush=True)

# (c) idle wake-ups while hidden.
def switches(pid):
    counts = {}
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/status" % (pid, task)) as f:
                counts[task] = sum(int(l.split()[1]) for l in f if l.startswith(
                    ("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")))
        except FileNotFoundError:
            pass
    return counts
time.sleep(3)
before = switches(p.pid)
time.sleep(30)
after = switches(p.pid)
woken = {t: after[t] - before.get(t, 0) for t in after}
busy = {t: n for t, n in woken.items() if n}
print("(c) idle hidden launcher: %d wake-ups in 30 s over %d threads (%d threads woke; %d started, %d ended)"
      % (sum(woken.values()), len(after), len(busy), len(set(after) - set(before)),
         len(set(before) - set(after))))
p.kill()
p.wait()
PY
