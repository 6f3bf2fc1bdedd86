#pragma once
// Stable usage keys for shortcut files: the address a link file points to, so
// that two link files holding the same address share their learned usage.

#include <QByteArray>
#include <QString>

#include <optional>

namespace trovi {

// By the lower-cased suffix: "url", "gsheet", "gdoc", "gslides" give the value
// of the first "URL=" line (any letter case); "webloc" gives the "URL" string
// of its property list (XML or binary). Anything else, an unreadable or
// malformed file, or an empty address: nothing.
std::optional<QString> shortcutUsageKey(const QString& filePath);

// The same for contents already read, by the file name's suffix.
std::optional<QString> shortcutUsageKeyFromContents(const QString& filename,
                                                    const QByteArray& contents);

// Whether a file name has one of the suffixes shortcutUsageKey understands.
bool hasShortcutUsageKeySuffix(const QString& filename);

} // namespace trovi
