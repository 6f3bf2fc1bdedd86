#pragma once
// The file-suffix rules being edited in the settings window: the edited copy,
// the last saved copy, and whether Save may run (valid and changed).

#include "launcher/engine/ranking/SearchRankingSettingsStore.h"

#include <optional>

namespace trovi {

class RankingRulesEditor {
public:
    explicit RankingRulesEditor(const SearchRankingSettingsStore& store);

    const QList<ExtensionBoostRule>& rules() const { return m_rules; }
    std::optional<QString> validationMessage() const;
    bool canSave() const;

    // Appends an empty rule and returns its identifier (focus goes to it).
    QUuid addRule();
    void removeRule(const QUuid& id);
    void setSuffix(const QUuid& id, const QString& suffix);
    void setBoost(const QUuid& id, std::int64_t boost);

    // Both store the rules; the caller posts the change notification.
    bool save();
    void resetToDefaults();

private:
    const SearchRankingSettingsStore* m_store;
    QList<ExtensionBoostRule> m_rules;
    QList<ExtensionBoostRule> m_saved;
};

} // namespace trovi
