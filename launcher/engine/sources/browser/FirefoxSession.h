#pragma once
// The open tabs in Firefox's running-session file,
// `sessionstore-backups/recovery.jsonlz4`: "mozLz40\0", the decompressed size
// (32-bit little-endian), then one LZ4 block of JSON with windows, their tabs,
// and each tab's history entries with the 1-based index of the current one.

#include "launcher/engine/sources/browser/BrowserSessionTab.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace trovi {

// Past this a session is not what it claims to be (real ones are a few MB).
inline constexpr qint64 maxFirefoxSessionBytes = 64 * 1024 * 1024;

// The JSON inside a mozLz4 file; nothing for another format, a size over
// `maxBytes`, or a block that does not decompress to exactly that size.
std::optional<QByteArray> decompressMozLz4(QByteArrayView data,
                                           qint64 maxBytes = maxFirefoxSessionBytes);

// Each open tab's current entry; closed windows and closed tabs are kept in
// lists of their own and are not tabs.
QList<BrowserSessionTab> parseFirefoxSessionJson(const QByteArray& json);

// Both steps; nothing for a file that is not a readable session.
QList<BrowserSessionTab> parseFirefoxSession(QByteArrayView data);

} // namespace trovi
