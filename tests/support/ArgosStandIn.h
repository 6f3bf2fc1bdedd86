#pragma once
// A stand-in for the `argostranslate` Python package: the few calls the helper
// makes, with translations that are easy to recognise ("[de] hello"). Put the
// directory on PYTHONPATH. Special texts trigger the helper's failure paths:
// "boom" raises, "blank" translates to white space, text starting "slow" takes a minute;
// "fr" has no pairs. `loadSeconds` makes listing the languages take that long,
// as loading real models does.

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace trovi::test {

class ArgosStandIn {
public:
    explicit ArgosStandIn(int loadSeconds = 0) {
        QDir(m_dir.path()).mkpath("argostranslate");
        write("argostranslate/__init__.py", "");
        write("argostranslate/translate.py", "LOAD_SECONDS = " + QByteArray::number(loadSeconds) +
                                                 R"PY(
import time


class _Translation:
    def __init__(self, source, target):
        self.source, self.target = source, target

    def translate(self, text):
        if text == "boom":
            raise RuntimeError("model failure")
        if text == "blank":
            return "   "
        if text.startswith("slow"):
            time.sleep(60)
        return "[" + self.target + "] " + text


class _Language:
    def __init__(self, code):
        self.code = code

    def get_translation(self, to):
        return None if self.code == "fr" else _Translation(self.code, to.code)


def get_installed_languages():
    time.sleep(LOAD_SECONDS)
    return [_Language(code) for code in ("en", "de", "fr")]
)PY");
    }

    QString path() const { return m_dir.path(); }

private:
    void write(const QString& name, const QByteArray& text) {
        QFile file(QDir(m_dir.path()).filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
    }
    QTemporaryDir m_dir;
};

} // namespace trovi::test
