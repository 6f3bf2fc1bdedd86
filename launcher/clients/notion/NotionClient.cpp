#include "launcher/clients/notion/NotionClient.h"

#include "launcher/clients/notion/NotionResponse.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <cstdio>
#include <memory>

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

struct Exchange {
    QByteArray body;
    bool answered = false;
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
    // The token is for this server only: a redirect ends the search.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    const QByteArray body = notionSearchRequestBody(query);

    auto* worker = static_cast<NotionNetworkWorker*>(m_worker.data());
    QMetaObject::invokeMethod(
        worker,
        [worker, request, body, timeoutMs, deliver] {
            QNetworkReply* reply = worker->manager().post(request, body);
            auto exchange = std::make_shared<Exchange>();
            // One answer per search: from the end of the reply, the body cap or
            // the deadline, whichever comes first. The deadline answers even
            // while a huge header is still being read, and abort() finishing
            // the reply at once finds the answer already given.
            auto answer = [reply, exchange, deliver](const NotionSearchOutcome& outcome) {
                if (exchange->answered)
                    return;
                exchange->answered = true;
                if (!outcome.error.isEmpty())
                    std::fprintf(stderr, "trovi: %s\n", outcome.error.toUtf8().constData());
                deliver(outcome.pages);
                reply->abort();
            };
            QTimer::singleShot(timeoutMs, reply, [answer] { answer({}); });
            QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, exchange, answer] {
                exchange->body += reply->readAll();
                if (exchange->body.size() > kNotionMaxReplyBytes)
                    answer(readSearchReply({200, {}, exchange->body}));
            });
            QObject::connect(reply, &QNetworkReply::finished, reply, [reply, exchange, answer] {
                reply->deleteLater();
                if (exchange->answered)
                    return;
                NotionReply received;
                received.status =
                    reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
                const bool redirect = received.status >= 300 && received.status < 400;
                // A refused, timed-out or aborted exchange has nothing to read.
                if (reply->error() != QNetworkReply::NoError && !redirect)
                    received = {};
                else {
                    received.headers = reply->rawHeaderPairs();
                    received.body = exchange->body + reply->readAll();
                }
                answer(readSearchReply(received));
            });
        },
        Qt::QueuedConnection);
}

} // namespace trovi
