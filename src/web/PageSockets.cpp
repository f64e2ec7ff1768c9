#include "web/PageSockets.h"

#include "web/PageServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <algorithm>

namespace {

const QByteArray notFound =
    QByteArrayLiteral("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");

// What the page may do: run its own script and style and open its feed; nothing from elsewhere.
const QByteArray pageHeaders = QByteArrayLiteral(
    "HTTP/1.1 200 OK\r\n"
    "Content-Type: text/html; charset=utf-8\r\n"
    "Cache-Control: no-store\r\n"
    "Content-Security-Policy: default-src 'none'; style-src 'unsafe-inline'; "
    "script-src 'unsafe-inline'; connect-src 'self' ws:; img-src data:; base-uri 'none'; "
    "form-action 'none'; frame-ancestors 'none'\r\n"
    "X-Content-Type-Options: nosniff\r\n"
    "Referrer-Policy: no-referrer\r\n"
    "Connection: close\r\n");

const QString endMessage = QStringLiteral("{\"t\":\"end\"}");
const QString beatMessage = QStringLiteral("{\"t\":\"beat\"}");

struct Request {
    QByteArray method;
    QByteArray target;
    QByteArray upgrade;
    QByteArray connection;
    QByteArray host;
    QByteArray origin;
    bool body = false;
    bool valid = false;
};

Request parse(QByteArrayView head) {
    Request request;
    const QList<QByteArray> lines = head.toByteArray().split('\n');
    const QList<QByteArray> first = lines.first().trimmed().split(' ');
    if (first.size() != 3 || !first[2].startsWith("HTTP/1."))
        return request;
    request.method = first[0];
    request.target = first[1];
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return request;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "upgrade")
            request.upgrade = value.toLower();
        else if (name == "connection")
            request.connection = value.toLower();
        else if (name == "host")
            request.host = value;
        else if (name == "origin")
            request.origin = value;
        else if (name == "transfer-encoding" || (name == "content-length" && value != "0"))
            request.body = true;
    }
    request.valid = true;
    return request;
}

} // namespace

PageSockets::PageSockets(QByteArray page)
    : m_page(std::move(page)),
      m_ws(new QWebSocketServer(QStringLiteral("Torvane"), QWebSocketServer::NonSecureMode, this)),
      m_beat(new QTimer(this)) {
    m_ws->setMaxPendingConnections(PageServer::maxConnections);
    m_ws->setHandshakeTimeout(PageServer::requestMs);
    connect(m_ws, &QWebSocketServer::newConnection, this, &PageSockets::handshaken);
    connect(m_beat, &QTimer::timeout, this, &PageSockets::pulse);
    m_beat->setInterval(PageServer::beatMs);
}

PageSockets::~PageSockets() {
    stop();
}

quint16 PageSockets::start(quint16 port, const QHostAddress &address, const QString &code) {
    stop();
    m_tcp = new QTcpServer(this);
    const int last = port == 0 ? 0 : std::min(int(port) + PageServer::portsTried - 1, 65535);
    for (int p = port; p <= last; ++p) {
        if (m_tcp->listen(address, quint16(p)))
            break;
    }
    if (!m_tcp->isListening()) {
        delete m_tcp;
        m_tcp = nullptr;
        return 0;
    }
    connect(m_tcp, &QTcpServer::newConnection, this, &PageSockets::accept);
    m_code = code.toLatin1();
    m_clock.start();
    m_beat->start();
    return m_tcp->serverPort();
}

void PageSockets::stop() {
    m_beat->stop();
    delete m_tcp; // and with it every request not yet answered
    m_tcp = nullptr;
    m_code.clear();
    std::vector<QPointer<QWebSocket>> sockets;
    for (const Page &page : m_pages)
        sockets.push_back(page.socket);
    for (const Waiting &waiting : m_waiting)
        sockets.push_back(waiting.socket);
    const bool hadPages = !m_pages.empty();
    m_pages.clear();
    m_waiting.clear();
    counted();
    for (const QPointer<QWebSocket> &socket : sockets) {
        if (!socket)
            continue;
        socket->sendTextMessage(endMessage);
        socket->close(QWebSocketProtocol::CloseCodeNormal, QStringLiteral("Vista terminata"));
        socket->flush();
        // A page that does not answer the closing is let go shortly after.
        QTimer::singleShot(2000, socket, [s = socket.data()] {
            s->abort();
            s->deleteLater();
        });
    }
    if (hadPages)
        emit pagesChanged(0);
}

bool PageSockets::isCode(QByteArrayView target) const {
    // Compared in the same time whatever the target, so that timing tells nothing of the code.
    if (m_code.isEmpty() || target.size() != m_code.size() + 1 || target[0] != '/')
        return false;
    unsigned difference = 0;
    for (qsizetype i = 0; i < m_code.size(); ++i)
        difference |= unsigned(target[i + 1] ^ m_code[i]);
    return difference == 0;
}

void PageSockets::accept() {
    while (QTcpSocket *socket = m_tcp->nextPendingConnection()) {
        if (m_open >= PageServer::maxConnections || !PageServer::isLocal(socket->peerAddress())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_open;
        // The place is given back when the socket goes, whoever deletes it: a child object's end
        // is told even where the WebSocket server has cut the socket's own connections.
        connect(new QObject(socket), &QObject::destroyed, this, [this] { --m_open; });
        socket->setReadBufferSize(PageServer::maxRequest + 1);
        auto *wait = new QTimer(socket);
        wait->setObjectName(QStringLiteral("wait"));
        wait->setSingleShot(true);
        connect(wait, &QTimer::timeout, this, [this, socket] { drop(socket); });
        wait->start(PageServer::requestMs);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        if (socket->bytesAvailable() > 0)
            readRequest(socket);
    }
}

void PageSockets::stopWaiting(QTcpSocket *socket) {
    if (auto *wait =
            socket->findChild<QTimer *>(QStringLiteral("wait"), Qt::FindDirectChildrenOnly)) {
        wait->stop();
        wait->deleteLater();
    }
}

void PageSockets::drop(QTcpSocket *socket) {
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    stopWaiting(socket);
    socket->abort();
    socket->deleteLater();
}

void PageSockets::answer(QTcpSocket *socket, const QByteArray &response) {
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    socket->write(response);
    socket->disconnectFromHost(); // once the answer is out
}

void PageSockets::readRequest(QTcpSocket *socket) {
    // The request stays in the socket until it is whole: a feed's is read again by the
    // WebSocket server.
    const QByteArray head = socket->peek(PageServer::maxRequest + 1);
    const qsizetype end = head.indexOf("\r\n\r\n");
    if (end < 0) {
        if (head.size() > PageServer::maxRequest)
            drop(socket);
        return;
    }
    const Request request = parse(QByteArrayView(head).first(end));
    const bool feed = request.upgrade == "websocket" && request.connection.contains("upgrade");
    if (!request.valid || request.body) {
        drop(socket);
        return;
    }
    const bool get = request.method == "GET";
    if (!(get || (request.method == "HEAD" && !feed)) || !isCode(request.target)) {
        answer(socket, notFound);
        return;
    }
    if (!feed) {
        QByteArray response = pageHeaders;
        response += "Content-Length: " + QByteArray::number(m_page.size()) + "\r\n\r\n";
        if (get)
            response += m_page;
        answer(socket, response);
        return;
    }
    // A page elsewhere that somehow learnt the code is not let in either.
    if (!request.origin.isEmpty() && QUrl(QString::fromLatin1(request.origin)).authority() !=
                                         QString::fromLatin1(request.host)) {
        answer(socket, notFound);
        return;
    }
    // The WebSocket server answers the handshake (within requestMs, or it closes the socket); the
    // socket then goes with the page it carries.
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    stopWaiting(socket);
    m_handshakes.push_back(socket);
    m_ws->handleConnection(socket); // reads the request still waiting in the socket
}

void PageSockets::handshaken() {
    while (QWebSocket *socket = m_ws->nextPendingConnection()) {
        socket->setParent(this);
        std::erase_if(m_handshakes, [&](const QPointer<QTcpSocket> &tcp) {
            if (!tcp)
                return true;
            if (tcp->peerPort() != socket->peerPort() ||
                tcp->peerAddress() != socket->peerAddress())
                return false;
            disconnect(tcp, &QTcpSocket::disconnected, tcp, &QObject::deleteLater);
            tcp->setParent(socket);
            return true;
        });
        socket->setMaxAllowedIncomingFrameSize(PageServer::maxMessage);
        socket->setMaxAllowedIncomingMessageSize(PageServer::maxMessage);
        connect(socket, &QWebSocket::textMessageReceived, this,
                [this, socket] { heard(socket, true); });
        connect(socket, &QWebSocket::binaryMessageReceived, this,
                [this, socket] { heard(socket, true); });
        connect(socket, &QWebSocket::pong, this, [this, socket] { heard(socket, false); });
        connect(socket, &QWebSocket::disconnected, this, [this, socket] { forget(socket); });
        if (!m_tcp) {
            socket->abort();
            continue;
        }
        m_waiting.push_back({++m_serial, socket});
        counted();
        emit arrived(m_serial);
    }
}

void PageSockets::welcome(quint64 serial, const QString &whole) {
    const auto waiting = std::find_if(m_waiting.begin(), m_waiting.end(),
                                      [serial](const Waiting &w) { return w.serial == serial; });
    QWebSocket *socket = waiting == m_waiting.end() ? nullptr : waiting->socket.data();
    if (waiting != m_waiting.end())
        m_waiting.erase(waiting);
    if (!socket) {
        counted(true); // gone meanwhile: the view read for it may no longer be needed
        return;
    }
    Page page;
    page.socket = socket;
    page.heard.start();
    m_pages.push_back(std::move(page));
    counted();
    socket->sendTextMessage(whole);
    socket->flush();
    emit pagesChanged(pages());
}

void PageSockets::counted(bool viewRead) {
    m_pageCount = int(m_pages.size());
    const bool busy = !m_pages.empty() || !m_waiting.empty();
    if (!busy && (m_busy || viewRead))
        emit idle();
    m_busy = busy;
}

void PageSockets::heard(QWebSocket *socket, bool message) {
    const auto page = std::find_if(m_pages.begin(), m_pages.end(),
                                   [socket](const Page &p) { return p.socket == socket; });
    if (page == m_pages.end())
        return;
    page->heard.restart();
    if (!message)
        return;
    // A page has nothing to say: what it sends is ignored, and a stream of it cuts it off.
    const qint64 now = m_clock.elapsed();
    page->recent.push_back(now);
    while (!page->recent.empty() && page->recent.front() <= now - PageServer::floodMs)
        page->recent.pop_front();
    if (int(page->recent.size()) > PageServer::floodMessages)
        socket->abort();
}

void PageSockets::forget(QWebSocket *socket) {
    socket->deleteLater();
    std::erase_if(m_waiting, [socket](const Waiting &w) { return w.socket == socket; });
    const auto gone =
        std::erase_if(m_pages, [socket](const Page &page) { return page.socket == socket; });
    counted();
    if (gone > 0)
        emit pagesChanged(pages());
}

void PageSockets::send(const QString &message) {
    std::vector<QPointer<QWebSocket>> sockets;
    for (const Page &page : m_pages)
        sockets.push_back(page.socket);
    for (const QPointer<QWebSocket> &socket : sockets) {
        if (!socket)
            continue;
        if (socket->bytesToWrite() > PageServer::maxBacklog) {
            socket->abort(); // it catches up whole when it comes back
            continue;
        }
        socket->sendTextMessage(message);
        socket->flush(); // out now, rather than at the socket's next turn in the event loop
    }
}

void PageSockets::pulse() {
    emit beat();
    std::vector<QPointer<QWebSocket>> silent, alive;
    for (const Page &page : m_pages)
        (page.heard.elapsed() > 3 * PageServer::beatMs ? silent : alive).push_back(page.socket);
    for (const QPointer<QWebSocket> &socket : silent)
        if (socket)
            socket->abort(); // asleep or gone: it frees its place
    for (const QPointer<QWebSocket> &socket : alive) {
        if (!socket)
            continue;
        socket->ping();
        socket->sendTextMessage(beatMessage);
    }
}
