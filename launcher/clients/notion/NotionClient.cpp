#include "launcher/clients/notion/NotionClient.h"

#include "launcher/clients/notion/NotionResponse.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace trovi {

namespace {

constexpr auto kSearchPath = "/v1/search";

// Owns the network manager, created on the network thread on first use.
class NotionNetworkWorker : public QObject {
public:
    QNetworkAccessManager& manager() {
        if (!m_manager)
            m_manager = new QNetworkAccessManager(this);
        return *m_manager;
    }

private:
    QNetworkAccessManager* m_manager = nullptr;
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
    auto* worker = new NotionNetworkWorker;
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
    const int timeoutMs = int(m_configuration.timeoutSeconds * 1000);
    QNetworkRequest request(m_endpoint);
    request.setRawHeader("Authorization", "Bearer " + token.toUtf8());
    request.setRawHeader("Notion-Version", "2022-06-28");
    request.setRawHeader("Content-Type", "application/json");
    request.setTransferTimeout(timeoutMs);
    const QByteArray body = notionSearchRequestBody(query);

    auto* worker = static_cast<NotionNetworkWorker*>(m_worker.data());
    QMetaObject::invokeMethod(
        worker,
        [worker, request, body, timeoutMs, deliver] {
            QNetworkReply* reply = worker->manager().post(request, body);
            // The whole exchange, not just a silent gap, is bounded.
            QTimer::singleShot(timeoutMs, reply, [reply] { reply->abort(); });
            QObject::connect(reply, &QNetworkReply::finished, reply, [reply, deliver] {
                reply->deleteLater();
                const int status =
                    reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
                if (reply->error() != QNetworkReply::NoError || status != 200) {
                    deliver({});
                    return;
                }
                deliver(parseSearchResponse(reply->readAll()));
            });
        },
        Qt::QueuedConnection);
}

} // namespace trovi
