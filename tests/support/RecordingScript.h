#pragma once
// A small executable shell script that records how it was started: its
// arguments one per line, and its working folder. It writes atomically, so a
// test waiting for the record never reads half of it.

#include "tests/support/Files.h"

#include <QStringList>

namespace trovi::test {

class RecordingScript {
public:
    RecordingScript(const QString& folder, const QString& name)
        : path_(QDir(folder).filePath(name)), record_(path_ + QStringLiteral(".args")),
          workingDir_(path_ + QStringLiteral(".pwd")) {
        const QByteArray record = quoted(record_);
        const QByteArray pwd = quoted(workingDir_);
        writeFile(path_, "#!/bin/sh\npwd > " + pwd + ".tmp && mv " + pwd + ".tmp " + pwd +
                             "\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " + record +
                             ".tmp\nmv " + record + ".tmp " + record + "\n");
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString path() const { return path_; }
    bool ran() const { return QFile::exists(record_); }

    // The arguments of the last run; empty before it has run.
    QStringList arguments() const { return lines(record_); }
    QString workingDir() const { return lines(workingDir_).value(0); }

private:
    static QByteArray quoted(const QString& path) {
        QByteArray q = path.toUtf8();
        q.replace('\'', "'\\''");
        return '\'' + q + '\'';
    }
    static QStringList lines(const QString& path) {
        QString text = QString::fromUtf8(readFile(path));
        if (text.isEmpty())
            return {};
        if (text.endsWith(u'\n'))
            text.chop(1);
        return text.split(u'\n');
    }

    QString path_;
    QString record_;
    QString workingDir_;
};

} // namespace trovi::test
