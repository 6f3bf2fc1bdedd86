#pragma once
// Case-insensitive comparison of result names under the user's locale: the
// last tie-break of every result ordering in the launcher.

#include <QCollator>
#include <QStringView>

namespace trovi {

// One collator per thread (QCollator is reentrant, not thread-safe), built on
// the system locale with case-insensitive comparison.
const QCollator& nameCollator();

// Negative, zero or positive as a sorts before, with, or after b.
inline int compareNames(QStringView a, QStringView b) {
    return nameCollator().compare(a, b);
}

} // namespace trovi
