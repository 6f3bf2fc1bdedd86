#pragma once
// SearchRankingSettingsStore: the user's file-suffix boost rules in the
// preference store, with their normalisation, the built-in defaults and the
// checks the settings screen runs before saving.

#include "launcher/engine/ranking/SearchRankingPreferences.h"
#include "launcher/settings/PreferenceStore.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

namespace trovi {

class SearchRankingSettingsStore {
public:
    explicit SearchRankingSettingsStore(
        PreferenceStore& defaults,
        QString extensionBoostRulesKey = QStringLiteral("launcherExtensionBoostRules"),
        std::int64_t minimumBoost = -200, std::int64_t maximumBoost = 500);

    // The store on the standard preference store.
    static SearchRankingSettingsStore& standard();

    PreferenceStore& defaults() const { return *m_defaults; }
    const QString& extensionBoostRulesKey() const { return m_key; }
    std::int64_t minimumBoost() const { return m_minimumBoost; }
    std::int64_t maximumBoost() const { return m_maximumBoost; }
    // .gsheet 140, .gdoc 120, .url 320, .webloc 320, .app 120, .pdf 40, .txt 10,
    // with identifiers made when the store was built.
    const QList<ExtensionBoostRule>& defaultExtensionBoostRules() const { return m_defaultRules; }

    // The stored rules, normalised; the defaults when nothing usable is stored.
    // An empty stored list stays empty: the user removed every rule.
    SearchRankingPreferences load() const;

    // Normalises and stores the rules.
    void save(const QList<ExtensionBoostRule>& extensionBoostRules) const;

    // What keeps the settings screen from saving, if anything.
    static std::optional<QString> validationMessage(const QList<ExtensionBoostRule>& rules);

    // " *.PDF " -> ".pdf"; nothing when no suffix is left.
    static std::optional<QString> normalizedSuffix(const QString& suffix);

    // Drops blank suffixes, clamps boosts into [minimumBoost, maximumBoost];
    // a repeated suffix replaces the earlier rule in the earlier rule's place.
    QList<ExtensionBoostRule>
    normalizedExtensionBoostRules(const QList<ExtensionBoostRule>& rules) const;

    // The JSON array the rules are stored as, and its strict decoding (every
    // object needs "id", "suffix" and an integral "boost").
    static QByteArray encodedRules(const QList<ExtensionBoostRule>& rules);
    static std::optional<QList<ExtensionBoostRule>> decodedRules(const QByteArray& data);

private:
    PreferenceStore* m_defaults;
    QString m_key;
    std::int64_t m_minimumBoost;
    std::int64_t m_maximumBoost;
    QList<ExtensionBoostRule> m_defaultRules;
};

} // namespace trovi
