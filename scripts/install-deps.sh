#!/usr/bin/env bash
# Installs the Debian 12 packages the launcher needs to build, run, test and
# benchmark. Only packages that are missing are installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config   # toolchain
  qt6-base-dev libgl-dev                         # Qt 6 Core/Gui/Widgets/Network/DBus/Test
  qt6-qpa-plugins                                # offscreen and xcb platform plugins
  libsqlite3-dev sqlite3                         # SQLite C API; the shell for benchmarks
  libbenchmark-dev                               # Google Benchmark for bench/
  clang-format                                   # make format
  dbus                                           # session bus for reveal-in-file-browser
  xdg-utils                                      # xdg-open behind "open"
  xvfb                                           # private X server for the clipboard test
  findutils python3                              # benchmark comparison scripts
  ccache                                         # rebuilds reuse earlier compilations
  libcld2-dev                                    # language recognition for the translator
  apertium apertium-eng-spa                      # local rule-based translation (English <-> Spanish)
  qt6-svg-dev                                    # SVG icons (tray, application icon)
  libfontconfig-dev                              # fontconfig warmed up while Qt connects to the display
  libx11-dev libx11-xcb-dev libxcb1-dev          # X11 global hotkey: key grabs on the root window
  libxkbcommon-dev libxkbcommon-x11-dev          # keysym <-> keycode on the current layout
  xdotool x11-apps x11-utils imagemagick         # hotkey tests under Xvfb (xprop, xwininfo), screenshots
  clang libclang-rt-14-dev                       # libFuzzer targets in fuzz/
  libpoppler-cpp-dev                             # trovi-index: text of PDF documents
  libzip-dev                                     # trovi-index: XML parts of ODF/OOXML documents
  liblz4-dev                                     # Firefox's open tabs: its session file is one LZ4 block
  python3-gi gir1.2-glib-2.0                     # GLib's desktop-entry reader, the tests' reference
  openbox                                        # a real window manager for focus/resize tests
  tigervnc-standalone-server x11-xserver-utils   # Xvnc + xrandr: a screen that can change size
  stress-ng                                      # checking GUI tests under load
  fd-find fzf                                    # `fdfind | fzf --filter`, the query to beat in bench/
  mutter qt6-wayland                             # GNOME's compositor headless + Qt's Wayland plugin for the Wayland tests
  gnome-settings-daemon-common                   # the media-keys schema `trovi shortcut install` writes through gsettings
  rofi                                           # bench: the cold start to beat
  recollcmd python3-recoll poppler-utils         # bench: recollindex, the indexer to beat
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
