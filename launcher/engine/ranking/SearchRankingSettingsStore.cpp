#include "launcher/engine/ranking/SearchRankingSettingsStore.h"

#include "launcher/core/JsonFields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace trovi {

namespace {

QList<ExtensionBoostRule> builtInRules() {
    const std::pair<const char*, std::int64_t> table[] = {
        {".gsheet", 140}, {".gdoc", 120}, {".url", 320}, {".webloc", 320},
        {".app", 120},    {".pdf", 40},   {".txt", 10},
    };
    QList<ExtensionBoostRule> rules;
    for (const auto& [suffix, boost] : table)
        rules.append({QUuid::createUuid(), QString::fromLatin1(suffix), boost});
    return rules;
}

std::optional<QUuid> uuidFromString(const QJsonValue& value) {
    if (!value.isString())
        return std::nullopt;
    const QString text = value.toString();
    const QUuid uuid = QUuid::fromString(text);
    // fromString answers the nil UUID for garbage, so tell the two apart.
    if (uuid.isNull() && text.compare(QUuid().toString(QUuid::WithoutBraces), Qt::CaseInsensitive))
        return std::nullopt;
    return uuid;
}

std::optional<std::int64_t> integerFromJson(const QJsonValue& value) {
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    // Boosts are integers; 2^63 itself is out of range, hence the strict bound.
    if (!std::isfinite(number) || number != std::trunc(number) || number < -9.2233720368547758e18 ||
        number >= 9.2233720368547758e18)
        return std::nullopt;
    return static_cast<std::int64_t>(number);
}

} // namespace

SearchRankingSettingsStore::SearchRankingSettingsStore(PreferenceStore& defaults,
                                                       QString extensionBoostRulesKey,
                                                       std::int64_t minimumBoost,
                                                       std::int64_t maximumBoost)
    : m_defaults(&defaults), m_key(std::move(extensionBoostRulesKey)), m_minimumBoost(minimumBoost),
      m_maximumBoost(std::max(minimumBoost, maximumBoost)), m_defaultRules(builtInRules()) {}

SearchRankingPreferences SearchRankingSettingsStore::load() const {
    const std::optional<QCborValue> stored = m_defaults->value(m_key);
    if (stored && stored->isByteArray()) {
        if (auto rules = decodedRules(stored->toByteArray()))
            return SearchRankingPreferences(normalizedExtensionBoostRules(*rules));
    }
    // Missing, of another type, or corrupt: the user still gets sensible ranking.
    return SearchRankingPreferences(normalizedExtensionBoostRules(m_defaultRules));
}

void SearchRankingSettingsStore::save(const QList<ExtensionBoostRule>& extensionBoostRules) const {
    m_defaults->setBytes(m_key, encodedRules(normalizedExtensionBoostRules(extensionBoostRules)));
}

std::optional<QString>
SearchRankingSettingsStore::validationMessage(const QList<ExtensionBoostRule>& rules) {
    QList<QString> suffixes;
    for (const ExtensionBoostRule& rule : rules) {
        const auto suffix = normalizedSuffix(rule.suffix);
        if (!suffix)
            return QStringLiteral("Complete or delete empty suffix rules before saving.");
        suffixes.append(*suffix);
    }
    QSet<QString> seen;
    for (const QString& suffix : suffixes) {
        if (seen.contains(suffix))
            return QStringLiteral("Each suffix can only appear once.");
        seen.insert(suffix);
    }
    return std::nullopt;
}

std::optional<QString> SearchRankingSettingsStore::normalizedSuffix(const QString& suffix) {
    QString text = suffix.trimmed().toLower();
    text.remove(u' ');
    qsizetype stars = 0;
    while (stars < text.size() && text[stars] == u'*')
        ++stars;
    text.remove(0, stars);
    if (text.isEmpty())
        return std::nullopt;
    if (!text.startsWith(u'.'))
        text.prepend(u'.');
    if (text == u".")
        return std::nullopt;
    return text;
}

QList<ExtensionBoostRule> SearchRankingSettingsStore::normalizedExtensionBoostRules(
    const QList<ExtensionBoostRule>& rules) const {
    QList<ExtensionBoostRule> normalized;
    QHash<QString, qsizetype> positionOfSuffix;
    for (const ExtensionBoostRule& rule : rules) {
        const auto suffix = normalizedSuffix(rule.suffix);
        if (!suffix)
            continue;
        ExtensionBoostRule clean{rule.id, *suffix,
                                 std::clamp(rule.boost, m_minimumBoost, m_maximumBoost)};
        const auto existing = positionOfSuffix.constFind(*suffix);
        if (existing != positionOfSuffix.cend()) {
            normalized[*existing] = std::move(clean);
        } else {
            positionOfSuffix.insert(*suffix, normalized.size());
            normalized.append(std::move(clean));
        }
    }
    return normalized;
}

QByteArray SearchRankingSettingsStore::encodedRules(const QList<ExtensionBoostRule>& rules) {
    QJsonArray array;
    for (const ExtensionBoostRule& rule : rules) {
        QJsonObject object;
        object.insert(QStringLiteral("id"), rule.id.toString(QUuid::WithoutBraces).toUpper());
        object.insert(QStringLiteral("suffix"), rule.suffix);
        object.insert(QStringLiteral("boost"), static_cast<qint64>(rule.boost));
        array.append(object);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<QList<ExtensionBoostRule>>
SearchRankingSettingsStore::decodedRules(const QByteArray& data) {
    const auto array = json::arrayFromBytes(data);
    if (!array)
        return std::nullopt;
    QList<ExtensionBoostRule> rules;
    for (const QJsonValue& element : *array) {
        if (!element.isObject())
            return std::nullopt;
        const QJsonObject object = element.toObject();
        const auto id = uuidFromString(object.value(QStringLiteral("id")));
        const QJsonValue suffix = object.value(QStringLiteral("suffix"));
        const auto boost = integerFromJson(object.value(QStringLiteral("boost")));
        if (!id || !suffix.isString() || !boost)
            return std::nullopt;
        rules.append({*id, suffix.toString(), *boost});
    }
    return rules;
}

} // namespace trovi
