#include "WebFixture.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

// The players' view served to the phones: the page, its live feed against the players' window
// through a real fight, and everything a stranger or a misbehaving page may try.
class TestWeb : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<WebFixture> app;

    QByteArray request(const QString &target, const QByteArray &extra = {}) {
        return "GET " + target.toLatin1() + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extra + "\r\n";
    }
    static QByteArray notFound() {
        return "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    }

private slots:
    void init() { app = std::make_unique<WebFixture>(); }
    void cleanup() { app.reset(); }

    void pageAndFeedFollowTheFight() {
        QVERIFY(app->url().path().size() >= 23); // 128 random bits at least
        QNetworkAccessManager network;
        QNetworkReply *reply = network.get(QNetworkRequest(app->url()));
        QVERIFY(QTest::qWaitFor([&] { return reply->isFinished(); }));
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
        QVERIFY(
            reply->header(QNetworkRequest::ContentTypeHeader).toString().startsWith("text/html"));
        const QByteArray page = reply->readAll();
        QVERIFY(page.contains("<html lang=\"it\">") && page.contains("new WebSocket("));
        QVERIFY(!page.contains("src=") && !page.contains("href=")); // nothing from elsewhere
        reply->deleteLater();

        FeedClient feed(app->url());
        QVERIFY(feed.waitOpen());
        QTRY_COMPARE(feed.lines(), modelLines(app->model()));
        QCOMPARE(feed.rows.size(), 6);
        // Each press, the undo and the removal: the feed follows, one message a step.
        auto step = [&](const std::function<void()> &what) {
            const int before = feed.views();
            what();
            QTRY_COMPARE(feed.lines(), modelLines(app->model()));
            QTest::qWait(20);
            QCOMPARE(feed.views(), before + 1);
        };
        for (int press = 0; press < 3; ++press)
            step([&] { app->next(); });
        QVERIFY(!feed.now.isEmpty());
        step([&] { app->click("Form2", "Annulla"); });
        step([&] {
            app->clickCell(4, Col::Selezione); // the orc into death
            app->type("Form2", "DanniPF", "30");
            app->click("Form2", "Command2");
        });
        QVERIFY(feed.rows.filter("Orco|morto||").size() == 1);
        step([&] {
            app->dialogs.yes();
            app->clickCell(2, Col::Elimina);
        });
        QCOMPARE(feed.rows.size(), 5);
        // A page that comes in late gets the whole view at once.
        FeedClient late(app->url());
        QVERIFY(late.waitOpen());
        QTRY_COMPARE(late.lines(), modelLines(app->model()));
        QCOMPARE(late.views(), 1);
        QCOMPARE(app->server().pages(), 2);
    }

    void strangersGetNothing_data() { fileTable(); }
    void strangersGetNothing() {
        auto [target, extra, expected] = cells<3>();
        const QString code = app->url().path();
        target.replace("{code}", code);
        target.replace("{short}", code.chopped(1));
        target.replace("{last}", code.chopped(1) + (code.endsWith(u'A') ? u'B' : u'A'));
        target.replace("{encoded}",
                       "/%" + QString::number(int(code[1].unicode()), 16) + code.mid(2));
        extra.replace("{feed}", "Upgrade: websocket\r\nConnection: Upgrade\r\n"
                                "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: "
                                "dGhlIHNhbXBsZSBub25jZQ==\r\n");
        extra.replace("{padding}", "X-Padding: " + QString(5000, u'a') + "\r\n");
        const QByteArray answer = rawRequest(app->port, request(target, extra.toLatin1()));
        if (expected == "page")
            QVERIFY(answer.startsWith("HTTP/1.1 200 OK\r\n") && answer.endsWith("</html>\n"));
        else if (expected == "404")
            QCOMPARE(answer, notFound()); // the same for all: no hint
        else
            QCOMPARE(answer, QByteArray());
        // Nobody left holding a place.
        QTRY_COMPARE(app->server().connections(), 0);
        QCOMPARE(app->server().pages(), 0);
    }

    void misbehavingPagesAreCutOff_data() { fileTable(); }
    void misbehavingPagesAreCutOff() {
        const auto [count, length, cutOff] = cells<3>();
        const int messages = count == "flood" ? PageServer::floodMessages + 1 : count.toInt();
        const int size = length.startsWith("max")
                             ? int(PageServer::maxMessage) + length.mid(3).toInt()
                             : length.toInt();
        const bool cut = cutOff == "yes";
        const QStringList before = modelLines(app->model());
        const auto round = app->enc().round();
        FeedClient feed(app->url());
        QVERIFY(feed.waitOpen());
        QTRY_COMPARE(feed.views(), 1);
        // What a page might send to play the game master's part.
        QString text = QStringLiteral("{\"t\":\"next\"}");
        text += QString(size - text.size(), u' ');
        for (int i = 0; i < messages; ++i)
            feed.socket.sendTextMessage(text);
        QTest::qWait(200);
        QCOMPARE(feed.socket.state() == QAbstractSocket::UnconnectedState, cut);
        QCOMPARE(app->server().pages(), cut ? 0 : 1);
        QTRY_COMPARE(app->server().following(), !cut); // no page: a step reads nothing for it
        QCOMPARE(modelLines(app->model()), before);
        QCOMPARE(app->enc().round(), round);
        if (!cut)
            return;
        // The others are not touched, and the place is free again.
        FeedClient again(app->url());
        QVERIFY(again.waitOpen());
        QTRY_COMPARE(app->server().pages(), 1);
        feed.socket.abort();
    }

    void boundedNumberOfConnections() {
        std::vector<std::unique_ptr<QTcpSocket>> idle;
        for (int i = 0; i < PageServer::maxConnections + 8; ++i) {
            idle.push_back(std::make_unique<QTcpSocket>());
            idle.back()->connectToHost(QHostAddress::LocalHost, app->port);
        }
        auto closed = [&] {
            return int(std::count_if(idle.begin(), idle.end(), [](const auto &s) {
                return s->state() == QAbstractSocket::UnconnectedState;
            }));
        };
        QTRY_COMPARE(closed(), 8);
        QCOMPARE(app->server().connections(), PageServer::maxConnections);
        // Full: even the right page is not served.
        QCOMPARE(rawRequest(app->port, request(app->url().path())), QByteArray());
        // A request that never comes whole lets go of its place.
        QTRY_COMPARE_WITH_TIMEOUT(closed(), PageServer::maxConnections + 8,
                                  PageServer::requestMs + 3000);
        QTRY_COMPARE(app->server().connections(), 0);
        FeedClient feed(app->url());
        QVERIFY(feed.waitOpen());
        QCOMPARE(app->server().connections(), 1);
        feed.socket.close();
        QTRY_COMPARE(app->server().connections(), 0);
    }

    void endsWhenTurnedOffOrLeft() {
        const QUrl first = app->url();
        FeedClient feed(first);
        QVERIFY(feed.waitOpen());
        QVERIFY(!app->control<QLabel>("FormGiocatori", "CodiceQR")->pixmap().isNull());
        app->turn(false);
        QVERIFY(feed.waitClosed() && feed.ended);
        QVERIFY(!app->control("FormGiocatori", "IndirizzoWeb")->isVisible());
        QVERIFY(app->control<QLabel>("FormGiocatori", "CodiceQR")->pixmap().isNull());
        QCOMPARE(rawRequest(app->port, request(first.path())), "not connected");

        // F10 puts the strip and the code away and back, the view on the phones staying on.
        app->turn(true);
        auto *players = app->windows->form("FormGiocatori");
        QTRY_VERIFY(players->isVisible());
        QTest::keyClick(players, Qt::Key_F10);
        QCOMPARE(app->shown("FormGiocatori", {"VistaWeb", "IndirizzoWeb", "CodiceQR"}), "000");
        QVERIFY(app->server().running());
        QTest::keyClick(players, Qt::Key_F10);
        QCOMPARE(app->shown("FormGiocatori", {"VistaWeb", "IndirizzoWeb", "CodiceQR"}), "111");
        app->turn(false);
        QCOMPARE(app->shown("FormGiocatori", {"VistaWeb", "IndirizzoWeb", "CodiceQR"}), "100");

        // On again: the same port, a new code; the old address is gone.
        app->turn(true);
        QCOMPARE(app->url().port(), first.port());
        QVERIFY(app->url() != first);
        QCOMPARE(rawRequest(app->port, request(first.path())), notFound());

        // The port kept is taken: the next one, kept for the next time.
        app->turn(false);
        QTcpServer squatter;
        QVERIFY(squatter.listen(QHostAddress::LocalHost, app->port));
        app->turn(true);
        QCOMPARE(app->url().port(), app->port + 1);
        QCOMPARE(QSettings(app->root.filePath("Torvane.ini"), QSettings::IniFormat)
                     .value("giocatori/porta")
                     .toInt(),
                 app->port + 1);

        // "Esci" ends it too.
        FeedClient last(app->url());
        QVERIFY(last.waitOpen());
        app->windows->menu().show();
        app->click("Form4", "Command1"); // "Esci"
        QVERIFY(last.waitClosed() && last.ended);
        QVERIFY(!app->server().running());
    }
};

QTEST_MAIN(TestWeb)
#include "tst_web.moc"
