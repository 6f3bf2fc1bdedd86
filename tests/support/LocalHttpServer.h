#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for tests that talk to web APIs. It
// records every request and answers each with the configured status, extra
// header fields and body; when silent, accepts the connection and never
// answers; when streaming, sends a head and then one piece again and again for
// as long as the client reads (an endless body or header). Lives on the
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

    using HeaderFields = QList<QPair<QByteArray, QByteArray>>;
    void reply(int status, const QByteArray& body, const HeaderFields& headers = {}) {
        m_status = status;
        m_body = body;
        m_headers = headers;
        m_silent = false;
        m_streamHead.clear();
    }
    void neverAnswer() { m_silent = true; }
    void stream(const QByteArray& head, const QByteArray& piece) {
        m_silent = false;
        m_streamHead = head;
        m_streamPiece = piece;
    }

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
        if (!m_streamHead.isEmpty()) {
            socket->write(m_streamHead);
            const QByteArray piece = m_streamPiece;
            auto topUp = [socket, piece] {
                while (socket->state() == QAbstractSocket::ConnectedState &&
                       socket->bytesToWrite() < 4 * piece.size() + 65536)
                    socket->write(piece);
            };
            connect(socket, &QTcpSocket::bytesWritten, socket, topUp);
            topUp();
            return;
        }
        QByteArray fields;
        for (const auto& [name, value] : m_headers)
            fields += name + ": " + value + "\r\n";
        socket->write("HTTP/1.1 " + QByteArray::number(m_status) +
                      " Test\r\nContent-Type: application/json\r\nContent-Length: " +
                      QByteArray::number(m_body.size()) + "\r\n" + fields +
                      "Connection: close\r\n\r\n" + m_body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QList<QPointer<QTcpSocket>> m_sockets;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QList<ReceivedHttpRequest> m_requests;
    int m_status = 200;
    QByteArray m_body = "{\"results\":[]}";
    HeaderFields m_headers;
    bool m_silent = false;
    QByteArray m_streamHead;
    QByteArray m_streamPiece;
};

} // namespace trovi::test
