#include "launcher/engine/ranking/SearchRankingPreferences.h"

#include "launcher/engine/ranking/NameCollation.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace trovi {

namespace {

// Web-link and cloud-document wrappers hide the name the user knows the file
// by ("Budget.gsheet.url" is found as "budget"), whatever the rules say.
const QStringList& builtInStrippedSuffixes() {
    static const QStringList suffixes = {
        QStringLiteral(".gsheet.url"), QStringLiteral(".gdoc.url"), QStringLiteral(".gslides.url"),
        QStringLiteral(".url"),        QStringLiteral(".webloc"),   QStringLiteral(".gsheet"),
        QStringLiteral(".gdoc"),       QStringLiteral(".gslides"),
    };
    return suffixes;
}

QString encodedCacheKey(const QList<ExtensionBoostRule>& rules) {
    QJsonArray descriptors;
    for (const ExtensionBoostRule& rule : rules) {
        // QJsonObject keeps its keys sorted, so each object reads boost, suffix.
        QJsonObject descriptor;
        descriptor.insert(QStringLiteral("suffix"), rule.suffix);
        descriptor.insert(QStringLiteral("boost"), static_cast<qint64>(rule.boost));
        descriptors.append(descriptor);
    }
    return QString::fromLatin1(
        QJsonDocument(descriptors).toJson(QJsonDocument::Compact).toBase64());
}

} // namespace

qsizetype characterCount(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

SearchRankingPreferences::SearchRankingPreferences(QList<ExtensionBoostRule> extensionBoostRules)
    : m_rules(std::move(extensionBoostRules)) {
    struct Ranked {
        ExtensionBoostRule rule;
        qsizetype length;
    };
    QList<Ranked> ranked;
    ranked.reserve(m_rules.size());
    for (const ExtensionBoostRule& rule : m_rules)
        ranked.append({rule, characterCount(rule.suffix)});
    std::stable_sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
        if (a.length != b.length)
            return a.length > b.length;
        return compareNames(a.rule.suffix, b.rule.suffix) < 0;
    });
    m_longestMatchFirst.reserve(ranked.size());
    for (const Ranked& entry : ranked)
        m_longestMatchFirst.append(entry.rule);

    QStringList suffixes;
    for (const ExtensionBoostRule& rule : m_rules)
        suffixes.append(rule.suffix);
    suffixes.append(builtInStrippedSuffixes());
    suffixes.removeDuplicates();
    QList<std::pair<qsizetype, QString>> bySize;
    bySize.reserve(suffixes.size());
    for (const QString& suffix : suffixes)
        bySize.append({characterCount(suffix), suffix});
    std::sort(bySize.begin(), bySize.end(), [](const auto& a, const auto& b) {
        if (a.first != b.first)
            return a.first > b.first;
        return a.second < b.second;
    });
    m_sortedSuffixes.reserve(bySize.size());
    for (const auto& entry : bySize)
        m_sortedSuffixes.append(entry.second);

    m_cacheKey = encodedCacheKey(m_longestMatchFirst);
}

std::int64_t SearchRankingPreferences::extensionBoost(const SearchResult& result) const {
    if (result.kind == SearchResultKind::action)
        return 0;
    const QString name = result.filename.toLower();
    for (const ExtensionBoostRule& rule : m_longestMatchFirst)
        if (name.endsWith(rule.suffix))
            return rule.boost;
    return 0;
}

bool SearchRankingPreferences::operator==(const SearchRankingPreferences& other) const {
    // The other members are derived from the rules.
    return m_rules == other.m_rules;
}

} // namespace trovi
