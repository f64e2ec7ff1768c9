#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QThread>
#include <QUrl>

class PageSockets;
class PlayersFeed;
class PlayersModel;

// Serves the players' view to the players' phones: one page, and a live feed the page opens, at
// http://<address>:<port>/<code>. The code is new each time the server starts; any other
// request gets the same empty 404. Nothing is read from disk and nothing a page sends is acted
// upon: a page only listens.
//
// The view is read from the players' model in this thread, once a step, and written to the
// pages by a thread of the server's own: a step of the fight does not wait for the network.
class PageServer : public QObject {
    Q_OBJECT
public:
    static constexpr int maxConnections = 32;     // pages and requests open at once
    static constexpr qsizetype maxRequest = 4096; // bytes of a request; a longer one is dropped
    static constexpr quint64 maxMessage = 1024;   // bytes of a message from a page
    static constexpr int floodMessages = 20;      // messages within floodMs that cut a page off
    static constexpr int floodMs = 10000;
    static constexpr int requestMs = 5000;        // time a request has to arrive whole
    static constexpr int beatMs = 15000;          // a beat to every page, and a ping
    static constexpr qint64 maxBacklog = 4 << 20; // bytes waiting for a page that cuts it off
    static constexpr int portsTried = 20;         // the port asked for and the ones after it

    explicit PageServer(PlayersModel &model, QObject *parent = nullptr);
    ~PageServer() override;

    // Starts serving on `address`, on `port` or else the first free one after it; with a new
    // code. False when no port is free.
    bool start(quint16 port, const QHostAddress &address = QHostAddress::AnyIPv4);
    // Stops: every open page is told that the view has ended.
    void stop();
    bool running() const { return m_port != 0; }
    quint16 port() const { return m_port; }
    QString code() const { return m_code; }
    // The address to give the players: the computer's address on the local network when the
    // server listens on all of them.
    QUrl url() const;
    int pages() const;
    int connections() const;
    // Whether the view is read at each step of the fight: only while a page is open or coming.
    bool following() const;

    // The computer's address on the local network (loopback when it has none).
    static QHostAddress localNetworkAddress();
    // Whether a peer is on the local network (or this computer).
    static bool isLocal(const QHostAddress &peer);

signals:
    void pagesChanged(int pages);

private:
    void startThread();
    void arrived(quint64 serial);

    PlayersFeed *m_feed;
    QThread m_thread;
    PageSockets *m_sockets = nullptr; // lives in m_thread, from the first start
    QHostAddress m_address;
    QString m_code;
    quint16 m_port = 0;
};
