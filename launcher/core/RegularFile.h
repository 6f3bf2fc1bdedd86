#pragma once
// Reading files that other programs and other people put on the disk: a
// browser profile, a desktop entry, a link file in Downloads. Each is opened
// without blocking and its type checked on the open descriptor, so a FIFO in
// its place cannot hang a search and a link to /dev/zero cannot fill the
// memory; each format has a size past which it is not what it claims to be.

#include <QByteArray>
#include <QString>

#include <optional>

namespace trovi {

namespace file_caps {
inline constexpr qint64 linkFile = 1024 * 1024;              // .url, .webloc: a few hundred bytes
inline constexpr qint64 settingsFile = 1024 * 1024;          // ini files, desktop entries
inline constexpr qint64 bookmarkFile = 64 * 1024 * 1024;     // a browser's bookmark list
inline constexpr qint64 browserDatabase = 512 * 1024 * 1024; // places.sqlite and its log
} // namespace file_caps

// The contents of `path` if it is a regular file of at most `maxBytes`.
// Missing or unreadable: nothing, quietly. Another kind of file or one over
// the cap: nothing, and one line on standard error the first time this
// process meets that path.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes);

// Copies the regular file `source` (at most `maxBytes`) to a new file
// `destination`, created private and never through a link. Missing: false
// with an empty `error`. A special or oversized source, or a copy that fails
// (a full disk), false with the reason in `error`.
bool copyRegularFile(const QString& source, const QString& destination, qint64 maxBytes,
                     QString* error);

// Says `line` on standard error unless the same line was said before by this
// process: refreshes repeat every few seconds and one warning is enough.
void warnOnce(const QString& line);

} // namespace trovi
