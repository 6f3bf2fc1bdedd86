#!/usr/bin/env bash
# Takes the launcher's pictures under a real window manager (openbox on Xvfb)
# in a throwaway home with forty applications:
#   wm-first-list.png     a one-letter search as its first list arrives
#   wm-long-list.png      a long list, the selection moved down it
#   wm-hotkey.png         the settings' hotkey section after recording Ctrl+Alt+K
#   wm-daylight.png       the window after a live switch to the Daylight theme
#   scripts/screenshot-wm.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
outdir="$(mkdir -p "${2:-docs/screenshots}" && cd "${2:-docs/screenshots}" && pwd)"
home="$(mktemp -d)"
trap 'kill "${app:-0}" "${wm:-0}" "${xvfb:-0}" 2>/dev/null || true; rm -rf "$home"' EXIT

apps="$home/.local/share/applications"
mkdir -p "$apps"
for name in Terminal Text\ Editor Thunderbird Tasks Timer Translator Torrent\ Client \
            Tuner Typing\ Tutor Task\ Manager Tetris Time\ Tracker Todo\ List Thesaurus \
            Transmission Tile\ Puzzle Trash Tablet\ Settings Theme\ Designer Tag\ Editor \
            Atlas Archive\ Manager Calculator Calendar Camera Chess Clocks Contacts \
            Disks Document\ Scanner Files Fonts Image\ Viewer Maps Music Notes \
            Photos Settings Videos Weather; do
    file="$apps/$(echo "$name" | tr ' A-Z' '-a-z').desktop"
    printf '[Desktop Entry]\nType=Application\nName=%s\nExec=true\nIcon=applications-other\n' \
        "$name" > "$file"
done

display=":94"
Xvfb "$display" -screen 0 1280x800x24 >/dev/null 2>&1 & xvfb=$!
sleep 1
export DISPLAY="$display" HOME="$home" XDG_CONFIG_HOME="$home/.config" \
       XDG_DATA_HOME="$home/.local/share"
openbox --sm-disable >/dev/null 2>&1 & wm=$!
sleep 2
trovi="$build/app/trovi"
"$trovi" config set launcherPermissionsOnboardingCompleted true >/dev/null
"$trovi" query t >/dev/null # the catalogue, so the first list is full

shoot() { # NAME WINDOW-NAME
    local geometry
    geometry=$(xdotool search --onlyvisible --name "$2" getwindowgeometry --shell | tr "\n" " ")
    eval "$geometry"
    xwd -root -display "$display" |
        convert xwd:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$outdir/$1.png"
    echo "wrote $outdir/$1.png"
}

"$trovi" >/dev/null 2>&1 & app=$!
sleep 3
xdotool search --onlyvisible --name '^Trovi$' windowactivate 2>/dev/null || true
xdotool type "t"
sleep 1.5
shoot wm-first-list '^Trovi$'
xdotool key --delay 80 Down Down Down Down Down Down Down Down Down Down Down Down
sleep 0.5
shoot wm-long-list '^Trovi$'

"$trovi" config set launcherThemeID daylight >/dev/null
sleep 1
shoot wm-daylight '^Trovi$'

"$trovi" config set launcherSettingsWindowWidth 1000 >/dev/null
"$trovi" config set launcherSettingsWindowHeight 700 >/dev/null
"$trovi" --settings >/dev/null 2>&1
sleep 3
settings=$(xdotool search --onlyvisible --name 'Launcher Settings' | head -1)
xdotool windowactivate "$settings" 2>/dev/null || true
# The recorder button is the first button; its name says what it shows.
geometry=$(xdotool getwindowgeometry --shell "$settings" | tr "\n" " ")
eval "$geometry"
xdotool mousemove $((X + 168)) $((Y + 62)) click 1
sleep 0.5
xdotool keydown ctrl keydown alt key k keyup alt keyup ctrl
sleep 1
# Only the hotkey section.
xwd -root -display "$display" |
    convert xwd:- -crop "500x200+${X}+${Y}" +repage "$outdir/wm-hotkey.png"
echo "wrote $outdir/wm-hotkey.png"
