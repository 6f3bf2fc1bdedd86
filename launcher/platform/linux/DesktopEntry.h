#pragma once
// DesktopEntry: the keys of a freedesktop ".desktop" file that launching needs,
// read with the format's value escapes and localised names applied.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace trovi::platform {

struct DesktopEntry {
    QString filePath;     // where the entry was read from, for %k
    QString type;         // "Application", "Link", "Directory", or empty when absent
    QString name;         // localised for the current language when a translation exists
    QString genericName;  // localised too: "Web Browser"
    QStringList keywords; // localised too
    QString icon;
    QString exec;       // still quoted, field codes not yet expanded
    QString url;        // for Type=Link
    QString workingDir; // the Path key
    bool terminal = false;
    bool hidden = false;    // Hidden: deleted by the user
    bool noDisplay = false; // NoDisplay: not for menus or launchers
    QString tryExec;
    QStringList onlyShowIn;
    QStringList notShowIn;
};

// Parses the [Desktop Entry] group. localeName has the POSIX form
// lang_COUNTRY@MODIFIER (any part but lang may be missing). Nothing when the
// group is absent.
std::optional<DesktopEntry> parseDesktopEntry(const QByteArray& content, const QString& filePath,
                                              const QString& localeName);

// Reads and parses the file, localising for the user's message language.
// Nothing when the file cannot be read or has no [Desktop Entry] group.
std::optional<DesktopEntry> readDesktopEntry(const QString& filePath);

// The user's message language from LC_ALL, LC_MESSAGES or LANG, without the
// encoding ("de_DE.UTF-8@euro" gives "de_DE@euro").
QString currentMessageLocale();

} // namespace trovi::platform
