#pragma once
// What Apertium has installed and how the launcher talks to it: the language
// directions ("modes") on this machine, the launcher's two-letter codes
// mapped to the names Apertium's pairs use ("en" is "eng" in eng-spa, "en" in
// en-gl), the Debian package that brings a missing pair, and the text framing
// of its stream format.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace trovi::apertium {

// $APERTIUM_DATADIR, else /usr/share/apertium.
QString defaultDataDirectory();
// The installed directions ("eng-spa", "spa-eng_US"), sorted: the modes
// folder when it exists, else what `program -l` lists.
QStringList installedModes(const QString& dataDirectory, const QString& program);

// The names a language may carry in a mode: "en" -> "en", "eng". Regions are
// dropped ("pt-br" -> "pt", "por").
QStringList codeAliases(const QString& languageCode);
// The mode translating `source` into `target`; a plain one ("eng-spa") is
// preferred to a regional variant ("spa-eng_US").
std::optional<QString> modeForPair(const QStringList& modes, const QString& source,
                                   const QString& target);
// The Debian package with that pair ("apertium-eng-spa"), if Debian has one.
std::optional<QString> debianPackageForPair(const QString& source, const QString& target);

// The text as one unformatted request: stream characters escaped, line breaks
// and control characters as spaces.
QByteArray escapedForStream(const QString& text);
// The reply as a person reads it: escapes undone and the marks of unknown
// words (*, @, #) dropped, unless the source text itself used that character.
QString cleanedTranslation(const QByteArray& reply, const QString& sourceText);

} // namespace trovi::apertium
