// The Notion search's HTTP exchange over QtNetwork, built as the
// trovi-notion-http module that NotionClient loads at its first search.

#include "launcher/clients/notion/NotionTransport.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>

namespace trovi {

namespace {

struct Exchange {
    QByteArray body;
    bool answered = false;
};

class NotionHttpTransport final : public NotionTransport {
public:
    void post(const NotionTransportRequest& request, Completion done) override {
        QNetworkRequest networkRequest(request.endpoint);
        for (const auto& [name, value] : request.headers)
            networkRequest.setRawHeader(name, value);
        networkRequest.setTransferTimeout(request.timeoutMs);
        // The token is for this server only: a redirect ends the search.
        networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                    QNetworkRequest::ManualRedirectPolicy);
        QNetworkReply* reply = m_manager.post(networkRequest, request.body);
        auto exchange = std::make_shared<Exchange>();
        // One answer per search: from the end of the reply, the body cap or
        // the deadline, whichever comes first. The deadline answers even
        // while a huge header is still being read, and abort() finishing
        // the reply at once finds the answer already given.
        auto answer = [reply, exchange, done](const NotionReply& received) {
            if (exchange->answered)
                return;
            exchange->answered = true;
            done(received);
            reply->abort();
        };
        QTimer::singleShot(request.timeoutMs, reply, [answer] { answer({}); });
        QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, exchange, answer] {
            exchange->body += reply->readAll();
            if (exchange->body.size() > kNotionMaxReplyBytes)
                answer({200, {}, exchange->body});
        });
        QObject::connect(reply, &QNetworkReply::finished, reply, [reply, exchange, answer] {
            reply->deleteLater();
            if (exchange->answered)
                return;
            NotionReply received;
            received.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            const bool redirect = received.status >= 300 && received.status < 400;
            // A refused, timed-out or aborted exchange has nothing to read.
            if (reply->error() != QNetworkReply::NoError && !redirect)
                received = {};
            else {
                received.headers = reply->rawHeaderPairs();
                received.body = exchange->body + reply->readAll();
            }
            answer(received);
        });
    }

private:
    // Replies are its children: they go with the transport, unanswered.
    QNetworkAccessManager m_manager;
};

} // namespace

} // namespace trovi

extern "C" Q_DECL_EXPORT trovi::NotionTransport* trovi_notion_transport_v1() {
    return new trovi::NotionHttpTransport;
}
