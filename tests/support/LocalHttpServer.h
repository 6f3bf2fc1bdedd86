#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for tests that talk to web APIs. It
// records every request and answers each with the configured status and body,
// or, when silent, accepts the connection and never answers. Lives on the
// test thread: the test's event loop (QTRY_*, QSignalSpy::wait) drives it.
// Tests that include it link Qt6::Network.

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace trovi::test {

struct ReceivedHttpRequest {
    QByteArray method;
    QByteArray path;
    QHash<QByteArray, QByteArray> headers; // names lower-cased
    QByteArray body;
};

class LocalHttpServer : public QObject {
public:
    LocalHttpServer() {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                m_sockets.append(socket);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            }
        });
        m_server.listen(QHostAddress::LocalHost);
    }

    QString baseURL() const {
        return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
    }
    void stop() {
        m_server.close();
        for (const QPointer<QTcpSocket>& socket : m_sockets) {
            if (socket)
                socket->abort();
        }
    }

    void reply(int status, const QByteArray& body) {
        m_status = status;
        m_body = body;
        m_silent = false;
    }
    void neverAnswer() { m_silent = true; }

    const QList<ReceivedHttpRequest>& requests() const { return m_requests; }

private:
    void read(QTcpSocket* socket) {
        QByteArray& buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        ReceivedHttpRequest request;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request.method = requestLine.value(0);
        request.path = requestLine.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                       lines[i].mid(colon + 1).trimmed());
        }
        const qsizetype length = request.headers.value("content-length").toLongLong();
        if (buffer.size() < headerEnd + 4 + length)
            return;
        request.body = buffer.mid(headerEnd + 4, length);
        m_buffers.remove(socket);
        m_requests.append(request);
        if (m_silent)
            return;
        socket->write("HTTP/1.1 " + QByteArray::number(m_status) +
                      " Test\r\nContent-Type: application/json\r\nContent-Length: " +
                      QByteArray::number(m_body.size()) + "\r\nConnection: close\r\n\r\n" + m_body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QList<QPointer<QTcpSocket>> m_sockets;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QList<ReceivedHttpRequest> m_requests;
    int m_status = 200;
    QByteArray m_body = "{\"results\":[]}";
    bool m_silent = false;
};

} // namespace trovi::test
