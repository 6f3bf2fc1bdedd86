#include "launcher/clients/TranslationCommand.h"

#include "launcher/core/GraphemeClusters.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace trovi {

namespace {

const QString kDefaultTrigger = QStringLiteral("cc");
constexpr qsizetype kMaxTriggerLength = 12;

// Splits at the first run of white space: ("cc", "en:de hello"). The second
// part is absent when the text holds no white space after its first word.
struct SplitText {
    QString first;
    std::optional<QString> rest;
};

SplitText splitAtFirstWhitespaceRun(const QString& text) {
    qsizetype start = 0;
    while (start < text.size() && text.at(start).isSpace())
        ++start;
    qsizetype end = start;
    while (end < text.size() && !text.at(end).isSpace())
        ++end;
    SplitText split{text.mid(start, end - start), std::nullopt};
    qsizetype restStart = end;
    while (restStart < text.size() && text.at(restStart).isSpace())
        ++restStart;
    if (restStart < text.size())
        split.rest = text.mid(restStart);
    return split;
}

QString alphabeticallyFirst(const QSet<QString>& codes, const QString& excluded = {}) {
    QStringList sorted(codes.begin(), codes.end());
    std::sort(sorted.begin(), sorted.end());
    for (const QString& code : sorted) {
        if (code != excluded)
            return code;
    }
    return {};
}

} // namespace

QString TranslationCommandParser::normalizeTrigger(const QString& raw, const QString& fallback) {
    QString normalized;
    qsizetype kept = 0;
    for (const QString& cluster : graphemeClusters(raw.trimmed().toLower())) {
        if (kept == kMaxTriggerLength)
            break;
        if (isLetterCluster(cluster) || isNumericCluster(cluster) || cluster == u"-" ||
            cluster == u"_") {
            normalized += cluster;
            ++kept;
        }
    }
    return normalized.isEmpty() ? fallback : normalized;
}

QString TranslationCommandParser::normalizedLanguageCode(const QString& code) {
    QString normalized;
    for (const QString& cluster : graphemeClusters(code.trimmed().toLower())) {
        if (isLetterCluster(cluster) || cluster == u"-")
            normalized += cluster;
    }
    return normalized;
}

QSet<QString>
TranslationCommandParser::normalizedSupportedLanguageCodes(const QSet<QString>& codes) {
    QSet<QString> normalized;
    for (const QString& code : codes) {
        QString value = normalizedLanguageCode(code);
        if (!value.isEmpty())
            normalized.insert(std::move(value));
    }
    return normalized;
}

std::optional<LanguagePair>
TranslationCommandParser::parseLanguagePairToken(const QString& token,
                                                 const QSet<QString>& supportedLanguageCodes) {
    const QStringList pieces = token.split(u':', Qt::KeepEmptyParts);
    if (pieces.size() != 2)
        return std::nullopt;
    const QString source = normalizedLanguageCode(pieces.at(0));
    const QString target = normalizedLanguageCode(pieces.at(1));
    if (source.isEmpty() || target.isEmpty() || source == target)
        return std::nullopt;
    if (!supportedLanguageCodes.contains(source) || !supportedLanguageCodes.contains(target))
        return std::nullopt;
    return LanguagePair{source, target};
}

bool TranslationCommandParser::isLanguagePairToken(const QString& token) {
    const QStringList pieces = token.split(u':', Qt::KeepEmptyParts);
    return pieces.size() == 2 && !normalizedLanguageCode(pieces.at(0)).isEmpty() &&
           !normalizedLanguageCode(pieces.at(1)).isEmpty();
}

QString
TranslationCommandParser::inferredSourceLanguageCode(const QString& text,
                                                     const QSet<QString>& supportedLanguageCodes,
                                                     const LanguageRecognizer& recognizer) {
    if (recognizer) {
        if (const std::optional<QString> recognized = recognizer(text)) {
            const QString code = recognized->toLower();
            if (supportedLanguageCodes.contains(code))
                return code;
        }
    }
    // Umlauts and sharp s are a strong hint of German when recognition fails
    // (short words, names).
    static const QRegularExpression germanLetters(QStringLiteral("[äöüß]"));
    if (supportedLanguageCodes.contains(QStringLiteral("de")) && text.contains(germanLetters))
        return QStringLiteral("de");
    if (supportedLanguageCodes.contains(QStringLiteral("en")))
        return QStringLiteral("en");
    if (!supportedLanguageCodes.isEmpty())
        return alphabeticallyFirst(supportedLanguageCodes);
    return QStringLiteral("en");
}

QString
TranslationCommandParser::inferredTargetLanguageCode(const QString& sourceLanguageCode,
                                                     const QSet<QString>& supportedLanguageCodes) {
    const QString en = QStringLiteral("en");
    const QString de = QStringLiteral("de");
    if (sourceLanguageCode == en && supportedLanguageCodes.contains(de))
        return de;
    if (sourceLanguageCode == de && supportedLanguageCodes.contains(en))
        return en;
    if (sourceLanguageCode != en && supportedLanguageCodes.contains(en))
        return en;
    const QString other = alphabeticallyFirst(supportedLanguageCodes, sourceLanguageCode);
    return other.isEmpty() ? sourceLanguageCode : other;
}

std::optional<TranslationCommand>
TranslationCommandParser::parse(const QString& query, const QString& trigger,
                                const QSet<QString>& supportedLanguageCodes,
                                const LanguageRecognizer& recognizer) {
    const QSet<QString> supported = normalizedSupportedLanguageCodes(supportedLanguageCodes);
    if (supported.size() < 2)
        return std::nullopt;
    const QString normalizedTrigger = normalizeTrigger(trigger, kDefaultTrigger);

    const QString trimmed = query.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    // The trigger must stand alone: "cc" and "cchello" are ordinary queries.
    const SplitText command = splitAtFirstWhitespaceRun(trimmed);
    if (command.first.toLower() != normalizedTrigger || !command.rest)
        return std::nullopt;
    const QString rest = command.rest->trimmed();
    if (rest.isEmpty())
        return std::nullopt;

    const SplitText arguments = splitAtFirstWhitespaceRun(rest);
    if (const std::optional<LanguagePair> pair =
            parseLanguagePairToken(arguments.first, supported)) {
        const QString text = arguments.rest.value_or(QString()).trimmed();
        if (text.isEmpty())
            return std::nullopt;
        return TranslationCommand{normalizedTrigger, text, pair->sourceLanguageCode,
                                  pair->targetLanguageCode, true};
    }
    // A pair naming an unconfigured or repeated language: offer nothing rather
    // than translating "en:fr" as if it were text.
    if (isLanguagePairToken(arguments.first))
        return std::nullopt;

    const QString source = inferredSourceLanguageCode(rest, supported, recognizer);
    return TranslationCommand{normalizedTrigger, rest, source,
                              inferredTargetLanguageCode(source, supported), false};
}

} // namespace trovi
