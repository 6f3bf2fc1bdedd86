#!/usr/bin/python3
# What GLib makes of each desktop entry in a folder, as JSON on standard
# output: {"file.desktop": {"loaded": bool, "shown": bool, "name": str}}.
# "loaded" is false when GLib refuses the entry (not an application, its
# TryExec or Exec program missing); "shown" is what a menu lists on the
# desktop named by XDG_CURRENT_DESKTOP. The environment (LANGUAGE, LANG,
# PATH, XDG_CURRENT_DESKTOP) is the caller's: GLib reads it once per process.
import json
import os
import sys

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio  # noqa: E402

folder = sys.argv[1]
out = {}
for name in sorted(os.listdir(folder)):
    if not name.endswith(".desktop"):
        continue
    try:
        info = Gio.DesktopAppInfo.new_from_filename(os.path.join(folder, name))
    except TypeError:  # PyGObject's word for a constructor returning NULL
        info = None
    if info is None:
        out[name] = {"loaded": False, "shown": False, "name": ""}
        continue
    out[name] = {
        "loaded": True,
        "shown": bool(info.should_show() and not info.get_is_hidden()),
        "name": info.get_name() or "",
    }
json.dump(out, sys.stdout, ensure_ascii=False)
