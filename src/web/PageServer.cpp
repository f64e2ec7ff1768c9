#include "web/PageServer.h"

#include "web/PageSockets.h"
#include "web/PlayersFeed.h"

#include <QFile>
#include <QNetworkInterface>
#include <QRandomGenerator>

#include <array>

namespace {

// A fresh code of 144 random bits, in the 64 characters that need no escaping in a URL.
QString newCode() {
    std::array<quint32, 6> bits{}; // 24 bytes drawn, 18 used
    QRandomGenerator::system()->fillRange(bits.data(), bits.size());
    const QByteArray bytes(reinterpret_cast<const char *>(bits.data()), 18);
    return QString::fromLatin1(
        bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

bool within(quint32 address, quint32 network, int bits) {
    return (address >> (32 - bits)) == (network >> (32 - bits));
}

} // namespace

PageServer::PageServer(PlayersModel &model, QObject *parent)
    : QObject(parent), m_feed(new PlayersFeed(model, this)) {}

PageServer::~PageServer() {
    stop();
    m_thread.quit();
    m_thread.wait();
}

void PageServer::startThread() {
    // Made the first time the view is turned on: a program that never serves the phones has no
    // thread for it.
    QFile page(QStringLiteral(":/web/players.html"));
    m_sockets = new PageSockets(page.open(QIODevice::ReadOnly) ? page.readAll() : QByteArray());
    m_thread.setObjectName(QStringLiteral("Torvane pages"));
    m_sockets->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_sockets, &QObject::deleteLater);
    m_thread.start();
    // Queued both ways: the view goes out in the order it was read, and a page is given the
    // whole view after everything sent before it and before everything sent after.
    connect(m_feed, &PlayersFeed::changed, m_sockets, &PageSockets::send);
    connect(m_sockets, &PageSockets::arrived, this, &PageServer::arrived);
    connect(m_sockets, &PageSockets::idle, m_feed, [this] { m_feed->setFollowing(false); });
    connect(m_sockets, &PageSockets::beat, m_feed, &PlayersFeed::checkHead);
    connect(m_sockets, &PageSockets::pagesChanged, this, &PageServer::pagesChanged);
}

int PageServer::pages() const {
    return m_sockets ? m_sockets->pages() : 0;
}

int PageServer::connections() const {
    return m_sockets ? m_sockets->connections() : 0;
}

bool PageServer::following() const {
    return m_feed->following();
}

bool PageServer::start(quint16 port, const QHostAddress &address) {
    stop();
    if (!m_sockets)
        startThread();
    const QString code = newCode();
    quint16 listening = 0;
    QMetaObject::invokeMethod(
        m_sockets, [&] { listening = m_sockets->start(port, address, code); },
        Qt::BlockingQueuedConnection);
    if (listening == 0)
        return false;
    m_port = listening;
    m_address = address;
    m_code = code;
    return true;
}

void PageServer::stop() {
    if (!m_sockets)
        return;
    QMetaObject::invokeMethod(
        m_sockets, [this] { m_sockets->stop(); }, Qt::BlockingQueuedConnection);
    m_port = 0;
    m_code.clear();
    m_feed->setFollowing(false);
}

void PageServer::arrived(quint64 serial) {
    if (!running())
        return; // a page of a view already stopped
    const QString whole = m_feed->whole();
    PageSockets *sockets = m_sockets;
    QMetaObject::invokeMethod(sockets,
                              [sockets, serial, whole] { sockets->welcome(serial, whole); });
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
