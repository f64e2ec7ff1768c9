#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <deque>
#include <vector>

class PlayersFeed;
class PlayersModel;
class QTcpServer;
class QTcpSocket;
class QWebSocket;
class QWebSocketServer;

// Serves the players' view to the players' phones: one page, and a live feed the page opens, at
// http://<address>:<port>/<code>. The code is new each time the server starts; any other
// request gets the same empty 404. Nothing is read from disk and nothing a page sends is acted
// upon: a page only listens.
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
    bool running() const;
    quint16 port() const;
    QString code() const { return m_code; }
    // The address to give the players: the computer's address on the local network when the
    // server listens on all of them.
    QUrl url() const;
    int pages() const { return int(m_pages.size()); }
    int connections() const { return m_open; }

    // The computer's address on the local network (loopback when it has none).
    static QHostAddress localNetworkAddress();
    // Whether a peer is on the local network (or this computer).
    static bool isLocal(const QHostAddress &peer);

signals:
    void pagesChanged(int pages);

private:
    struct Page {
        QPointer<QWebSocket> socket;
        QElapsedTimer heard;       // since anything last came from it
        std::deque<qint64> recent; // when its recent messages came, in ms of m_clock
    };
    void accept();
    void readRequest(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const QByteArray &response);
    void drop(QTcpSocket *socket);
    void stopWaiting(QTcpSocket *socket);
    void welcome();
    void heard(QWebSocket *socket, bool message);
    void send(const QString &message);
    void beat();
    void forget(QWebSocket *socket);
    bool isCode(QByteArrayView target) const;

    PlayersModel &m_model;
    PlayersFeed *m_feed;
    QTcpServer *m_tcp = nullptr;
    QWebSocketServer *m_ws;
    QHostAddress m_address;
    QString m_code;
    QByteArray m_page;
    std::vector<Page> m_pages;
    std::vector<QPointer<QTcpSocket>> m_handshakes; // handed to the WebSocket server
    int m_open = 0;
    QTimer m_beat;
    QElapsedTimer m_clock;
};
