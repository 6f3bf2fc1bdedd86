#pragma once
// The logic behind the settings window's Notion section: the switch, the
// token field with its show/hide button, saving on every change and the
// connection test with its status line. The widgets bind to this object.

#include "launcher/clients/notion/NotionSettingsStore.h"

#include <QObject>
#include <QString>

namespace trovi {

class NotificationCenter;
class NotionClient;

namespace notionSettingsTexts {
inline const QString toggle = QStringLiteral("Search Notion Pages");
inline const QString tokenPlaceholder = QStringLiteral("ntn_...");
inline const QString showToken = QStringLiteral("Show token");
inline const QString hideToken = QStringLiteral("Hide token");
inline const QString tokenHint =
    QStringLiteral("Paste your Notion Internal Integration Token to enable search.");
inline const QString integrationsAddress = QStringLiteral("https://www.notion.so/my-integrations");
inline const QString integrationHint = QStringLiteral("Create an integration at ") +
                                       integrationsAddress +
                                       QStringLiteral(", then share your pages with it.");
inline const QString testConnection = QStringLiteral("Test connection");
inline const QString noToken = QStringLiteral("No token provided.");
inline const QString testing = QStringLiteral("Testing...");
inline const QString noPagesMatched = QStringLiteral("Connected (no pages matched \"test\").");
QString connectedStatus(qsizetype pageCount);
} // namespace notionSettingsTexts

class NotionSettingsSection : public QObject {
    Q_OBJECT
public:
    // `notifications` may be null (nothing is announced).
    NotionSettingsSection(PreferenceStore& defaults, NotificationCenter* notifications,
                          NotionClient& client, QObject* parent = nullptr);

    const QString& token() const { return m_token; }
    bool isEnabled() const { return m_enabled; }
    const QString& status() const { return m_status; }
    bool isTokenVisible() const { return m_tokenVisible; }
    QString visibilityButtonTitle() const;

    // Each change is saved at once.
    void setToken(const QString& token);
    void setEnabled(bool enabled);
    void toggleTokenVisibility() { m_tokenVisible = !m_tokenVisible; }

    // Searches for "test" with the trimmed token; the outcome arrives as a
    // status change.
    void testConnection();

Q_SIGNALS:
    void statusChanged(const QString& status);

private:
    void persistSettings();
    void setStatus(const QString& status);

    NotionSettingsStore m_store;
    NotificationCenter* m_notifications;
    NotionClient& m_client;
    QString m_token;
    bool m_enabled;
    bool m_tokenVisible = false;
    QString m_status;
};

} // namespace trovi
