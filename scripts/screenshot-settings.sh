#!/usr/bin/env bash
# Takes the settings window's screenshots under Xvfb in a throwaway home:
# docs/screenshots/settings-wide.png (two columns) and settings-narrow.png
# (one column).
#   scripts/screenshot-settings.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
outdir="${2:-docs/screenshots}"
home="$(mktemp -d)"
trap 'kill "${app:-0}" "${xvfb:-0}" 2>/dev/null || true; rm -rf "$home"' EXIT

display=":95"
Xvfb "$display" -screen 0 1280x1000x24 >/dev/null 2>&1 & xvfb=$!
sleep 1
export DISPLAY="$display" HOME="$home" XDG_CONFIG_HOME="$home/.config" \
       XDG_DATA_HOME="$home/.local/share"
mkdir -p "$outdir"
shoot() { # NAME WIDTH HEIGHT
    "$build/app/trovi" config set launcherSettingsWindowWidth "$2" >/dev/null
    "$build/app/trovi" config set launcherSettingsWindowHeight "$3" >/dev/null
    "$build/app/trovi" --settings >/dev/null 2>&1 & app=$!
    sleep 4
    local geometry
    geometry=$(xdotool search --onlyvisible --name 'Launcher Settings' getwindowgeometry --shell |
               tr "\n" " ")
    eval "$geometry"
    xwd -root -display "$display" |
        convert xwd:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$outdir/settings-$1.png"
    kill "$app"; wait "$app" 2>/dev/null || true
    echo "wrote $outdir/settings-$1.png"
}
shoot wide 1000 960
shoot narrow 560 900
