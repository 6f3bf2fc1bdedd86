#pragma once
// The Notion token and on/off switch in the preference store. The token is a
// secret: nothing here prints it, and callers must not either.

#include "launcher/settings/PreferenceStore.h"

#include <QString>

#include <optional>

namespace trovi {

class NotionSettingsStore {
public:
    explicit NotionSettingsStore(PreferenceStore& defaults) : m_defaults(&defaults) {}
    static NotionSettingsStore& standard();

    // The token as entered (empty when absent), and trimmed for use.
    QString storedToken() const;
    QString trimmedToken() const { return storedToken().trimmed(); }
    bool hasToken() const { return !trimmedToken().isEmpty(); }

    // The stored switch; without one, on exactly when a token is stored, so
    // entering a token turns the search on until the user turns it off.
    bool loadEnabled() const;
    std::optional<bool> storedEnabled() const;

    void saveToken(const QString& token) const;
    void saveEnabled(bool enabled) const;

private:
    PreferenceStore* m_defaults;
};

} // namespace trovi
