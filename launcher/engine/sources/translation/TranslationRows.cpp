#include "launcher/engine/sources/translation/TranslationRows.h"

#include "launcher/engine/ranking/NameCollation.h"

#include <QSet>

#include <algorithm>

namespace trovi {

namespace {

const QString kSeparator = QStringLiteral(" \u00b7 ");

QString lowerTrimmed(const QString& text) {
    return text.trimmed().toLower();
}

SearchResult actionRow(const QString& identity, const QString& title, const QString& subtitle,
                       const QString& snippet, SearchResultAction action, const QString& url) {
    SearchResult row;
    row.id = stableNegativeID(identity);
    row.filename = title;
    row.directory = subtitle;
    row.snippet = snippet;
    row.kind = SearchResultKind::action;
    row.action = action;
    row.actionURLString = url;
    return row;
}

QString candidatePair(const TranslationPairCandidate& candidate) {
    return candidate.sourceLanguageCode + u':' + candidate.targetLanguageCode;
}

QString candidateLabel(const TranslationPairCandidate& candidate) {
    return candidate.sourceLanguageCode.toUpper() + QStringLiteral(" -> ") +
           candidate.targetLanguageCode.toUpper();
}

std::int64_t translationScore(const QString& sourceText, const QString& translation, int rank) {
    const std::int64_t changed = lowerTrimmed(translation) != lowerTrimmed(sourceText) ? 120 : 0;
    return changed + std::max(0, 20 - 10 * rank);
}

QList<TranslationEngineID> orArgos(QList<TranslationEngineID> engines) {
    if (engines.isEmpty())
        engines = {TranslationEngineID::argos};
    return engines;
}

std::optional<TranslationLookupResult> capitalizedRetry(TranslationEngines& engines,
                                                        const TranslationCommand& command,
                                                        const TranslationPairCandidate& candidate,
                                                        const QList<TranslationEngineID>& order) {
    if (candidate.sourceLanguageCode != u"de")
        return std::nullopt;
    const QString text = command.sourceText.trimmed();
    if (!shouldRetryWithLeadingCapitalization(text))
        return std::nullopt;
    const QString variant = text.left(1).toUpper() + text.mid(1);
    if (variant == text)
        return std::nullopt;
    auto result = translation::runEngineChain(engines, variant, candidate.sourceLanguageCode,
                                              candidate.targetLanguageCode, orArgos(order));
    if (!result || translation::isSameText(result->text, command.sourceText))
        return std::nullopt;
    return result;
}

} // namespace

QList<TranslationPairCandidate> translationPairCandidates(const TranslationCommand& command) {
    QList<TranslationPairCandidate> candidates{
        {command.sourceLanguageCode, command.targetLanguageCode, 0}};
    if (!command.usesExplicitLanguagePair &&
        command.sourceLanguageCode != command.targetLanguageCode)
        candidates.append({command.targetLanguageCode, command.sourceLanguageCode, 1});
    return candidates;
}

QString translationEngineSignature(const QList<TranslationEngineID>& engines) {
    QStringList names;
    for (const TranslationEngineID engine : orArgos(engines))
        names << rawValue(engine);
    return names.join(u'>');
}

QString translationCacheKey(const TranslationPairCandidate& candidate,
                            const QString& engineSignature, const QString& sourceText) {
    return candidate.sourceLanguageCode + QStringLiteral("->") + candidate.targetLanguageCode +
           u'|' + engineSignature + u'|' + lowerTrimmed(sourceText);
}

QString translationPairLabel(const TranslationCommand& command) {
    return command.sourceLanguageCode.toUpper() +
           (command.usesExplicitLanguagePair ? QStringLiteral(" -> ") : QStringLiteral(" <-> ")) +
           command.targetLanguageCode.toUpper();
}

QString translationFallbackLink(const TranslationCommand& command) {
    return translation::lexWebFallbackURLString(command).value_or(
        translation::webDictionaryBaseURL);
}

SearchResult lexWebActionResult(const TranslationCommand& command) {
    QString link = translationFallbackLink(command);
    if (!link.contains(u'#'))
        link += QStringLiteral("#lexweb");
    const QString& name = translation::webDictionaryName;
    return actionRow(
        QStringLiteral("action://translation/lexweb/") + command.sourceLanguageCode + u':' +
            command.targetLanguageCode + u'/' + lowerTrimmed(command.sourceText),
        QStringLiteral("Search ") + name,
        translationPairLabel(command) + kSeparator + QStringLiteral("Enter opens ") + name,
        command.sourceText, SearchResultAction::openBrowserFavorite, link);
}

SearchResult pendingTranslationActionResult(const TranslationCommand& command) {
    return actionRow(QStringLiteral("action://translation/pending/") + command.trigger + u'/' +
                         command.sourceText,
                     command.sourceText,
                     translationPairLabel(command) + kSeparator +
                         QStringLiteral("Translating locally...") + kSeparator +
                         QStringLiteral("Enter opens ") + translation::webDictionaryName,
                     command.sourceText, SearchResultAction::openBrowserFavorite,
                     translationFallbackLink(command));
}

SearchResult translationCopyActionResult(const TranslationCommand& command,
                                         const TranslationPairCandidate& candidate,
                                         const TranslationLookupResult& result,
                                         const std::optional<QString>& engineNote) {
    QString subtitle = candidateLabel(candidate) + QStringLiteral(" via ") + result.engineName;
    if (engineNote)
        subtitle += kSeparator + *engineNote;
    subtitle += kSeparator + QStringLiteral("Enter copies");
    SearchResult row =
        actionRow(QStringLiteral("action://translation/copy/") + candidatePair(candidate) + u'/' +
                      lowerTrimmed(command.sourceText) + u'/' + lowerTrimmed(result.text),
                  result.text, subtitle, command.sourceText, SearchResultAction::copyToClipboard,
                  result.text);
    row.openCount = translationScore(command.sourceText, result.text, candidate.rank);
    return row;
}

SearchResult translationDictionaryFallbackActionResult(const TranslationCommand& command,
                                                       const TranslationPairCandidate& candidate) {
    const QString& name = translation::webDictionaryName;
    return actionRow(QStringLiteral("action://translation/unchanged/") + candidatePair(candidate) +
                         u'/' + command.sourceText.toLower(),
                     QStringLiteral("Search ") + name + QStringLiteral(" for alternatives"),
                     candidateLabel(candidate) + kSeparator +
                         QStringLiteral("Local result unchanged") + kSeparator +
                         QStringLiteral("Enter opens ") + name,
                     command.sourceText, SearchResultAction::openBrowserFavorite,
                     translationFallbackLink(command));
}

SearchResult translationUnavailableActionResult(const TranslationCommand& command,
                                                const TranslationPairCandidate& candidate) {
    return actionRow(QStringLiteral("action://translation/fallback/") + candidatePair(candidate) +
                         u'/' + command.sourceText.toLower(),
                     command.sourceText,
                     candidateLabel(candidate) + kSeparator +
                         QStringLiteral("Local engine unavailable") + kSeparator +
                         QStringLiteral("Enter opens ") + translation::webDictionaryName,
                     command.sourceText, SearchResultAction::openBrowserFavorite,
                     translationFallbackLink(command));
}

QList<SearchResult> mergedTranslationRows(const QList<SearchResult>& rows) {
    QList<SearchResult> merged;
    QSet<QString> seen;
    for (const SearchResult& row : rows) {
        const QString key = (row.action ? toString(*row.action) : QStringLiteral("none")) + u'|' +
                            row.actionURLString.value_or(QString()) + u'|' +
                            row.directory.toLower();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        merged.append(row);
    }
    std::stable_sort(merged.begin(), merged.end(),
                     [](const SearchResult& a, const SearchResult& b) {
                         if (a.openCount != b.openCount)
                             return a.openCount > b.openCount;
                         return compareNames(a.filename, b.filename) < 0;
                     });
    return merged;
}

QList<SearchResult> appendingLexWebRowIfNeeded(const SearchResult& lexWebRow,
                                               QList<SearchResult> rows) {
    const bool present = std::any_of(rows.begin(), rows.end(), [&](const SearchResult& row) {
        return row.action == SearchResultAction::openBrowserFavorite &&
               row.filename == lexWebRow.filename &&
               row.actionURLString == lexWebRow.actionURLString;
    });
    if (!present)
        rows.append(lexWebRow);
    return rows;
}

std::optional<QString> unavailableHigherPriorityEngineNote(
    TranslationEngineID used, QList<TranslationEngineID> engines,
    const std::function<TranslationEngineAvailability(TranslationEngineID)>& availability) {
    engines = orArgos(engines);
    const qsizetype position = engines.indexOf(used);
    if (position <= 0)
        return std::nullopt;
    for (qsizetype i = 0; i < position; ++i) {
        const TranslationEngineID engine = engines.at(i);
        const TranslationEngineAvailability state = availability(engine);
        if (state.isAvailable)
            continue;
        if (!state.rowNote.isEmpty())
            return state.rowNote;
#ifdef Q_OS_MACOS
        if (engine == TranslationEngineID::apple)
            return displayName(engine) + QStringLiteral(" unavailable on this macOS");
#endif
        return displayName(engine) + QStringLiteral(" unavailable");
    }
    return std::nullopt;
}

bool shouldRetryWithLeadingCapitalization(const QString& text) {
    if (text.isEmpty())
        return false;
    if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); }))
        return false;
    const QChar first = text.at(0);
    return first.isLetter() && first == first.toLower();
}

QList<SearchResult> lookUpTranslationRows(TranslationEngines& engines,
                                          const TranslationCommand& command,
                                          const TranslationPairCandidate& candidate,
                                          const QList<TranslationEngineID>& engineOrder) {
    const auto result =
        translation::runEngineChain(engines, command.sourceText, candidate.sourceLanguageCode,
                                    candidate.targetLanguageCode, orArgos(engineOrder));
    if (!result)
        return {translationUnavailableActionResult(command, candidate)};
    auto rowFor = [&](const TranslationLookupResult& found) {
        const auto note = unavailableHigherPriorityEngineNote(
            found.engineID, engineOrder, [&](TranslationEngineID id) {
                return engines.pairAvailability(id, candidate.sourceLanguageCode,
                                                candidate.targetLanguageCode);
            });
        return translationCopyActionResult(command, candidate, found, note);
    };
    if (!translation::isSameText(result->text, command.sourceText))
        return {rowFor(*result)};
    if (const auto retried = capitalizedRetry(engines, command, candidate, engineOrder))
        return {rowFor(*retried)};
    return {rowFor(*result), translationDictionaryFallbackActionResult(command, candidate)};
}

} // namespace trovi
