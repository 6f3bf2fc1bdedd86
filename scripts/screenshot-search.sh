#!/usr/bin/env bash
# Takes docs/screenshots/search.png: the launcher under Xvfb in a throwaway
# home with an application, a folder and an indexed document, showing the
# query "pi" (Pinta, Pictures, a recipe with "pie" in it, and the calculator).
# THEME is a launcher theme id (e.g. daylight); without it the default theme.
#   scripts/screenshot-search.sh [BUILD_DIR] [OUT.png] [THEME]
set -euo pipefail
build="${1:-build}"
out="${2:-docs/screenshots/search.png}"
theme="${3:-}"
home="$(mktemp -d)"
trap 'kill "${app:-0}" "${xvfb:-0}" 2>/dev/null || true; rm -rf "$home"' EXIT

mkdir -p "$home/.local/share/applications" "$home/Pictures/Holidays" "$home/Documents" "$home/.pelmora"
cat > "$home/.local/share/applications/pinta.desktop" <<'ENTRY'
[Desktop Entry]
Type=Application
Name=Pinta
Icon=applications-graphics
Exec=true
ENTRY
echo "Apple pie: butter, flour, apples" > "$home/Documents/recipes.txt"
python3 - "$home" <<'PY'
import sqlite3, sys, time
home = sys.argv[1]
db = sqlite3.connect(home + "/.pelmora/index.db")
db.executescript("""
CREATE TABLE files(id INTEGER PRIMARY KEY, filename TEXT NOT NULL, directory TEXT NOT NULL,
                   open_count INTEGER NOT NULL DEFAULT 0, indexed_at REAL NOT NULL);
CREATE TABLE file_tags(file_id INTEGER NOT NULL, tag TEXT NOT NULL);
CREATE VIRTUAL TABLE files_fts USING fts5(filename, content);
""")
db.execute("INSERT INTO files VALUES (1, 'recipes.txt', ?, 3, ?)", (home + "/Documents", time.time()))
db.execute("INSERT INTO files_fts(rowid, filename, content) VALUES (1, 'recipes.txt', ?)",
           ("Grandma's apple pie: butter, flour, six apples and a pinch of cinnamon",))
db.commit()
PY

display=":96"
Xvfb "$display" -screen 0 1280x800x24 >/dev/null 2>&1 & xvfb=$!
sleep 1
export DISPLAY="$display" HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share"
"$build/app/trovi" config set showSnippets true >/dev/null
"$build/app/trovi" config set launcherPermissionsOnboardingCompleted true >/dev/null
if [ -n "$theme" ]; then
    "$build/app/trovi" config set launcherThemeID "$theme" >/dev/null
fi
"$build/app/trovi" >/dev/null 2>&1 & app=$!
sleep 3
xdotool search --name 'Trovi' windowactivate 2>/dev/null || true
xdotool type --delay 120 "pi"
sleep 2
mkdir -p "$(dirname "$out")"
geometry=$(xdotool search --onlyvisible --name Trovi getwindowgeometry --shell | tr "\n" " ")
eval "$geometry"
xwd -root -display "$display" | convert xwd:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
echo "wrote $out"
