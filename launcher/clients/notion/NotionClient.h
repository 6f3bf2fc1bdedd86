#pragma once
// NotionClient: the HTTP exchange with Notion's search endpoint. One network
// thread owns the transport, loaded from its module at the first search;
// callers never wait for it and get their answer on their own thread. Every
// failure (refused connection, timeout, status other than 200, unreadable
// body, no module) is an empty list; a redirect, an oversized answer or a
// module that cannot be loaded also says so on standard error.

#include "launcher/clients/notion/NotionPage.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <QUrl>

#include <functional>

namespace trovi {

struct NotionClientConfiguration {
    // Scheme, host and port of the API; the path is always "/v1/search".
    QUrl apiBaseURL = defaultAPIBaseURL();
    double timeoutSeconds = 4.0;
    // The HTTP module's file; empty: the standard places (loadNotionTransport).
    QString transportModule = {};

    static QUrl defaultAPIBaseURL() { return QUrl(QStringLiteral("https://api.notion.com")); }
    // The configuration with TROVI_NOTION_API_URL (tests, proxies) applied.
    static NotionClientConfiguration fromEnvironment();
};

// The search endpoint: the base's scheme, host and port, then "/v1/search".
// A usable `override` address replaces the base.
QUrl notionSearchEndpoint(const QUrl& base, const QString& override = {});

class NotionClient {
public:
    using Completion = std::function<void(QList<NotionPage>)>;

    explicit NotionClient(NotionClientConfiguration configuration = {});
    ~NotionClient();
    NotionClient(const NotionClient&) = delete;
    NotionClient& operator=(const NotionClient&) = delete;

    const NotionClientConfiguration& configuration() const { return m_configuration; }

    // Starts one search and returns at once. `done` runs on `context`'s
    // thread, and not at all once `context` or this client is gone.
    void searchPages(const QString& query, const QString& token, QObject* context, Completion done);

private:
    NotionClientConfiguration m_configuration;
    QUrl m_endpoint;
    QThread m_thread;
    QPointer<QObject> m_worker; // lives on m_thread
};

} // namespace trovi
