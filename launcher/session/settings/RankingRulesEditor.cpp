#include "launcher/session/settings/RankingRulesEditor.h"

namespace trovi {

RankingRulesEditor::RankingRulesEditor(const SearchRankingSettingsStore& store)
    : m_store(&store), m_rules(store.load().extensionBoostRules()), m_saved(m_rules) {}

std::optional<QString> RankingRulesEditor::validationMessage() const {
    return SearchRankingSettingsStore::validationMessage(m_rules);
}

bool RankingRulesEditor::canSave() const {
    return !validationMessage() && m_rules != m_saved;
}

QUuid RankingRulesEditor::addRule() {
    ExtensionBoostRule rule{QUuid::createUuid(), QString(), 0};
    m_rules.append(rule);
    return rule.id;
}

void RankingRulesEditor::removeRule(const QUuid& id) {
    m_rules.removeIf([&](const ExtensionBoostRule& rule) { return rule.id == id; });
}

void RankingRulesEditor::setSuffix(const QUuid& id, const QString& suffix) {
    for (ExtensionBoostRule& rule : m_rules)
        if (rule.id == id)
            rule.suffix = suffix;
}

void RankingRulesEditor::setBoost(const QUuid& id, std::int64_t boost) {
    for (ExtensionBoostRule& rule : m_rules)
        if (rule.id == id)
            rule.boost = boost;
}

bool RankingRulesEditor::save() {
    if (!canSave())
        return false;
    m_store->save(m_rules);
    m_rules = m_store->load().extensionBoostRules();
    m_saved = m_rules;
    return true;
}

void RankingRulesEditor::resetToDefaults() {
    m_store->save(m_store->defaultExtensionBoostRules());
    m_rules = m_store->load().extensionBoostRules();
    m_saved = m_rules;
}

} // namespace trovi
