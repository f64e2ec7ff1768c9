#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <deque>
#include <vector>

class QTcpServer;
class QTcpSocket;
class QTimer;
class QWebSocket;
class QWebSocketServer;

// The page server's network side: the listening socket, the requests, the pages' feeds and
// everything they send. It lives in a thread of its own, so that the writes to every page of a
// step are not made by the thread that runs the fight; all its functions but the counts are
// called in that thread. What the pages receive is given to it already written (`send`,
// `welcome`).
class PageSockets : public QObject {
    Q_OBJECT
public:
    explicit PageSockets(QByteArray page);
    ~PageSockets() override;

    // Listens on `address`, on `port` or else the first free one after it, letting in only
    // `code`; the port, or 0 when none is free.
    quint16 start(quint16 port, const QHostAddress &address, const QString &code);
    // Stops listening, tells every open page that the view has ended and lets it go.
    void stop();
    // To every open page.
    void send(const QString &message);
    // The whole view for the page that `arrived` announced as `serial`, which is open from then.
    void welcome(quint64 serial, const QString &whole);

    // Read from any thread.
    int pages() const { return m_pageCount.load(); }
    int connections() const { return m_open.load(); }

signals:
    // A page has opened its feed and waits for the whole view.
    void arrived(quint64 serial);
    void pagesChanged(int pages);
    // No page is open or waiting any more.
    void idle();
    // Time to look again at the round and who acts, in case they changed with no row.
    void beat();

private:
    struct Page {
        QPointer<QWebSocket> socket;
        QElapsedTimer heard;       // since anything last came from it
        std::deque<qint64> recent; // when its recent messages came, in ms of m_clock
    };
    struct Waiting {
        quint64 serial = 0;
        QPointer<QWebSocket> socket;
    };
    void accept();
    void readRequest(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const QByteArray &response);
    void drop(QTcpSocket *socket);
    void stopWaiting(QTcpSocket *socket);
    void handshaken();
    void heard(QWebSocket *socket, bool message);
    void pulse();
    void forget(QWebSocket *socket);
    // Keeps the count of pages, and tells when none is open or waiting any more (or still, when
    // the view was read for a page already gone).
    void counted(bool viewRead = false);
    bool isCode(QByteArrayView target) const;

    QByteArray m_page;
    QTcpServer *m_tcp = nullptr;
    QWebSocketServer *m_ws;
    QTimer *m_beat;
    QByteArray m_code;
    std::vector<Page> m_pages;
    std::vector<Waiting> m_waiting;                 // for the whole view
    std::vector<QPointer<QTcpSocket>> m_handshakes; // handed to the WebSocket server
    quint64 m_serial = 0;
    bool m_busy = false; // some page open or waiting
    std::atomic<int> m_pageCount{0};
    std::atomic<int> m_open{0};
    QElapsedTimer m_clock;
};
