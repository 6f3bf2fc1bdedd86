#include "launcher/clients/notion/NotionSettingsStore.h"

#include "launcher/settings/PreferenceKeys.h"

namespace trovi {

namespace keys = preferenceKeys;

NotionSettingsStore& NotionSettingsStore::standard() {
    static NotionSettingsStore instance(PreferenceStore::standard());
    return instance;
}

QString NotionSettingsStore::storedToken() const {
    return m_defaults->stringValue(keys::notionIntegrationToken).value_or(QString());
}

std::optional<bool> NotionSettingsStore::storedEnabled() const {
    return m_defaults->boolValue(keys::notionSearchEnabled);
}

bool NotionSettingsStore::loadEnabled() const {
    return storedEnabled().value_or(hasToken());
}

void NotionSettingsStore::saveToken(const QString& token) const {
    m_defaults->setString(keys::notionIntegrationToken, token);
}

void NotionSettingsStore::saveEnabled(bool enabled) const {
    m_defaults->setBool(keys::notionSearchEnabled, enabled);
}

} // namespace trovi
