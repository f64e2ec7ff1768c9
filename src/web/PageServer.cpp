#include "web/PageServer.h"

#include "web/PlayersFeed.h"

#include <QFile>
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>
#include <QWebSocketServer>

#include <algorithm>
#include <array>

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

// A fresh code of 144 random bits, in the 64 characters that need no escaping in a URL.
QString newCode() {
    std::array<quint32, 6> bits{}; // 24 bytes drawn, 18 used
    QRandomGenerator::system()->fillRange(bits.data(), bits.size());
    const QByteArray bytes(reinterpret_cast<const char *>(bits.data()), 18);
    return QString::fromLatin1(
        bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

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

bool within(quint32 address, quint32 network, int bits) {
    return (address >> (32 - bits)) == (network >> (32 - bits));
}

} // namespace

PageServer::PageServer(PlayersModel &model, QObject *parent)
    : QObject(parent), m_model(model), m_feed(new PlayersFeed(model, this)),
      m_ws(new QWebSocketServer(QStringLiteral("Torvane"), QWebSocketServer::NonSecureMode, this)) {
    m_ws->setMaxPendingConnections(maxConnections);
    m_ws->setHandshakeTimeout(requestMs);
    connect(m_ws, &QWebSocketServer::newConnection, this, &PageServer::welcome);
    connect(m_feed, &PlayersFeed::changed, this, &PageServer::send);
    connect(&m_beat, &QTimer::timeout, this, &PageServer::beat);
    m_beat.setInterval(beatMs);
}

PageServer::~PageServer() {
    stop();
}

bool PageServer::running() const {
    return m_tcp && m_tcp->isListening();
}

quint16 PageServer::port() const {
    return running() ? m_tcp->serverPort() : 0;
}

bool PageServer::start(quint16 port, const QHostAddress &address) {
    stop();
    if (m_page.isEmpty()) {
        QFile page(QStringLiteral(":/web/players.html"));
        if (page.open(QIODevice::ReadOnly))
            m_page = page.readAll();
    }
    m_tcp = new QTcpServer(this);
    const int last = port == 0 ? 0 : std::min(int(port) + portsTried - 1, 65535);
    for (int p = port; p <= last; ++p) {
        if (m_tcp->listen(address, quint16(p)))
            break;
    }
    if (!m_tcp->isListening()) {
        delete m_tcp;
        m_tcp = nullptr;
        return false;
    }
    connect(m_tcp, &QTcpServer::newConnection, this, &PageServer::accept);
    m_address = address;
    m_code = newCode();
    m_clock.start();
    m_beat.start();
    return true;
}

void PageServer::stop() {
    m_beat.stop();
    delete m_tcp; // and with it every request not yet answered
    m_tcp = nullptr;
    m_code.clear();
    const std::vector<Page> pages = std::move(m_pages);
    m_pages.clear();
    for (const Page &page : pages) {
        QWebSocket *socket = page.socket;
        if (!socket)
            continue;
        socket->sendTextMessage(endMessage);
        socket->close(QWebSocketProtocol::CloseCodeNormal, QStringLiteral("Vista terminata"));
        socket->flush();
        // A page that does not answer the closing is let go shortly after.
        QTimer::singleShot(2000, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
    }
    m_feed->setFollowing(false);
    if (!pages.empty())
        emit pagesChanged(0);
}

QUrl PageServer::url() const {
    if (!running())
        return {};
    const bool everywhere = m_address == QHostAddress(QHostAddress::AnyIPv4) ||
                            m_address == QHostAddress(QHostAddress::Any);
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost((everywhere ? localNetworkAddress() : m_address).toString());
    url.setPort(port());
    url.setPath(u'/' + m_code);
    return url;
}

bool PageServer::isCode(QByteArrayView target) const {
    // Compared in the same time whatever the target, so that timing tells nothing of the code.
    const QByteArray code = m_code.toLatin1();
    if (code.isEmpty() || target.size() != code.size() + 1 || target[0] != '/')
        return false;
    unsigned difference = 0;
    for (qsizetype i = 0; i < code.size(); ++i)
        difference |= unsigned(target[i + 1] ^ code[i]);
    return difference == 0;
}

void PageServer::accept() {
    while (QTcpSocket *socket = m_tcp->nextPendingConnection()) {
        if (m_open >= maxConnections || !isLocal(socket->peerAddress())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_open;
        // The place is given back when the socket goes, whoever deletes it: a child object's end
        // is told even where the WebSocket server has cut the socket's own connections.
        connect(new QObject(socket), &QObject::destroyed, this, [this] { --m_open; });
        socket->setReadBufferSize(maxRequest + 1);
        auto *wait = new QTimer(socket);
        wait->setObjectName(QStringLiteral("wait"));
        wait->setSingleShot(true);
        connect(wait, &QTimer::timeout, this, [this, socket] { drop(socket); });
        wait->start(requestMs);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        if (socket->bytesAvailable() > 0)
            readRequest(socket);
    }
}

void PageServer::stopWaiting(QTcpSocket *socket) {
    if (auto *wait =
            socket->findChild<QTimer *>(QStringLiteral("wait"), Qt::FindDirectChildrenOnly)) {
        wait->stop();
        wait->deleteLater();
    }
}

void PageServer::drop(QTcpSocket *socket) {
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    stopWaiting(socket);
    socket->abort();
    socket->deleteLater();
}

void PageServer::answer(QTcpSocket *socket, const QByteArray &response) {
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    socket->write(response);
    socket->disconnectFromHost(); // once the answer is out
}

void PageServer::readRequest(QTcpSocket *socket) {
    // The request stays in the socket until it is whole: a feed's is read again by the
    // WebSocket server.
    const QByteArray head = socket->peek(maxRequest + 1);
    const qsizetype end = head.indexOf("\r\n\r\n");
    if (end < 0) {
        if (head.size() > maxRequest)
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
    // The WebSocket server answers the handshake (within requestMs, or it closes the socket);
    // the socket then goes with the page it carries.
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    stopWaiting(socket);
    m_handshakes.push_back(socket);
    m_ws->handleConnection(socket); // reads the request still waiting in the socket
}

void PageServer::welcome() {
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
        socket->setMaxAllowedIncomingFrameSize(maxMessage);
        socket->setMaxAllowedIncomingMessageSize(maxMessage);
        connect(socket, &QWebSocket::textMessageReceived, this,
                [this, socket] { heard(socket, true); });
        connect(socket, &QWebSocket::binaryMessageReceived, this,
                [this, socket] { heard(socket, true); });
        connect(socket, &QWebSocket::pong, this, [this, socket] { heard(socket, false); });
        connect(socket, &QWebSocket::disconnected, this, [this, socket] { forget(socket); });
        if (!running()) {
            socket->abort();
            continue;
        }
        socket->sendTextMessage(m_feed->whole());
        Page page;
        page.socket = socket;
        page.heard.start();
        m_pages.push_back(std::move(page));
        emit pagesChanged(pages());
    }
}

void PageServer::heard(QWebSocket *socket, bool message) {
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
    while (!page->recent.empty() && page->recent.front() <= now - floodMs)
        page->recent.pop_front();
    if (int(page->recent.size()) > floodMessages)
        socket->abort();
}

void PageServer::forget(QWebSocket *socket) {
    const auto page = std::find_if(m_pages.begin(), m_pages.end(),
                                   [socket](const Page &p) { return p.socket == socket; });
    socket->deleteLater();
    if (page == m_pages.end())
        return;
    m_pages.erase(page);
    if (m_pages.empty())
        m_feed->setFollowing(false);
    emit pagesChanged(pages());
}

void PageServer::send(const QString &message) {
    std::vector<QPointer<QWebSocket>> sockets;
    for (const Page &page : m_pages)
        sockets.push_back(page.socket);
    for (const QPointer<QWebSocket> &socket : sockets) {
        if (!socket)
            continue;
        if (socket->bytesToWrite() > maxBacklog) {
            socket->abort(); // it catches up whole when it comes back
            continue;
        }
        socket->sendTextMessage(message);
        socket->flush(); // out now, rather than at the socket's next turn in the event loop
    }
}

void PageServer::beat() {
    m_feed->checkHead();
    std::vector<QPointer<QWebSocket>> silent, alive;
    for (const Page &page : m_pages)
        (page.heard.elapsed() > 3 * beatMs ? silent : alive).push_back(page.socket);
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

bool PageServer::isLocal(const QHostAddress &peer) {
    bool v4 = false;
    const quint32 a = peer.toIPv4Address(&v4);
    if (v4)
        return within(a, 0x7f000000, 8) ||  // 127/8, this computer
               within(a, 0x0a000000, 8) ||  // 10/8
               within(a, 0xac100000, 12) || // 172.16/12
               within(a, 0xc0a80000, 16) || // 192.168/16
               within(a, 0xa9fe0000, 16);   // 169.254/16, link-local
    const Q_IPV6ADDR b = peer.toIPv6Address();
    return peer.isLoopback() || peer.isLinkLocal() || (b[0] & 0xfe) == 0xfc; // fc00::/7
}

QHostAddress PageServer::localNetworkAddress() {
    QHostAddress fallback(QHostAddress::LocalHost);
    for (const QNetworkInterface &face : QNetworkInterface::allInterfaces()) {
        const auto flags = face.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        // Bridges of virtual machines and containers are not the table's network.
        const QString name = face.name();
        if (name.startsWith(u"docker") || name.startsWith(u"veth") || name.startsWith(u"br-") ||
            name.startsWith(u"virbr") || name.startsWith(u"vbox") || name.startsWith(u"vmnet"))
            continue;
        for (const QNetworkAddressEntry &entry : face.addressEntries()) {
            const QHostAddress ip = entry.ip();
            if (ip.protocol() != QAbstractSocket::IPv4Protocol || ip.isLoopback())
                continue;
            if (isLocal(ip))
                return ip;
            if (fallback.isLoopback())
                fallback = ip;
        }
    }
    return fallback;
}
