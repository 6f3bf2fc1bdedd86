#pragma once
// Typed file-system paths as results: a query that is itself an absolute
// path, "~" path, quoted path or file:// URL gives one result for that item.

#include "launcher/engine/model/SearchResult.h"
#include "launcher/engine/usage/UsageKeyProvider.h"

#include <QString>

#include <optional>

namespace trovi {

// The absolute, cleaned path the text names, or nothing for relative paths
// and empty text. Handles surrounding quotes of either kind, a leading "~" or
// "~/" and file:// URLs with percent escapes. Does not look at the disk.
std::optional<QString> resolveDirectPath(const QString& text, const QString& homeDirectory);

// The result for the item the query names, if it exists: kind app for a
// ".app" bundle, folder for a directory, file otherwise; open count 0 (the
// caller applies learned counts).
std::optional<SearchResult> directPathResult(const QString& query, const QString& homeDirectory,
                                             const UsageKeyProvider& usageKeyFor);

} // namespace trovi
