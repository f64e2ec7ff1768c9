#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>

class Dialogs;
class PageServer;
class PlayersWindow;

// The view on the players' phones as the game master turns it on and off in the players'
// window: the page server, listening on the local network while "Mostra sui telefoni dei
// giocatori" is ticked, on the port kept beside the window's place (8765 the first time, the
// next free one when that is taken), so that an address given at the start of an evening keeps
// its port.
class PlayersWeb : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 defaultPort = 8765;

    PlayersWeb(PlayersWindow &window, Dialogs &dialogs, QString settingsFile,
               QObject *parent = nullptr);
    ~PlayersWeb() override;

    PageServer &server() { return *m_server; }
    // Where the server listens: every address of this computer unless narrowed (for tests).
    void listenOn(const QHostAddress &address) { m_address = address; }
    // Turns the view on (with a new code) or off; off, every open page shows that it has ended.
    void turn(bool on);

private:
    PlayersWindow &m_window;
    Dialogs &m_dialogs;
    QString m_settingsFile;
    QHostAddress m_address{QHostAddress::AnyIPv4};
    PageServer *m_server;
};
