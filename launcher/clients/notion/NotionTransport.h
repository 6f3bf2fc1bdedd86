#pragma once
// NotionTransport: the HTTP exchange of one Notion search. It lives in a module
// of its own (trovi-notion-http), loaded at the first search, so the launcher
// starts without QtNetwork and the libraries behind it.

#include "launcher/clients/notion/NotionResponse.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

namespace trovi {

struct NotionTransportRequest {
    QUrl endpoint;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    int timeoutMs = 4000;
};

class NotionTransport {
public:
    using Completion = std::function<void(const NotionReply&)>;

    virtual ~NotionTransport() = default;

    // Posts from the calling thread, whose event loop must run; `done` runs
    // there once: with the reply, with an empty reply for a refused exchange
    // or at the deadline, or with the body so far once it passes
    // kNotionMaxReplyBytes. A redirect is answered, never followed. Replies
    // still running when the transport goes never answer.
    virtual void post(const NotionTransportRequest& request, Completion done) = 0;
};

// The module's one entry point: a new transport for the calling thread. The
// symbol's name carries the interface's version, so a module built for
// another one is refused instead of called.
using NotionTransportFactory = NotionTransport* (*)();
inline constexpr char kNotionTransportFactorySymbol[] = "trovi_notion_transport_v1";
inline constexpr char kNotionTransportModuleFile[] = "libtrovi-notion-http.so";

struct NotionTransportLoad {
    std::unique_ptr<NotionTransport> transport;
    QString error; // why there is no transport
};

// Loads the module from `modulePath`, or when it is empty from beside the
// executable (the build tree), then from ../lib/trovi/ (an installed launcher).
NotionTransportLoad loadNotionTransport(const QString& modulePath = {});

} // namespace trovi
