#pragma once
// Files for tests that set up a folder tree: write one (making its folders)
// and read one back.

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace trovi::test {

// False when the file could not be written whole.
inline bool writeFile(const QString& path, const QByteArray& content = {}) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace trovi::test
