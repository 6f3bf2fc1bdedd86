#!/usr/bin/env bash
# Takes docs/screenshots/search.png: the launcher under Xvfb in a throwaway
# home, showing the query "2024-25" with the calculator's answer, an
# application, a folder and a document. The document (a spreadsheet link) was
# opened once from a search for "rent", so it comes back as a recent item
# with the words that search matched highlighted: an arithmetic query never
# runs the full-text search itself.
# THEME is a launcher theme id (e.g. daylight); without it the default theme.
#   scripts/screenshot-search.sh [BUILD_DIR] [OUT.png] [THEME]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
out="${2:-docs/screenshots/search.png}"
theme="${3:-}"
home="$(mktemp -d)"
trap 'kill "${app:-0}" "${xvfb:-0}" 2>/dev/null || true; rm -rf "$home"' EXIT

mkdir -p "$home/.local/share/applications" "$home/School 2024-25" "$home/Documents" \
         "$home/.pelmora" "$home/bin"
cat > "$home/.local/share/applications/tax-return.desktop" <<'ENTRY'
[Desktop Entry]
Type=Application
Name=Tax Return 2024-25
Icon=applications-office
Exec=true
ENTRY
# Opening the document would start whatever the system has for text files.
printf '#!/bin/sh\nexit 0\n' > "$home/bin/xdg-open"
chmod +x "$home/bin/xdg-open"
text="Household budget for the 2024-25 school year: rent, food, books and a new bike"
echo "URL=https://docs.google.com/spreadsheets/d/1budget2024" > "$home/Documents/Budget 2024-25.gsheet"
python3 - "$home" "$text" <<'PY'
import sqlite3, sys, time
home, text = sys.argv[1], sys.argv[2]
db = sqlite3.connect(home + "/.pelmora/index.db")
db.executescript("""
CREATE TABLE files(id INTEGER PRIMARY KEY, filename TEXT NOT NULL, directory TEXT NOT NULL,
                   open_count INTEGER NOT NULL DEFAULT 0, indexed_at REAL NOT NULL);
CREATE TABLE file_tags(file_id INTEGER NOT NULL, tag TEXT NOT NULL);
CREATE VIRTUAL TABLE files_fts USING fts5(filename, content);
""")
db.execute("INSERT INTO files VALUES (1, 'Budget 2024-25.gsheet', ?, 3, ?)", (home + "/Documents", time.time()))
db.execute("INSERT INTO files_fts(rowid, filename, content) VALUES (1, 'Budget 2024-25.gsheet', ?)", (text,))
db.commit()
PY

display=":96"
Xvfb "$display" -screen 0 1280x800x24 >/dev/null 2>&1 & xvfb=$!
sleep 1
export DISPLAY="$display" HOME="$home" XDG_CONFIG_HOME="$home/.config" \
       XDG_DATA_HOME="$home/.local/share" PATH="$home/bin:$PATH"
"$build/app/trovi" config set showSnippets true >/dev/null
"$build/app/trovi" config set launcherPermissionsOnboardingCompleted true >/dev/null
if [ -n "$theme" ]; then
    "$build/app/trovi" config set launcherThemeID "$theme" >/dev/null
fi
"$build/app/trovi" >/dev/null 2>&1 & app=$!
sleep 3
xdotool search --name 'Trovi' windowactivate 2>/dev/null || true
xdotool type --delay 120 "rent"
sleep 2
xdotool key Return
sleep 1
"$build/app/trovi" --show
sleep 1
xdotool search --name 'Trovi' windowactivate 2>/dev/null || true
xdotool key --delay 60 BackSpace BackSpace BackSpace BackSpace
xdotool type --delay 120 "2024-25"
sleep 2
mkdir -p "$(dirname "$out")"
geometry=$(xdotool search --onlyvisible --name Trovi getwindowgeometry --shell | tr "\n" " ")
eval "$geometry"
xwd -root -display "$display" | convert xwd:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
echo "wrote $out"
