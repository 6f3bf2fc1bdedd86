#include "launcher/clients/TranslationSettingsStores.h"

#include "launcher/clients/TranslationCommand.h"

namespace trovi {

// Trigger

QString TranslationCommandSettingsStore::loadTrigger() const {
    const QString fallback(defaultTrigger);
    const QString stored = m_preferences->stringValue(translationTriggerKey).value_or(fallback);
    return TranslationCommandParser::normalizeTrigger(stored, fallback);
}

QString TranslationCommandSettingsStore::saveTrigger(const QString& rawTrigger) const {
    const QString normalized =
        TranslationCommandParser::normalizeTrigger(rawTrigger, QString(defaultTrigger));
    m_preferences->setString(translationTriggerKey, normalized);
    return normalized;
}

// Language list

QStringList TranslationLanguageSettingsStore::defaultLanguageCodes() {
    return {QStringLiteral("en"), QStringLiteral("de")};
}

QString TranslationLanguageSettingsStore::normalizeLanguageCode(const QString& code) {
    return TranslationCommandParser::normalizedLanguageCode(code);
}

QStringList TranslationLanguageSettingsStore::normalizedLanguageCodes(const QStringList& codes) {
    QStringList normalized;
    for (const QString& code : codes) {
        if (normalized.size() >= maxLanguageCodes)
            break;
        const QString value = normalizeLanguageCode(code);
        if (!value.isEmpty() && !normalized.contains(value))
            normalized.append(value);
    }
    return normalized;
}

QStringList
TranslationLanguageSettingsStore::normalizedLanguageCodesFromRawValue(const QString& rawValue) {
    return normalizedLanguageCodes(rawValue.split(u',', Qt::SkipEmptyParts));
}

QStringList TranslationLanguageSettingsStore::withMinimumLanguageCount(const QStringList& codes) {
    if (codes.size() >= 2)
        return codes;
    QStringList completed = codes;
    for (const QString& code : normalizedLanguageCodes(defaultLanguageCodes())) {
        if (completed.size() >= 2)
            break;
        if (!completed.contains(code))
            completed.append(code);
    }
    // Only reachable if the defaults themselves were too few.
    for (const QString& code : {QStringLiteral("en"), QStringLiteral("de")}) {
        if (completed.size() >= 2)
            break;
        if (!completed.contains(code))
            completed.append(code);
    }
    return completed.mid(0, maxLanguageCodes);
}

QStringList TranslationLanguageSettingsStore::load() const {
    if (const std::optional<QString> stored = m_preferences->stringValue(languageCodesKey)) {
        const QStringList codes = normalizedLanguageCodesFromRawValue(*stored);
        if (!codes.isEmpty())
            return withMinimumLanguageCount(codes);
    }
    return withMinimumLanguageCount(normalizedLanguageCodes(defaultLanguageCodes()));
}

void TranslationLanguageSettingsStore::save(const QString& rawValue) const {
    QStringList codes = normalizedLanguageCodesFromRawValue(rawValue);
    if (codes.isEmpty())
        codes = normalizedLanguageCodes(defaultLanguageCodes());
    m_preferences->setString(languageCodesKey, withMinimumLanguageCount(codes).join(u','));
}

// Engines

QString rawValue(TranslationEngineID id) {
    switch (id) {
    case TranslationEngineID::apple:
        return QStringLiteral("apple");
    case TranslationEngineID::argos:
        return QStringLiteral("argos");
    case TranslationEngineID::apertium:
        return QStringLiteral("apertium");
    }
    return {};
}

std::optional<TranslationEngineID> translationEngineIDFromRawValue(const QString& value) {
    for (TranslationEngineID id : allTranslationEngineIDs) {
        if (rawValue(id) == value)
            return id;
    }
    return std::nullopt;
}

QString displayName(TranslationEngineID id) {
    switch (id) {
    case TranslationEngineID::apple:
        return QStringLiteral("Apple Translation");
    case TranslationEngineID::argos:
        return QStringLiteral("Argos (local)");
    case TranslationEngineID::apertium:
        return QStringLiteral("Apertium");
    }
    return {};
}

QList<TranslationEngineID> TranslationEnginePreferences::prioritizedEnabledEngineIDs() const {
    QList<TranslationEngineID> prioritized;
    for (TranslationEngineID id : order) {
        if (enabledEngineIDs.contains(id))
            prioritized.append(id);
    }
    return prioritized;
}

QList<TranslationEngineID> TranslationEngineSettingsStore::defaultOrder() {
    return QList<TranslationEngineID>(allTranslationEngineIDs.begin(),
                                      allTranslationEngineIDs.end());
}

QSet<TranslationEngineID> TranslationEngineSettingsStore::defaultEnabled() {
    return QSet<TranslationEngineID>(allTranslationEngineIDs.begin(),
                                     allTranslationEngineIDs.end());
}

std::optional<QList<TranslationEngineID>>
TranslationEngineSettingsStore::parseEngineIDs(const std::optional<QString>& rawValue) {
    if (!rawValue)
        return std::nullopt;
    QList<TranslationEngineID> ids;
    for (const QString& piece : rawValue->split(u',', Qt::SkipEmptyParts)) {
        if (const auto id = translationEngineIDFromRawValue(piece.trimmed().toLower()))
            ids.append(*id);
    }
    if (ids.isEmpty())
        return std::nullopt;
    return ids;
}

QString TranslationEngineSettingsStore::encodeEngineIDs(const QList<TranslationEngineID>& ids) {
    QStringList values;
    for (TranslationEngineID id : ids)
        values.append(rawValue(id));
    return values.join(u',');
}

QList<TranslationEngineID>
TranslationEngineSettingsStore::normalizedEngineOrder(const QList<TranslationEngineID>& order) {
    QList<TranslationEngineID> normalized;
    auto appendMissing = [&normalized](TranslationEngineID id) {
        if (!normalized.contains(id))
            normalized.append(id);
    };
    for (TranslationEngineID id : order)
        appendMissing(id);
    for (TranslationEngineID id : defaultOrder())
        appendMissing(id);
    for (TranslationEngineID id : allTranslationEngineIDs)
        appendMissing(id);
    return normalized;
}

QSet<TranslationEngineID> TranslationEngineSettingsStore::normalizedEnabledEngineIDs(
    const QSet<TranslationEngineID>& enabled) {
    QSet<TranslationEngineID> known;
    for (TranslationEngineID id : allTranslationEngineIDs) {
        if (enabled.contains(id))
            known.insert(id);
    }
    if (!known.isEmpty())
        return known;
    // Translation with every engine switched off would look broken; fall back.
    const QSet<TranslationEngineID> defaults = defaultEnabled();
    return defaults.isEmpty() ? QSet<TranslationEngineID>{TranslationEngineID::argos} : defaults;
}

TranslationEnginePreferences TranslationEngineSettingsStore::load() const {
    const QList<TranslationEngineID> order =
        parseEngineIDs(m_preferences->stringValue(orderKey)).value_or(defaultOrder());
    QSet<TranslationEngineID> enabled = defaultEnabled();
    if (const auto parsed = parseEngineIDs(m_preferences->stringValue(enabledKey)))
        enabled = QSet<TranslationEngineID>(parsed->begin(), parsed->end());
    return {normalizedEngineOrder(order), normalizedEnabledEngineIDs(enabled)};
}

void TranslationEngineSettingsStore::save(const QList<TranslationEngineID>& order,
                                          const QSet<TranslationEngineID>& enabled) const {
    const TranslationEnginePreferences normalized{normalizedEngineOrder(order),
                                                  normalizedEnabledEngineIDs(enabled)};
    m_preferences->setString(orderKey, encodeEngineIDs(normalized.order));
    m_preferences->setString(enabledKey, encodeEngineIDs(normalized.prioritizedEnabledEngineIDs()));
}

std::optional<TranslationCommand>
translationCommandFromSettings(const QString& query, PreferenceStore& preferences,
                               const LanguageRecognizer& recognizer) {
    const QStringList codes = TranslationLanguageSettingsStore(preferences).load();
    return TranslationCommandParser::parse(
        query, TranslationCommandSettingsStore(preferences).loadTrigger(),
        QSet<QString>(codes.begin(), codes.end()), recognizer);
}

} // namespace trovi
