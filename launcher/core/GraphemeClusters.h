#pragma once
// User-perceived characters (grapheme clusters) of a text, and the character
// classes the calculator and the translation parser test them against.

#include <QString>
#include <QStringList>

namespace trovi {

// The text split into grapheme clusters, in order; empty text gives an empty list.
QStringList graphemeClusters(const QString& text);

// Classes of one cluster, decided by its first code point (a base letter with
// combining marks is still a letter).
bool isLetterCluster(QStringView cluster);
bool isNumericCluster(QStringView cluster);

} // namespace trovi
