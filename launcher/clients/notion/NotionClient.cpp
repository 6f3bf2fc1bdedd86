#include "launcher/clients/notion/NotionClient.h"

#include "launcher/clients/notion/NotionResponse.h"
#include "launcher/clients/notion/NotionTransport.h"

#include <cstdio>

namespace trovi {

namespace {

constexpr auto kSearchPath = "/v1/search";

// Owns the transport, loaded on the network thread at the first search. A
// module that cannot be loaded is said once; every search then answers empty.
class NotionNetworkWorker : public QObject {
public:
    explicit NotionNetworkWorker(QString modulePath) : m_modulePath(std::move(modulePath)) {}

    NotionTransport* transport() {
        if (!m_loaded) {
            m_loaded = true;
            NotionTransportLoad load = loadNotionTransport(m_modulePath);
            if (!load.transport)
                std::fprintf(stderr, "trovi: Notion search is unavailable: %s\n",
                             load.error.toUtf8().constData());
            m_transport = std::move(load.transport);
        }
        return m_transport.get();
    }

private:
    QString m_modulePath;
    bool m_loaded = false;
    std::unique_ptr<NotionTransport> m_transport;
};

} // namespace

NotionClientConfiguration NotionClientConfiguration::fromEnvironment() {
    NotionClientConfiguration configuration;
    configuration.apiBaseURL = notionSearchEndpoint(
        configuration.apiBaseURL, qEnvironmentVariable("TROVI_NOTION_API_URL").trimmed());
    configuration.apiBaseURL.setPath(QString());
    return configuration;
}

QUrl notionSearchEndpoint(const QUrl& base, const QString& override) {
    QUrl source = base;
    if (!override.isEmpty()) {
        const QUrl candidate(override, QUrl::StrictMode);
        if (candidate.isValid() && !candidate.host().isEmpty() &&
            (candidate.scheme() == QStringLiteral("http") ||
             candidate.scheme() == QStringLiteral("https")))
            source = candidate;
    }
    QUrl endpoint;
    endpoint.setScheme(source.scheme());
    endpoint.setHost(source.host());
    endpoint.setPort(source.port());
    endpoint.setPath(QString::fromLatin1(kSearchPath));
    return endpoint;
}

NotionClient::NotionClient(NotionClientConfiguration configuration)
    : m_configuration(std::move(configuration)),
      m_endpoint(notionSearchEndpoint(m_configuration.apiBaseURL)) {
    auto* worker = new NotionNetworkWorker(m_configuration.transportModule);
    worker->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, worker, &QObject::deleteLater);
    m_worker = worker;
    m_thread.setObjectName(QStringLiteral("trovi-notion"));
    m_thread.start();
}

NotionClient::~NotionClient() {
    // Replies still running are dropped with the network manager; their
    // completions never run.
    m_thread.quit();
    m_thread.wait();
}

void NotionClient::searchPages(const QString& query, const QString& token, QObject* context,
                               Completion done) {
    QPointer<QObject> receiver(context);
    auto deliver = [receiver, done](QList<NotionPage> pages) {
        if (!receiver)
            return;
        QMetaObject::invokeMethod(
            receiver.data(), [done, pages = std::move(pages)] { done(pages); },
            Qt::QueuedConnection);
    };
    NotionTransportRequest request;
    request.endpoint = m_endpoint;
    request.headers = {{"Authorization", "Bearer " + token.toUtf8()},
                       {"Notion-Version", "2022-06-28"},
                       {"Content-Type", "application/json"}};
    request.body = notionSearchRequestBody(query);
    request.timeoutMs = int(m_configuration.timeoutSeconds * 1000);

    auto* worker = static_cast<NotionNetworkWorker*>(m_worker.data());
    QMetaObject::invokeMethod(
        worker,
        [worker, request, deliver] {
            NotionTransport* transport = worker->transport();
            if (!transport) {
                deliver({});
                return;
            }
            transport->post(request, [deliver](const NotionReply& reply) {
                const NotionSearchOutcome outcome = readSearchReply(reply);
                if (!outcome.error.isEmpty())
                    std::fprintf(stderr, "trovi: %s\n", outcome.error.toUtf8().constData());
                deliver(outcome.pages);
            });
        },
        Qt::QueuedConnection);
}

} // namespace trovi
