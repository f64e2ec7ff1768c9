#include "WebFixture.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>

// The page in a real browser: headless Chromium on a phone-sized screen, driven through its
// DevTools protocol while the fight goes on in the program.
class DevTools {
public:
    bool open(const QUrl &url) {
        QObject::connect(&socket, &QWebSocket::textMessageReceived, [this](const QString &text) {
            const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
            if (message.contains(u"id"))
                replies[message[u"id"].toInt()] = message;
        });
        socket.open(url);
        return QTest::qWaitFor([this] { return socket.state() == QAbstractSocket::ConnectedState; },
                               10000);
    }
    QJsonObject call(const QString &method, const QJsonObject &params = {}) {
        const int id = next++;
        socket.sendTextMessage(QString::fromUtf8(
            QJsonDocument(QJsonObject{{"id", id}, {"method", method}, {"params", params}})
                .toJson(QJsonDocument::Compact)));
        if (!QTest::qWaitFor([&] { return replies.contains(id); }, 20000))
            return {};
        return replies.take(id)[u"result"].toObject();
    }
    QJsonValue evaluate(const QString &expression) {
        return call("Runtime.evaluate",
                    {{"expression", expression}, {"returnByValue", true}})[u"result"]
            .toObject()[u"value"];
    }

    QWebSocket socket;

private:
    int next = 1;
    QHash<int, QJsonObject> replies;
};

// The table's network between the browser and the program, to be cut and given back.
class Proxy {
public:
    explicit Proxy(quint16 target) : m_target(target) {
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] { accept(); });
        m_server.listen(QHostAddress::LocalHost, 0);
        m_port = m_server.serverPort();
    }
    quint16 port() const { return m_port; }
    void cut() { // every connection broken, and no new one until given back
        m_server.close();
        for (const QPointer<QTcpSocket> &socket : m_sockets)
            if (socket)
                socket->abort();
    }
    bool giveBack() { return m_server.listen(QHostAddress::LocalHost, m_port); }

private:
    void accept() {
        while (QTcpSocket *in = m_server.nextPendingConnection()) {
            auto *out = new QTcpSocket(in);
            QObject::connect(in, &QTcpSocket::readyRead, [in, out] { out->write(in->readAll()); });
            QObject::connect(out, &QTcpSocket::readyRead, [in, out] { in->write(out->readAll()); });
            QObject::connect(in, &QTcpSocket::disconnected, out, &QTcpSocket::disconnectFromHost);
            QObject::connect(out, &QTcpSocket::disconnected, in, &QTcpSocket::disconnectFromHost);
            out->connectToHost(QHostAddress::LocalHost, m_target);
            m_sockets << in << out;
        }
    }
    QTcpServer m_server;
    quint16 m_target;
    quint16 m_port = 0;
    QList<QPointer<QTcpSocket>> m_sockets;
};

namespace {

// The page as the players read it, in the form of modelLines().
const QString pageLines = QStringLiteral(R"(
(() => {
  const flags = li => (li.classList.contains('now') ? 1 : 0) |
                      (li.classList.contains('next') ? 2 : 0) |
                      (li.classList.contains('dead') ? 4 : 0);
  return [document.getElementById('round').textContent, document.getElementById('now').textContent]
    .concat(Array.from(document.querySelectorAll('#order li')).map(li =>
      [li.children[0].textContent, li.children[1].textContent, li.children[2].textContent,
       flags(li)].join('|')))
    .join('\n');
})())");

} // namespace

class TestBrowser : public QObject {
    Q_OBJECT
private:
    QString chromium;
    std::unique_ptr<WebFixture> app;
    std::unique_ptr<QTemporaryDir> profile;
    QProcess browser;
    std::unique_ptr<DevTools> devTools;
    DevTools &tools() { return *devTools; }

    QString modelText() { return modelLines(app->model()).join(u'\n'); }
    QString pageText() { return tools().evaluate(pageLines).toString(); }
    QString shownText() { return tools().evaluate("document.body.innerText").toString(); }

    void stopBrowser() {
        devTools.reset();
        if (browser.state() != QProcess::NotRunning) {
            browser.terminate();
            if (!browser.waitForFinished(5000))
                browser.kill();
            browser.waitForFinished();
        }
        // The browser's helpers may still write into its profile for a moment after it ends.
        for (int i = 0; profile && i < 20 && !profile->remove(); ++i)
            QTest::qWait(100);
        profile.reset();
        app.reset();
    }

private slots:
    void initTestCase() {
        chromium = QStandardPaths::findExecutable("chromium");
        if (chromium.isEmpty())
            QSKIP("chromium is not installed (Debian package chromium): the page is not tried "
                  "in a browser");
    }

    void init() {
        stopBrowser(); // a failed set-up is not cleaned up after
        app = std::make_unique<WebFixture>();
        profile = std::make_unique<QTemporaryDir>();
        devTools = std::make_unique<DevTools>();
        browser.setProgram(chromium);
        browser.setArguments({"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                              "--no-first-run", "--disable-background-networking",
                              "--disable-component-update", "--disable-sync",
                              "--user-data-dir=" + profile->path(), "--remote-debugging-port=0",
                              "--window-size=390,844", "about:blank"});
        browser.setProcessChannelMode(QProcess::MergedChannels);
        browser.start();
        const QString portFile = profile->filePath("DevToolsActivePort");
        if (!QTest::qWaitFor([&] { return QFileInfo(portFile).size() > 0; }, 30000)) {
            browser.kill();
            browser.waitForFinished();
            QSKIP(qPrintable("chromium did not start: " + browser.readAll().left(600)));
        }
        QFile file(portFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray port = file.readLine().trimmed();
        QNetworkAccessManager network;
        QNetworkReply *reply =
            network.get(QNetworkRequest(QUrl("http://127.0.0.1:" + port + "/json/list")));
        QVERIFY(QTest::qWaitFor([&] { return reply->isFinished(); }, 10000));
        QString page;
        for (const QJsonValue target : QJsonDocument::fromJson(reply->readAll()).array())
            if (target[u"type"].toString() == u"page")
                page = target[u"webSocketDebuggerUrl"].toString();
        reply->deleteLater();
        QVERIFY(!page.isEmpty() && tools().open(QUrl(page)));
        tools().call("Emulation.setDeviceMetricsOverride",
                     {{"width", 390}, {"height", 844}, {"deviceScaleFactor", 2}, {"mobile", true}});
        tools().call("Page.navigate", {{"url", app->url().toString()}});
        QTRY_COMPARE_WITH_TIMEOUT(pageText(), modelText(), 10000);
    }

    void cleanup() { stopBrowser(); }
    void cleanupTestCase() { stopBrowser(); }

    void followsAPressAndEnds() {
        // The moment the line of who acts changes on the page, by the same clock as the press.
        tools().evaluate(
            "window.seen = 0; new MutationObserver(() => { window.seen = window.seen || "
            "Date.now(); }).observe(document.getElementById('now'), {childList: true, "
            "characterData: true, subtree: true}); true");
        const qint64 pressed = QDateTime::currentMSecsSinceEpoch();
        app->next();
        QTRY_VERIFY_WITH_TIMEOUT(tools().evaluate("window.seen").toDouble() > 0, 1000);
        const qint64 delay = qint64(tools().evaluate("window.seen").toDouble()) - pressed;
        qInfo("delay from a press of \"Prossimo ad agire\" to the page: %lld ms", delay);
        QVERIFY(delay < 1000);
        QCOMPARE(pageText(), modelText());
        QVERIFY(shownText().contains(app->model().nowText()));
        // The goblins' turn, together; two of them hurt and the orc dead.
        app->next();
        for (const auto &[row, damage] : {std::pair{2, "4"}, {3, "2"}, {4, "30"}}) {
            app->clickCell(row, Col::Selezione);
            app->type("Form2", "DanniPF", damage);
            app->click("Form2", "Command2");
        }
        QTRY_COMPARE_WITH_TIMEOUT(pageText(), modelText(), 1000);
        QVERIFY(modelText().contains("gravemente ferito") && modelText().contains("Orco|morto|"));

        // The picture for the README: a phone held upright.
        const QByteArray png =
            QByteArray::fromBase64(tools()
                                       .call("Page.captureScreenshot", {{"format", "png"}})[u"data"]
                                       .toString()
                                       .toLatin1());
        const QImage shot = QImage::fromData(png, "PNG");
        QCOMPARE(shot.size(), QSize(780, 1688));
        const QString where = qEnvironmentVariable("TORVANE_PHONE_SHOT");
        if (!where.isEmpty()) {
            QFile out(where);
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write(png) == png.size());
        }

        // Turned off: the page says so.
        app->turn(false);
        QTRY_VERIFY_WITH_TIMEOUT(shownText().contains("La vista è terminata"), 1000);
    }

    void catchesUpAfterTheNetworkWasAway() {
        Proxy network(app->port);
        QUrl url = app->url();
        url.setPort(network.port());
        tools().call("Page.navigate", {{"url", url.toString()}});
        QTRY_COMPARE_WITH_TIMEOUT(pageText(), modelText(), 10000);
        QTRY_COMPARE(app->server().pages(), 1);
        network.cut();
        QTRY_COMPARE(app->server().pages(), 0);
        QTRY_VERIFY(shownText().contains("Collegamento perso"));
        app->next();
        app->next();
        QTest::qWait(1000);
        QVERIFY(pageText() != modelText());
        QVERIFY(network.giveBack());
        QTRY_COMPARE_WITH_TIMEOUT(pageText(), modelText(), 15000);
        QCOMPARE(app->server().pages(), 1);
        QVERIFY(!shownText().contains("Collegamento perso"));
    }
};

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
