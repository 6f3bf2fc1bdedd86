#pragma once
// Recognises translation queries ("cc hello", "cc en:de hello"): splits off the
// trigger, reads an explicit language pair or infers source and target from the
// text and the user's configured languages. Pure and callable from any thread.

#include <QSet>
#include <QString>

#include <functional>
#include <optional>

namespace trovi {

// Names the dominant language of a text as a code such as "en", or nothing.
// An empty recogniser means none is available.
using LanguageRecognizer = std::function<std::optional<QString>(const QString& text)>;

struct TranslationCommand {
    QString trigger;            // the normalised trigger that matched
    QString sourceText;         // trimmed, never empty
    QString sourceLanguageCode; // normalised
    QString targetLanguageCode; // normalised
    bool usesExplicitLanguagePair = false;

    friend bool operator==(const TranslationCommand&, const TranslationCommand&) = default;
};

struct LanguagePair {
    QString sourceLanguageCode;
    QString targetLanguageCode;

    friend bool operator==(const LanguagePair&, const LanguagePair&) = default;
};

class TranslationCommandParser {
public:
    TranslationCommandParser() = delete;

    // The command in the query, or nothing when the query is not one (the
    // launcher then treats it as an ordinary search). Needs at least two
    // configured languages.
    static std::optional<TranslationCommand> parse(const QString& query, const QString& trigger,
                                                   const QSet<QString>& supportedLanguageCodes,
                                                   const LanguageRecognizer& recognizer = {});

    // Trimmed, lower-cased, only letters, digits, "-" and "_", at most 12
    // characters; the fallback when nothing is left.
    static QString normalizeTrigger(const QString& raw, const QString& fallback);

    // Trimmed, lower-cased, only letters and "-" ("pt-BR" -> "pt-br"); may be empty.
    static QString normalizedLanguageCode(const QString& code);
    static QSet<QString> normalizedSupportedLanguageCodes(const QSet<QString>& codes);

    // "xx:yy" with two different configured codes.
    static std::optional<LanguagePair>
    parseLanguagePairToken(const QString& token, const QSet<QString>& supportedLanguageCodes);
    // Looks like "xx:yy", whether or not the codes are configured.
    static bool isLanguagePairToken(const QString& token);

    static QString inferredSourceLanguageCode(const QString& text,
                                              const QSet<QString>& supportedLanguageCodes,
                                              const LanguageRecognizer& recognizer = {});
    static QString inferredTargetLanguageCode(const QString& sourceLanguageCode,
                                              const QSet<QString>& supportedLanguageCodes);
};

} // namespace trovi
