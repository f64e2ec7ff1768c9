#pragma once

#include "app/AppFixture.h"
#include "app/MainMenu.h"
#include "encounter/PlayersModel.h"
#include "encounter/PlayersWindow.h"
#include "web/PageServer.h"
#include "web/PlayersWeb.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>

// The players' view as a page sees it, one line a row: "name|state|conditions|flags", after the
// round and who acts.
inline QStringList modelLines(PlayersModel &model) {
    QStringList lines{model.roundText(), model.nowText()};
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex i = model.index(row);
        const int flags = (i.data(PlayersModel::NowRole).toBool() ? 1 : 0) |
                          (i.data(PlayersModel::NextRole).toBool() ? 2 : 0) |
                          (i.data(PlayersModel::DeadRole).toBool() ? 4 : 0);
        lines << QStringList{i.data().toString(), i.data(PlayersModel::StateRole).toString(),
                             i.data(PlayersModel::ConditionsRole).toString(),
                             QString::number(flags)}
                     .join(u'|');
    }
    return lines;
}

// A live feed opened as the page opens it, keeping the view as the page builds it.
class FeedClient {
public:
    explicit FeedClient(const QUrl &page) {
        QUrl url = page;
        url.setScheme(QStringLiteral("ws"));
        QObject::connect(&socket, &QWebSocket::textMessageReceived, [this](const QString &text) {
            messages << text;
            apply(QJsonDocument::fromJson(text.toUtf8()).object());
        });
        socket.open(url);
    }
    bool waitOpen() { return waitFor(QAbstractSocket::ConnectedState); }
    bool waitClosed() { return waitFor(QAbstractSocket::UnconnectedState); }
    bool waitFor(QAbstractSocket::SocketState state) {
        return QTest::qWaitFor([&] { return socket.state() == state; });
    }
    QStringList lines() const { return QStringList{round, now} + rows; }
    int views() const {
        return int(std::count_if(messages.begin(), messages.end(),
                                 [](const QString &m) { return m.contains(u"\"t\":\"view\""); }));
    }

    QWebSocket socket;
    QStringList messages;
    QString round, now;
    QStringList rows;
    bool ended = false;

private:
    void apply(const QJsonObject &message) {
        if (message[u"t"].toString() == u"end")
            ended = true;
        if (message[u"t"].toString() != u"view")
            return;
        round = message[u"round"].toString();
        now = message[u"now"].toString();
        rows.resize(message[u"n"].toInt());
        for (const QJsonValue &value : message[u"rows"].toArray()) {
            const QJsonArray r = value.toArray();
            rows[r[0].toInt()] = QStringList{r[1].toString(), r[2].toString(), r[3].toString(),
                                             QString::number(r[4].toInt())}
                                     .join(u'|');
        }
    }
};

// What comes back to `request`, sent as it is over a fresh connection, until the server closes it.
inline QByteArray rawRequest(quint16 port, const QByteArray &request) {
    QTcpSocket socket;
    QByteArray answer;
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] { answer += socket.readAll(); });
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }))
        return "not connected";
    socket.write(request);
    if (!QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }))
        return "left open";
    answer += socket.readAll();
    return answer;
}

// A port nothing listens on now.
inline quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// The typed fight, and the view on the phones turned on at 127.0.0.1 on a free port.
class WebFixture : public AppFixture {
public:
    WebFixture() {
        typedFight();
        click("Form2", "VistaGiocatori");
        port = freePort();
        QSettings(root.filePath("Torvane.ini"), QSettings::IniFormat)
            .setValue("giocatori/porta", port);
        windows->web().listenOn(QHostAddress::LocalHost);
        turn(true);
    }
    void turn(bool on) {
        auto *box = control<QCheckBox>("FormGiocatori", "VistaWeb");
        if (box->isChecked() != on)
            box->click();
    }
    QUrl url() { return QUrl(text("FormGiocatori", "IndirizzoWeb")); }
    PageServer &server() { return windows->web().server(); }
    PlayersModel &model() { return windows->players().model(); }
    void next() {
        dialogs.clear();
        click("Form2", "Command4"); // "Prossimo ad agire"
    }

    quint16 port = 0;
};
