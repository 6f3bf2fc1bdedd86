#!/usr/bin/env bash
# Our desktop-entry reader against GLib's (Gio.DesktopAppInfo, what GNOME's
# own menus use) on a 2,000-entry system: the 98 real Debian 12 entries in
# tests/fixtures copied under new names into one folder. Each side reads
# every entry as the application catalogue needs it (type, visibility on
# this desktop, TryExec/Exec on PATH, localised Name, GenericName, Keywords,
# Icon) RUNS times in one process; prints the medians and the ratio ours/GLib.
set -euo pipefail
build="${1:-build}"
runs="${RUNS:-5}"
here="$(cd "$(dirname "$0")" && pwd)"
walker="$build/bench/bench_walk"
[ -x "$walker" ] || { echo "compare_desktop_entries: $walker not built" >&2; exit 1; }
/usr/bin/python3 -c 'import gi' 2>/dev/null ||
    { echo "compare_desktop_entries: python3-gi is not installed" >&2; exit 1; }

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fixtures="$here/../tests/fixtures/debian12/applications"
n=0
while [ "$n" -lt 2000 ]; do
    for f in "$fixtures"/*.desktop; do
        [ "$n" -lt 2000 ] || break
        cp "$f" "$tmp/$(basename "$f" .desktop)-$n.desktop"
        n=$((n + 1))
    done
done
# Every entry's program installed (a stub on PATH), so entries are read in full
# rather than dropped at the program check.
mkdir "$tmp/bin"
sed -n 's/^\(TryExec\|Exec\)=\([^ ]*\).*/\2/p' "$fixtures"/*.desktop | xargs -n1 basename |
    sort -u | while read -r program; do
        printf '#!/bin/sh\n' > "$tmp/bin/$program"
        chmod +x "$tmp/bin/$program"
    done
mv "$tmp/bin" "$tmp.bin"
trap 'rm -rf "$tmp" "$tmp.bin"' EXIT
export PATH="$tmp.bin:$PATH" XDG_CURRENT_DESKTOP=GNOME LANG=de_DE.UTF-8 LANGUAGE=de:en

ours=$("$walker" --apps-dir="$tmp" --runs="$runs" | awk '{print $4}' | sort -n |
       awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
listed=$("$walker" --apps-dir="$tmp" --runs=1 | awk '{print $6}')
glib=$(/usr/bin/python3 - "$tmp" "$runs" <<'PY'
import os, statistics, sys, time
import gi
gi.require_version("Gio", "2.0")
from gi.repository import Gio
folder, runs = sys.argv[1], int(sys.argv[2])
names = sorted(os.listdir(folder))
times, listed = [], 0
for _ in range(runs):
    start = time.perf_counter()
    listed = 0
    for name in names:
        try:
            info = Gio.DesktopAppInfo.new_from_filename(os.path.join(folder, name))
        except TypeError:
            info = None
        if info is None or not info.should_show() or info.get_is_hidden():
            continue
        info.get_name(); info.get_generic_name(); info.get_keywords(); info.get_icon()
        listed += 1
    times.append((time.perf_counter() - start) * 1000)
print("%.3f %d" % (statistics.median(times), listed))
PY
)
echo "desktop entries: 2000 files, ${runs} runs each, XDG_CURRENT_DESKTOP=GNOME LANGUAGE=de:en"
echo "  ours (DesktopApplicationDiscovery)  median ${ours} ms, ${listed} listed"
echo "  GLib (Gio.DesktopAppInfo, python3-gi) median ${glib% *} ms, ${glib#* } listed"
awk -v a="$ours" -v b="${glib% *}" 'BEGIN {printf "  ratio ours/GLib %.2f\n", a / b}'
