# Trovi's Argos Translate helper: one JSON request per input line
# ({"id", "source", "target", "text"}), one JSON reply per line in request
# order ({"id", "ok": true, "text"} or {"id", "ok": false, "error"}). The id is
# echoed so the launcher can drop a reply that arrives after it stopped waiting.
import json
import sys

try:
    import argostranslate.translate as argos
except Exception:
    argos = None

languages = {}
if argos is not None:
    try:
        for language in argos.get_installed_languages():
            languages[language.code] = language
    except Exception:
        languages = {}
translations = {}


def reply(request_id, fields):
    if request_id is not None:
        fields["id"] = request_id
    line = json.dumps(fields, ensure_ascii=False) + "\n"
    sys.stdout.buffer.write(line.encode("utf-8"))
    sys.stdout.buffer.flush()


def fail(request_id, code):
    reply(request_id, {"ok": False, "error": code})


def handle(line):
    try:
        request = json.loads(line)
    except ValueError:
        return fail(None, "bad_json")
    if not isinstance(request, dict):
        return fail(None, "invalid_request")
    request_id = request.get("id")
    source = request.get("source")
    target = request.get("target")
    text = request.get("text")
    if not all(isinstance(value, str) for value in (source, target, text)):
        return fail(request_id, "invalid_request")
    if argos is None:
        return fail(request_id, "module_missing")
    key = source + "->" + target
    translation = translations.get(key)
    if translation is None:
        if source not in languages or target not in languages:
            return fail(request_id, "language_not_installed")
        try:
            translation = languages[source].get_translation(languages[target])
        except Exception:
            translation = None
        if translation is None:
            return fail(request_id, "pair_not_installed")
        translations[key] = translation
    try:
        result = translation.translate(text).strip()
    except Exception:
        return fail(request_id, "translate_failed")
    if not result:
        return fail(request_id, "empty_translation")
    reply(request_id, {"ok": True, "text": result})


for raw in sys.stdin.buffer:
    line = raw.decode("utf-8", "replace").strip()
    if line:
        handle(line)
