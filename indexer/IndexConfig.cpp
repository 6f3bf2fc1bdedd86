#include "indexer/IndexConfig.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace trovi::indexer {

namespace {

QStringList readLines(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    // A config file is a few lines; anything huge is not ours.
    return QString::fromUtf8(in.read(1 << 20)).split(u'\n');
}

std::optional<Error> writeLines(const QString& file, QStringList lines) {
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Text))
        return Error{QStringLiteral("cannot write ") + file + u": " + out.errorString()};
    if (lines.isEmpty())
        lines << QStringLiteral("# Folders trovi-index reads besides Documents, Desktop and "
                                "Download: add PATH, remove PATH, max-size-mb N");
    out.write((lines.join(u'\n') + u'\n').toUtf8());
    if (!out.commit())
        return Error{QStringLiteral("cannot write ") + file + u": " + out.errorString()};
    return std::nullopt;
}

// "add /a b" -> ("add", "/a b")
std::pair<QString, QString> split(const QString& line) {
    const QString trimmed = line.trimmed();
    const qsizetype space = trimmed.indexOf(u' ');
    if (trimmed.startsWith(u'#') || space < 0)
        return {trimmed, QString()};
    return {trimmed.left(space), QDir::cleanPath(trimmed.sliced(space + 1).trimmed())};
}

} // namespace

QString IndexConfig::defaultConfigFile(const QString& configHome) {
    return QDir(configHome).filePath(QStringLiteral("trovi-launcher/indexer.conf"));
}

QStringList IndexConfig::defaultRoots(const QString& home, const QString& configHome) {
    QHash<QString, QString> folders{{"XDG_DOCUMENTS_DIR", home + "/Documents"},
                                    {"XDG_DESKTOP_DIR", home + "/Desktop"},
                                    {"XDG_DOWNLOAD_DIR", home + "/Downloads"}};
    // Lines like XDG_DOCUMENTS_DIR="$HOME/Dokumente" (xdg-user-dirs' format).
    for (const QString& line : readLines(QDir(configHome).filePath("user-dirs.dirs"))) {
        const qsizetype equals = line.indexOf(u'=');
        const QString key = line.left(equals).trimmed();
        if (equals < 0 || !folders.contains(key))
            continue;
        QString value = line.sliced(equals + 1).trimmed();
        if (value.size() < 2 || !value.startsWith(u'"') || !value.endsWith(u'"'))
            continue;
        value = value.sliced(1, value.size() - 2);
        if (value.startsWith(QStringLiteral("$HOME")))
            value = home + value.sliced(5);
        else if (!value.startsWith(u'/'))
            continue;
        folders.insert(key, QDir::cleanPath(value));
    }
    QStringList roots;
    for (const char* key : {"XDG_DOCUMENTS_DIR", "XDG_DESKTOP_DIR", "XDG_DOWNLOAD_DIR"}) {
        const QString folder = folders.value(QString::fromLatin1(key));
        if (folder != QDir::cleanPath(home) && !roots.contains(folder))
            roots << folder;
    }
    return roots;
}

IndexConfig IndexConfig::load(const QString& configFile, const QString& home,
                              const QString& configHome, QStringList* warnings) {
    IndexConfig config;
    config.roots = defaultRoots(home, configHome);
    int number = 0;
    for (const QString& line : readLines(configFile)) {
        ++number;
        const auto [keyword, value] = split(line);
        if (keyword.isEmpty() || keyword.startsWith(u'#'))
            continue;
        if (keyword == u"add" && value.startsWith(u'/')) {
            if (!config.roots.contains(value))
                config.roots << value;
        } else if (keyword == u"remove" && value.startsWith(u'/')) {
            config.roots.removeAll(value);
        } else if (keyword == u"max-size-mb" && value.toLongLong() > 0) {
            config.maxFileBytes = std::min<std::int64_t>(value.toLongLong(), 1 << 20) << 20;
        } else if (warnings) {
            *warnings << QStringLiteral("%1:%2: not understood: %3")
                             .arg(configFile)
                             .arg(number)
                             .arg(line.trimmed());
        }
    }
    return config;
}

std::optional<Error> IndexConfig::addRoot(const QString& configFile, const QString& path,
                                          const QStringList& defaults) {
    QStringList lines = readLines(configFile);
    lines.removeIf([&](const QString& line) {
        const auto [keyword, value] = split(line);
        return (keyword == u"remove" || keyword == u"add") && value == path;
    });
    if (!defaults.contains(path))
        lines << QStringLiteral("add ") + path;
    return writeLines(configFile, lines);
}

std::optional<Error> IndexConfig::removeRoot(const QString& configFile, const QString& path,
                                             const QStringList& defaults) {
    QStringList lines = readLines(configFile);
    lines.removeIf([&](const QString& line) {
        const auto [keyword, value] = split(line);
        return (keyword == u"remove" || keyword == u"add") && value == path;
    });
    if (defaults.contains(path))
        lines << QStringLiteral("remove ") + path;
    return writeLines(configFile, lines);
}

} // namespace trovi::indexer
