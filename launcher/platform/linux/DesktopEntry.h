#pragma once
// DesktopEntry: the keys of a freedesktop ".desktop" file that launching needs,
// read with the format's value escapes and localised names applied.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace trovi::platform {

struct DesktopEntry {
    QString filePath;         // where the entry was read from, for %k
    QString type;             // "Application", "Link", "Directory", or empty when absent
    QString name;             // localised for the current language when a translation exists
    QString untranslatedName; // the plain Name key
    QString genericName;      // localised like the name: "Web Browser"
    QString comment;          // localised like the name: "Browse the Web"
    QStringList keywords;     // Keywords, localised like the name
    QString icon;
    QString exec;       // still quoted, field codes not yet expanded
    QString url;        // for Type=Link
    QString workingDir; // the Path key
    bool terminal = false;
    bool noDisplay = false;
    bool hidden = false;
    // Every key of the group with its unescaped value, for the keys above
    // that only some callers need (Categories, OnlyShowIn, X-…).
    QHash<QString, QString> values;

    // A list-valued key ("a;b;c;") split at unescaped semicolons.
    QStringList list(const QString& key) const;
    // Whether OnlyShowIn and NotShowIn let the entry show on one of these
    // desktops (XDG_CURRENT_DESKTOP's names, compared case-sensitively as
    // the menu format says).
    bool isShownIn(const QStringList& currentDesktops) const;
    // False when TryExec names a program that is not installed.
    bool tryExecFound() const;
    // False when TryExec's or Exec's program is not installed.
    bool programsFound() const;
};

// Parses the [Desktop Entry] group. localeName is a colon-separated list,
// best first, of names in the POSIX form lang_COUNTRY.ENCODING@MODIFIER (any
// part but lang may be missing). Nothing when the group is absent.
std::optional<DesktopEntry> parseDesktopEntry(const QByteArray& content, const QString& filePath,
                                              const QString& localeName);

// Reads and parses the file, localising for the user's message language.
// Nothing when the file cannot be read or has no [Desktop Entry] group.
std::optional<DesktopEntry> readDesktopEntry(const QString& filePath);

// Every entry below the folders, once per desktop id (the path below its
// folder with "/" read as "-"): an earlier folder's file hides a later one's
// with the same id. Unreadable files and folders are skipped.
void forEachDesktopEntry(
    const QStringList& applicationDirectories, const QString& localeName,
    const std::function<void(const DesktopEntry& entry, const QString& desktopID)>& visit);

// XDG_CURRENT_DESKTOP split at its colons.
QStringList currentDesktopNames();

// The user's message languages, best first, as a colon-separated list:
// LANGUAGE's (unless the locale is C), else LC_ALL, LC_MESSAGES or LANG.
QString currentMessageLocale();

} // namespace trovi::platform
