#include "launcher/platform/linux/DesktopEntry.h"

#include "launcher/core/RegularFile.h"
#include "launcher/platform/linux/DesktopEntryExec.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>

namespace trovi::platform {

namespace {

// The escapes the format defines for string values: \s \n \t \r \\.
// Other backslashes stay, because Exec gives them their own meaning.
QString unescapeValue(QStringView raw) {
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c != u'\\' || i + 1 == raw.size()) {
            out.append(c);
            continue;
        }
        const QChar next = raw[i + 1];
        switch (next.unicode()) {
        case u's':
            out.append(u' ');
            break;
        case u'n':
            out.append(u'\n');
            break;
        case u't':
            out.append(u'\t');
            break;
        case u'r':
            out.append(u'\r');
            break;
        case u'\\':
            out.append(u'\\');
            break;
        default:
            out.append(c);
            out.append(next);
            break;
        }
        ++i;
    }
    return out;
}

// Locale keys to try, best first, for each name of a colon-separated list:
// lang_COUNTRY@MODIFIER, lang_COUNTRY, lang@MODIFIER, lang. The encoding of
// a name ("de_DE.UTF-8") is dropped.
QStringList localeCandidates(const QString& localeNames) {
    QStringList out;
    for (QString lang : localeNames.split(u':', Qt::SkipEmptyParts)) {
        QString modifier;
        if (const qsizetype at = lang.indexOf(u'@'); at >= 0) {
            modifier = lang.mid(at + 1);
            lang.truncate(at);
        }
        if (const qsizetype dot = lang.indexOf(u'.'); dot >= 0)
            lang.truncate(dot);
        QString country;
        if (const qsizetype underscore = lang.indexOf(u'_'); underscore >= 0) {
            country = lang.mid(underscore + 1);
            lang.truncate(underscore);
        }
        if (lang.isEmpty() || lang == u"C" || lang == u"POSIX")
            break; // the untranslated values come next anyway
        if (!country.isEmpty() && !modifier.isEmpty())
            out << lang + u'_' + country + u'@' + modifier;
        if (!country.isEmpty())
            out << lang + u'_' + country;
        if (!modifier.isEmpty())
            out << lang + u'@' + modifier;
        out << lang;
    }
    out.removeDuplicates();
    return out;
}

// A list value ("a;b;c;") split at its semicolons; "\\;" is a literal one.
QStringList splitList(const QString& raw) {
    QStringList items;
    QString current;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c == u'\\' && i + 1 < raw.size() && raw[i + 1] == u';') {
            current.append(u';');
            ++i;
        } else if (c == u';') {
            if (!current.trimmed().isEmpty())
                items.append(current.trimmed());
            current.clear();
        } else {
            current.append(c);
        }
    }
    if (!current.trimmed().isEmpty())
        items.append(current.trimmed());
    return items;
}

} // namespace

std::optional<DesktopEntry> parseDesktopEntry(const QByteArray& content, const QString& filePath,
                                              const QString& localeName) {
    QHash<QString, QString> keys;
    const QStringList candidates = localeCandidates(localeName);
    QSet<QByteArray> wantedLocales;
    for (const QString& candidate : candidates)
        wantedLocales.insert(candidate.toUtf8());
    bool inEntryGroup = false;
    bool sawEntryGroup = false;
    for (QByteArray rawLine : content.split('\n')) {
        if (rawLine.endsWith('\r'))
            rawLine.chop(1);
        // Most lines of a real entry are translations into other languages:
        // they are dropped before being decoded.
        const qsizetype open = rawLine.indexOf('[');
        const qsizetype rawEq = rawLine.indexOf('=');
        if (inEntryGroup && open > 0 && rawEq > open) {
            const qsizetype close = rawLine.lastIndexOf(']', rawEq);
            if (close > open &&
                !wantedLocales.contains(rawLine.mid(open + 1, close - open - 1).trimmed()))
                continue;
        }
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            // Only the first group named "Desktop Entry" counts; actions and
            // vendor groups carry their own Exec keys.
            inEntryGroup = !sawEntryGroup && line == u"[Desktop Entry]";
            sawEntryGroup = sawEntryGroup || inEntryGroup;
            continue;
        }
        if (!inEntryGroup)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        // The first occurrence of a key wins, as a duplicate is an error anyway.
        if (!keys.contains(key))
            keys.insert(key, unescapeValue(QStringView(line).mid(eq + 1).trimmed()));
    }
    if (!sawEntryGroup)
        return std::nullopt;

    DesktopEntry entry;
    entry.filePath = filePath;
    entry.type = keys.value(QStringLiteral("Type"));
    auto localised = [&](const QString& key) {
        for (const QString& candidate : candidates) {
            const auto it = keys.constFind(key + u'[' + candidate + u']');
            if (it != keys.constEnd())
                return *it;
        }
        return keys.value(key);
    };
    entry.untranslatedName = keys.value(QStringLiteral("Name"));
    entry.name = localised(QStringLiteral("Name"));
    entry.genericName = localised(QStringLiteral("GenericName"));
    entry.comment = localised(QStringLiteral("Comment"));
    entry.values = keys;
    // Keywords in the user's language first, then the untranslated ones, so
    // that an English word still finds the entry on a German desktop.
    // A real entry has a few dozen; a hostile one could carry a hundred
    // thousand, which every search would then scan.
    constexpr qsizetype kMaxKeywords = 256;
    QSet<QString> seenKeywords;
    for (const QString& list :
         {localised(QStringLiteral("Keywords")), keys.value(QStringLiteral("Keywords"))}) {
        for (const QString& keyword : splitList(list)) {
            if (entry.keywords.size() == kMaxKeywords)
                break;
            if (!seenKeywords.contains(keyword)) {
                seenKeywords.insert(keyword);
                entry.keywords.append(keyword);
            }
        }
    }
    entry.noDisplay = keys.value(QStringLiteral("NoDisplay")) == u"true";
    entry.hidden = keys.value(QStringLiteral("Hidden")) == u"true";
    entry.icon = keys.value(QStringLiteral("Icon"));
    entry.exec = keys.value(QStringLiteral("Exec"));
    entry.url = keys.value(QStringLiteral("URL"));
    entry.workingDir = keys.value(QStringLiteral("Path"));
    entry.terminal = keys.value(QStringLiteral("Terminal")) == u"true";
    return entry;
}

QStringList DesktopEntry::list(const QString& key) const {
    return splitList(values.value(key));
}

bool DesktopEntry::isShownIn(const QStringList& currentDesktops) const {
    auto anyListed = [&](const QStringList& listed) {
        return std::any_of(currentDesktops.cbegin(), currentDesktops.cend(),
                           [&](const QString& desktop) { return listed.contains(desktop); });
    };
    const QStringList onlyShowIn = list(QStringLiteral("OnlyShowIn"));
    if (!onlyShowIn.isEmpty() && !anyListed(onlyShowIn))
        return false;
    return !anyListed(list(QStringLiteral("NotShowIn")));
}

namespace {

bool programFound(const QString& program) {
    if (program.isEmpty())
        return false;
    const QString path = program.contains(u'/') ? program : QStandardPaths::findExecutable(program);
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && info.isExecutable();
}

} // namespace

bool DesktopEntry::tryExecFound() const {
    const QString tryExec = values.value(QStringLiteral("TryExec"));
    return tryExec.isEmpty() || programFound(tryExec);
}

bool DesktopEntry::programsFound() const {
    if (!tryExecFound())
        return false;
    // Like GLib: an entry whose program is gone (its package removed, the
    // user's copy left behind) cannot start, so it is not offered.
    if (exec.trimmed().isEmpty())
        return true;
    const auto arguments = splitExecLine(exec);
    return arguments && !arguments->isEmpty() && programFound(arguments->first());
}

namespace {

std::optional<DesktopEntry> readDesktopEntry(const QString& filePath, const QString& localeName) {
    const std::optional<QByteArray> contents = readRegularFile(filePath, file_caps::settingsFile);
    if (!contents)
        return std::nullopt;
    return parseDesktopEntry(*contents, filePath, localeName);
}

} // namespace

std::optional<DesktopEntry> readDesktopEntry(const QString& filePath) {
    return readDesktopEntry(filePath, currentMessageLocale());
}

void forEachDesktopEntry(
    const QStringList& applicationDirectories, const QString& localeName,
    const std::function<void(const DesktopEntry& entry, const QString& desktopID)>& visit) {
    QSet<QString> seenIDs;
    for (const QString& root : applicationDirectories) {
        const QDir rootDir(root);
        QDirIterator it(root, {QStringLiteral("*.desktop")}, QDir::Files | QDir::Readable,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QString desktopID = rootDir.relativeFilePath(path).replace(u'/', u'-');
            if (seenIDs.contains(desktopID))
                continue;
            seenIDs.insert(desktopID);
            if (const auto entry = readDesktopEntry(path, localeName))
                visit(*entry, desktopID);
        }
    }
}

QStringList currentDesktopNames() {
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts);
}

namespace {

// The locale messages are shown in: LC_ALL, else LC_MESSAGES, else LANG.
QString messageLocaleVariable() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return value;
    }
    return {};
}

} // namespace

QString currentMessageLocale() {
    const QString locale = messageLocaleVariable();
    const QString bare = locale.section(u'.', 0, 0).section(u'@', 0, 0);
    // gettext's order: LANGUAGE's list comes first, but only when the locale
    // itself is not C, where it would turn translations on by accident.
    const QString languages = qEnvironmentVariable("LANGUAGE");
    if (!languages.isEmpty() && !bare.isEmpty() && bare != u"C" && bare != u"POSIX")
        return languages;
    return locale;
}

} // namespace trovi::platform
