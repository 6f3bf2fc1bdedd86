#!/usr/bin/env bash
# Fails when a lower layer includes a header of a higher one. Layers, lowest
# first: core, db, settings, clients, engine, session, then platform and shell
# side by side (neither includes the other), then app. The indexer (its own
# executable) may use core and db only, and nothing may use it. Inside the engine the
# rooms are layered too: model, ranking, then cache and usage side by side,
# then sources, then manager.
set -euo pipefail
cd "$(dirname "$0")/.."
rank() {
  case "$1" in
    launcher/core/*) echo 0 ;; db/*) echo 1 ;; launcher/settings/*) echo 2 ;;
    launcher/clients/*) echo 3 ;; launcher/engine/*) echo 4 ;; launcher/session/*) echo 5 ;;
    launcher/platform/*) echo 6 ;; launcher/shell/*) echo 7 ;; app/*) echo 9 ;; indexer/*) echo 10 ;; *) echo 99 ;;
  esac
}
# The room of an engine file, lowest first; empty outside the engine.
room() {
  case "$1" in
    launcher/engine/model/*) echo 0 ;; launcher/engine/ranking/*) echo 1 ;;
    launcher/engine/cache/* | launcher/engine/usage/*) echo 2 ;;
    launcher/engine/sources/*) echo 3 ;; launcher/engine/manager/*) echo 4 ;;
    launcher/engine/*) echo 9 ;; *) echo "" ;;
  esac
}
status=0
while IFS= read -r file; do
  own=$(rank "$file")
  while IFS= read -r inc; do
    [ -n "$inc" ] || continue
    other=$(rank "$inc")
    [ "$other" = 99 ] && continue
    bad=0
    [ "$other" -gt "$own" ] && bad=1
    # platform and shell are siblings: neither may include the other
    [ "$own" = 7 ] && [ "$other" = 6 ] && bad=1
    [ "$own" = 10 ] && [ "$other" -gt 1 ] && [ "$other" != 10 ] && bad=1
    if [ "$own" = 4 ] && [ "$other" = 4 ]; then
      [ "$(room "$inc")" -gt "$(room "$file")" ] && bad=1
    fi
    if [ "$bad" = 1 ]; then
      echo "layer violation: $file includes $inc" >&2
      status=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files 'launcher/*' 'db/*' 'indexer/*' | grep -E '\.(h|cpp)$')
[ "$status" = 0 ] && echo "layers: ok"
exit "$status"
