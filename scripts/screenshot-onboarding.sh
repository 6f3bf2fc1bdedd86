#!/usr/bin/env bash
# Takes the first-start window's and the settings window's pictures under a
# real window manager (openbox on Xvfb) in a throwaway home with a few
# folders, title bars included:
#   onboarding.png        "Getting Started" after its walk of the folders
#   onboarding-wayland.png the same as a Wayland session shows it
#   settings-wide.png     Settings, two columns
#   settings-narrow.png   Settings, one column
#   scripts/screenshot-onboarding.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
outdir="$(mkdir -p "${2:-docs/screenshots}" && cd "${2:-docs/screenshots}" && pwd)"
home="$(mktemp -d)"
trap 'kill "${app:-0}" "${wm:-0}" "${xvfb:-0}" 2>/dev/null || true; rm -rf "$home"' EXIT

mkdir -p "$home"/{Documents/Invoices,Documents/Letters,Music,Pictures/Holidays,Projects/trovi,Downloads}

# The server picks a free display and writes its number to the pipe.
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1280x1000x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!
read -r -u "$fd" number
export DISPLAY=":$number" HOME="$home" XDG_CONFIG_HOME="$home/.config" \
       XDG_DATA_HOME="$home/.local/share" XDG_SESSION_TYPE=x11
openbox --sm-disable >/dev/null 2>&1 & wm=$!
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do sleep 0.2; done
trovi="$build/app/trovi"

# The window with its frame: openbox's frame is the window's parent.
shoot() { # NAME WINDOW-NAME
    local id frame info x y w h b
    id=$(xdotool search --onlyvisible --name "$2" | head -1)
    frame=$(xwininfo -id "$id" -children | sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p')
    info=$(xwininfo -id "$frame")
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    w=$(sed -n 's/.*Width: *//p' <<<"$info")
    h=$(sed -n 's/.*Height: *//p' <<<"$info")
    b=$(sed -n 's/.*Border width: *//p' <<<"$info")
    xwd -root | convert xwd:- -crop "$((w + 2 * b))x$((h + 2 * b))+$((x - b))+$((y - b))" \
        +repage "$outdir/$1.png"
    echo "wrote $outdir/$1.png"
}
waitfor() { # WINDOW-NAME
    until xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do sleep 0.2; done
}

"$trovi" >/dev/null 2>&1 & app=$!
waitfor '^Getting Started$'
sleep 3 # the walk of the folders and the hotkey's registration
shoot onboarding '^Getting Started$'
kill "$app"; wait "$app" 2>/dev/null || true
# Drawn on X all the same; only the advice on the hotkey changes.
XDG_SESSION_TYPE=wayland "$trovi" >/dev/null 2>&1 & app=$!
waitfor '^Getting Started$'
sleep 3
shoot onboarding-wayland '^Getting Started$'
kill "$app"; wait "$app" 2>/dev/null || true

"$trovi" config set launcherPermissionsOnboardingCompleted true >/dev/null
for shape in "wide 1000 880" "narrow 560 880"; do
    set -- $shape
    "$trovi" config set launcherSettingsWindowWidth "$2" >/dev/null
    "$trovi" config set launcherSettingsWindowHeight "$3" >/dev/null
    "$trovi" --hide >/dev/null 2>&1 & app=$!
    sleep 2
    "$trovi" --settings >/dev/null 2>&1
    waitfor 'Launcher Settings'
    sleep 2
    shoot "settings-$1" 'Launcher Settings'
    kill "$app"; wait "$app" 2>/dev/null || true
done
