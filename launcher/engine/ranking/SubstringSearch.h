#pragma once
// Fast exact search for a short UTF-16 needle in a long haystack, used to scan
// a whole catalogue's names at once.

#include <QStringView>

namespace trovi {

// Position of the first occurrence of needle in haystack at or after from, or
// -1. An empty needle is found at from.
qsizetype findSubstring(QStringView haystack, qsizetype from, QStringView needle);

} // namespace trovi
