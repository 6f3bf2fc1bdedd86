#include "launcher/session/settings/NotionSettingsSection.h"

#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/NotificationCenter.h"
#include "launcher/clients/notion/NotionClient.h"

namespace trovi {

QString notionSettingsTexts::connectedStatus(qsizetype pageCount) {
    if (pageCount == 0)
        return noPagesMatched;
    return QStringLiteral("Connected — found %1 page(s).").arg(pageCount);
}

NotionSettingsSection::NotionSettingsSection(PreferenceStore& defaults,
                                             NotificationCenter* notifications,
                                             NotionClient& client, QObject* parent)
    : QObject(parent), m_store(defaults), m_notifications(notifications), m_client(client),
      m_token(m_store.storedToken()), m_enabled(m_store.loadEnabled()) {}

QString NotionSettingsSection::visibilityButtonTitle() const {
    return m_tokenVisible ? notionSettingsTexts::hideToken : notionSettingsTexts::showToken;
}

void NotionSettingsSection::setToken(const QString& token) {
    m_token = token;
    persistSettings();
}

void NotionSettingsSection::setEnabled(bool enabled) {
    m_enabled = enabled;
    persistSettings();
}

void NotionSettingsSection::persistSettings() {
    m_store.saveToken(m_token);
    m_store.saveEnabled(m_enabled);
    setStatus(QString());
    if (m_notifications)
        m_notifications->post(notifications::NotionSettingsChanged);
}

void NotionSettingsSection::testConnection() {
    const QString token = m_token.trimmed();
    if (token.isEmpty()) {
        setStatus(notionSettingsTexts::noToken);
        return;
    }
    setStatus(notionSettingsTexts::testing);
    m_client.searchPages(QStringLiteral("test"), token, this, [this](QList<NotionPage> pages) {
        setStatus(notionSettingsTexts::connectedStatus(pages.size()));
    });
}

void NotionSettingsSection::setStatus(const QString& status) {
    if (status == m_status)
        return;
    m_status = status;
    Q_EMIT statusChanged(m_status);
}

} // namespace trovi
