#pragma once
// The rows a translation command shows: the translations in each direction,
// a placeholder while they are looked up, and a row that opens the web
// dictionary. Pure functions, apart from the lookup of one language pair,
// which runs the engines and may block for their time limits.

#include "launcher/engine/model/SearchResult.h"
#include "launcher/clients/TranslationCommand.h"
#include "launcher/clients/translation/TranslationLookup.h"

#include <QList>

#include <functional>
#include <optional>

namespace trovi {

// One direction to translate; rank 0 is the preferred one.
struct TranslationPairCandidate {
    QString sourceLanguageCode;
    QString targetLanguageCode;
    int rank = 0;

    friend bool operator==(const TranslationPairCandidate&,
                           const TranslationPairCandidate&) = default;
};

// Inferred languages may have been guessed the wrong way round, so both
// directions are tried; a named pair is tried as named.
QList<TranslationPairCandidate> translationPairCandidates(const TranslationCommand& command);
// "apple>argos"; Argos alone when the list is empty.
QString translationEngineSignature(const QList<TranslationEngineID>& engines);
QString translationCacheKey(const TranslationPairCandidate& candidate,
                            const QString& engineSignature, const QString& sourceText);
// "EN <-> DE" for inferred languages, "EN -> DE" for a named pair.
QString translationPairLabel(const TranslationCommand& command);
QString translationFallbackLink(const TranslationCommand& command);

SearchResult lexWebActionResult(const TranslationCommand& command);
SearchResult pendingTranslationActionResult(const TranslationCommand& command);
SearchResult translationCopyActionResult(const TranslationCommand& command,
                                         const TranslationPairCandidate& candidate,
                                         const TranslationLookupResult& result,
                                         const std::optional<QString>& engineNote);
SearchResult translationDictionaryFallbackActionResult(const TranslationCommand& command,
                                                       const TranslationPairCandidate& candidate);
SearchResult translationUnavailableActionResult(const TranslationCommand& command,
                                                const TranslationPairCandidate& candidate);

// Duplicates dropped, then ordered by score (openCount), then title.
QList<SearchResult> mergedTranslationRows(const QList<SearchResult>& rows);
QList<SearchResult> appendingLexWebRowIfNeeded(const SearchResult& lexWebRow,
                                               QList<SearchResult> rows);

// Names the first engine ranked above `used` that is unavailable, if any.
std::optional<QString> unavailableHigherPriorityEngineNote(
    TranslationEngineID used, QList<TranslationEngineID> engines,
    const std::function<TranslationEngineAvailability(TranslationEngineID)>& availability);

// A single lower-case word: German nouns are capitalised, so one that came
// back unchanged is worth a second try as a noun.
bool shouldRetryWithLeadingCapitalization(const QString& text);

// Runs the engines for one candidate and builds its rows (blocking).
QList<SearchResult> lookUpTranslationRows(TranslationEngines& engines,
                                          const TranslationCommand& command,
                                          const TranslationPairCandidate& candidate,
                                          const QList<TranslationEngineID>& engineOrder);

} // namespace trovi
